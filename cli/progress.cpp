#include "progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "terminal.hpp"

namespace {

using namespace std::chrono_literals;

constexpr auto quiet_start = 1s;      // a shorter run shows no line at all
constexpr auto between_lines = 250ms; // four lines a second at most

// Every line is padded to this width, so that overwriting a line or erasing
// it takes the same fixed characters, without escape sequences: the signal
// handler has nothing to look up.
constexpr std::size_t line_width = 40;

constexpr std::array<char, line_width + 2> erase_sequence = [] {
    std::array<char, line_width + 2> sequence{};
    sequence.fill(' ');
    sequence.front() = sequence.back() = '\r';
    return sequence;
}();

void write_to_standard_error(const char* bytes, std::size_t size) {
    // The line is only a courtesy: a failed write changes nothing in the run.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, bytes, size);
}

// Async-signal-safe: a write of a constant, then the signal again, which
// SA_RESETHAND has made fatal; it is delivered when the handler returns.
extern "C" void erase_and_die(int signal_number) {
    write_to_standard_error(erase_sequence.data(), erase_sequence.size());
    raise(signal_number);
}

void catch_signal(int signal_number, struct sigaction* previous) {
    sigaction(signal_number, nullptr, previous);
    if (previous->sa_handler == SIG_IGN) {
        return; // a run that ignores the signal goes on ignoring it
    }
    struct sigaction action {};
    action.sa_handler = erase_and_die;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signal_number, &action, nullptr);
}

std::string time_text(double seconds) {
    const long long whole = std::min(static_cast<long long>(std::ceil(seconds)), 999LL * 3600);
    if (whole < 60) {
        return std::to_string(whole) + " s";
    }
    if (whole < 3600) {
        return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
    }
    return std::to_string(whole / 3600) + " h " + std::to_string(whole / 60 % 60) + " min";
}

std::string progress_line(std::int64_t done, std::int64_t total, double elapsed_seconds) {
    std::string line = "\rtessadox: " + std::to_string(done * 100 / total) + "% drawn";
    if (done > 0) {
        const double left =
            elapsed_seconds * static_cast<double>(total - done) / static_cast<double>(done);
        line += ", " + time_text(left) + " left";
    }
    line.resize(1 + line_width, ' ');
    return line;
}

} // namespace

progress_meter start_progress(bool enabled, std::int64_t total, progress_clock clock) {
    progress_meter meter;
    if (!enabled || total <= 0) {
        return meter; // next_look stays beyond any count
    }
    meter.total = total;
    meter.clock = std::move(clock);
    meter.started = meter.clock();
    meter.next_line = meter.started + quiet_start;
    meter.look_every = std::clamp<std::int64_t>(total / 10000, 1, 65536);
    meter.next_look = meter.look_every;
    return meter;
}

progress_meter start_progress_on_standard_error(std::int64_t total) {
    return start_progress(is_terminal(STDERR_FILENO), total);
}

void update_progress(progress_meter& meter, std::int64_t done) {
    meter.next_look = done + meter.look_every;
    const auto now = meter.clock();
    if (now < meter.next_line) {
        return;
    }
    if (!meter.shown) {
        // Before the first line, so that no signal can leave it behind.
        catch_signal(SIGINT, &meter.previous_interrupt);
        catch_signal(SIGTERM, &meter.previous_termination);
        meter.shown = true;
    }
    const std::chrono::duration<double> elapsed = now - meter.started;
    const std::string line =
        progress_line(std::clamp(done, std::int64_t{0}, meter.total), meter.total, elapsed.count());
    write_to_standard_error(line.data(), line.size());
    meter.next_line = now + between_lines;
}

void finish_progress(progress_meter& meter) {
    meter.next_look = INT64_MAX; // a report after the end shows nothing
    if (!meter.shown) {
        return;
    }
    // Erased first: a signal that comes before the old actions are back
    // erases once more, which shows nothing.
    write_to_standard_error(erase_sequence.data(), erase_sequence.size());
    sigaction(SIGINT, &meter.previous_interrupt, nullptr);
    sigaction(SIGTERM, &meter.previous_termination, nullptr);
    meter.shown = false;
}

int report_progress_to(long long steps_done, long long, void* meter) {
    report_progress(*static_cast<progress_meter*>(meter), steps_done);
    return 0;
}
