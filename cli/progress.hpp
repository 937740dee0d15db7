// A line on standard error with the share of a long run done and the time
// left, updated a few times a second and erased at the end, or when SIGINT
// or SIGTERM ends the run.
#pragma once

#include <signal.h>

#include <chrono>
#include <cstdint>
#include <functional>

using progress_clock = std::function<std::chrono::steady_clock::time_point()>;

struct progress_meter {
    std::int64_t total = 0;
    progress_clock clock{};
    std::chrono::steady_clock::time_point started{};
    std::chrono::steady_clock::time_point next_line{}; // no line before this
    std::int64_t look_every = 1;                       // units between looks at the clock
    std::int64_t next_look = INT64_MAX;                // units done at the next look
    bool shown = false;
    struct sigaction previous_interrupt {};
    struct sigaction previous_termination {};
};

// A meter for `total` units of work that starts now, by `clock`. A meter
// that is not enabled never looks at the clock nor writes anything.
progress_meter start_progress(bool enabled, std::int64_t total,
                              progress_clock clock = std::chrono::steady_clock::now);

// The meter of the plotting loop: enabled when standard error is a terminal.
progress_meter start_progress_on_standard_error(std::int64_t total);

// Looks at the clock and writes the line if it is due; see report_progress.
void update_progress(progress_meter& meter, std::int64_t done);

// Cheap enough to call on every step of a loop with the units done so far:
// it looks at the clock only every 1/10000 of the total (at most every
// 65536 units), and writes the line only from the first second on, four
// times a second at most.
inline void report_progress(progress_meter& meter, std::int64_t done) {
    if (done >= meter.next_look) {
        update_progress(meter, done);
    }
}

// report_progress for a meter passed as `meter`, in the shape of the
// drawing's progress function; it never stops the draw.
int report_progress_to(long long steps_done, long long steps, void* meter);

// Erases the line if it was shown and gives SIGINT and SIGTERM back their
// previous actions.
void finish_progress(progress_meter& meter);
