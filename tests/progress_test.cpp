// The progress line: when it shows, what it says, how it is erased, and what
// SIGINT and SIGTERM do while it shows. The clock is a test's own.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>

#include "progress.hpp"

namespace {

using namespace std::chrono_literals;

// A clock that stands still until the test moves it, and counts the looks.
struct test_clock {
    std::chrono::steady_clock::time_point now{};
    int looks = 0;

    progress_clock function() {
        return [this] {
            ++looks;
            return now;
        };
    }
};

std::string read_all(int fd) {
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    return bytes;
}

// What `body` writes to descriptor 2.
std::string standard_error_of(const std::function<void()>& body) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    const int saved = dup(STDERR_FILENO);
    dup2(ends[1], STDERR_FILENO);
    close(ends[1]);
    body();
    dup2(saved, STDERR_FILENO);
    close(saved);
    const std::string written = read_all(ends[0]);
    close(ends[0]);
    return written;
}

// A line as the terminal gets it: back to the first column, the text,
// blanks up to a fixed width that covers every longer line before it.
std::string shown(const std::string& text) {
    return "\r" + text + std::string(40 - text.size(), ' ');
}
const std::string erased = "\r" + std::string(40, ' ') + "\r";

TEST(Progress, QuietForASecondThenAtMostFourLinesASecondThenErased) {
    test_clock clock;
    const std::string written = standard_error_of([&] {
        progress_meter meter = start_progress(true, 1000, clock.function());
        for (const auto& [at, done] : {std::pair{500ms, 100},
                                       {999ms, 200},
                                       {1000ms, 400},
                                       {1200ms, 500},
                                       {1250ms, 600},
                                       {1400ms, 700}}) {
            clock.now = std::chrono::steady_clock::time_point{} + at;
            report_progress(meter, done);
        }
        finish_progress(meter);
        report_progress(meter, 1000); // after the end: nothing
    });
    EXPECT_EQ(written, shown("tessadox: 40% drawn, 2 s left") + // 1.5 s, rounded up
                           shown("tessadox: 60% drawn, 1 s left") + erased);
}

TEST(Progress, TimeLeftFromTheSpeedSoFar) {
    struct {
        std::chrono::milliseconds elapsed;
        std::int64_t done, total;
        std::string text;
    } cases[] = {
        {2s, 1, 100, "tessadox: 1% drawn, 3 min 18 s left"},
        {1s, 1, 7201, "tessadox: 0% drawn, 2 h 0 min left"},
        {1s, 1, 1'000'000'000, "tessadox: 0% drawn, 999 h 0 min left"}, // and longer
        {1500ms, 999, 1000, "tessadox: 99% drawn, 1 s left"},
        {3s, 1000, 1000, "tessadox: 100% drawn, 0 s left"},
        {3s, 0, 1000, "tessadox: 0% drawn"}, // no speed yet
    };
    for (const auto& c : cases) {
        test_clock clock;
        const std::string written = standard_error_of([&] {
            progress_meter meter = start_progress(true, c.total, clock.function());
            clock.now += c.elapsed;
            update_progress(meter, c.done);
            finish_progress(meter);
        });
        EXPECT_EQ(written, shown(c.text) + erased) << c.text;
    }
}

TEST(Progress, LooksAtTheClockRarelyYetOftenEnoughOnHugeRuns) {
    test_clock clock;
    progress_meter meter = start_progress(true, 1'000'000, clock.function());
    for (std::int64_t done = 0; done <= 1'000'000; ++done) {
        report_progress(meter, done);
    }
    EXPECT_LE(clock.looks, 1 + 10'000) << "once per 1/10000 of the work";
    EXPECT_GE(clock.looks, 1'000) << "the line must still come a few times a second";

    // A run of 10^12 steps: a 10000th of it would be minutes between looks.
    test_clock later;
    const std::string written = standard_error_of([&] {
        progress_meter huge = start_progress(true, 1'000'000'000'000, later.function());
        later.now += 2s;
        for (std::int64_t done = 0; done <= 1'000'000 && later.looks < 2; ++done) {
            report_progress(huge, done);
        }
        finish_progress(huge);
    });
    EXPECT_NE(written, "") << "looked at the clock within a million steps";
}

TEST(Progress, OffOrEmptyItStaysSilentAndNeverLooks) {
    for (const std::pair<bool, int>& off_or_empty : {std::pair{false, 1000}, {true, 0}}) {
        const auto [enabled, total] = off_or_empty;
        test_clock clock;
        clock.now += 10s;
        const std::string written = standard_error_of([&] {
            progress_meter meter =
                start_progress(off_or_empty.first, off_or_empty.second, clock.function());
            for (std::int64_t done = 0; done <= 1000; ++done) {
                report_progress(meter, done);
            }
            finish_progress(meter);
        });
        EXPECT_EQ(written, "") << enabled << " " << total;
        EXPECT_EQ(clock.looks, 0) << enabled << " " << total;
    }
}

// In a child with standard error on a pipe: shows the line, then raises the
// signal (and, if it lives on, finishes and exits with 7).
std::pair<int, std::string> raise_while_shown(int signal_number, void (*action)(int)) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDERR_FILENO);
        close(ends[0]);
        std::signal(signal_number, action);
        test_clock clock;
        progress_meter meter = start_progress(true, 4, clock.function());
        clock.now += 1s;
        update_progress(meter, 1);
        std::raise(signal_number);
        finish_progress(meter);
        _exit(7);
    }
    close(ends[1]);
    const std::string written = read_all(ends[0]);
    close(ends[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {status, written};
}

TEST(Progress, SignalsEraseTheLineAndEndTheRunByTheSignal) {
    const std::string line = shown("tessadox: 25% drawn, 3 s left");
    for (const int signal_number : {SIGINT, SIGTERM}) {
        const auto [status, written] = raise_while_shown(signal_number, SIG_DFL);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
        EXPECT_EQ(written, line + erased) << signal_number;

        // A run that ignores the signal goes on, and erases at the end.
        const auto [ignoring, ignored] = raise_while_shown(signal_number, SIG_IGN);
        EXPECT_TRUE(WIFEXITED(ignoring) && WEXITSTATUS(ignoring) == 7) << signal_number;
        EXPECT_EQ(ignored, line + erased) << signal_number;
    }
}

TEST(Progress, FinishGivesTheSignalsTheirActionsBack) {
    struct sigaction before {
    }, after{};
    sigaction(SIGTERM, nullptr, &before);
    test_clock clock;
    standard_error_of([&] {
        progress_meter meter = start_progress(true, 10, clock.function());
        clock.now += 5s;
        update_progress(meter, 5);
        struct sigaction during {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler) << "the line was shown unguarded";
        finish_progress(meter);
    });
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
