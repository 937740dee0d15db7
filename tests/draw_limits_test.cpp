// A draw at its limits: what the progress function is told, how soon its
// stop ends every thread, and a draw on many threads in a process with
// little memory, which must come out as one thread draws it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "address_cap.hpp"
#include "fingerprint.hpp"
#include "random_stream.hpp"
#include "render.hpp"

namespace {

constexpr long long report_steps = 1 << 20;
const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
// fff00000 stretches at every application: no guessed start ever holds,
// and every chunk's steps are played twice
const std::string escaping = "fff00000fff00000fff00000";

std::vector<affine_map> maps_of(const std::string& checksum) {
    std::vector<digit_group> groups;
    for (std::size_t at = 0; at + 8 <= checksum.size(); at += 8) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(&checksum[at])));
    }
    return build_maps(groups);
}

settings run_of(const std::string& checksum, int resolution, int intensity) {
    settings run;
    run.resolution = resolution;
    run.intensity = intensity;
    run.map_count = static_cast<int>(checksum.size() / 8);
    return run;
}

// What a progress function heard, and when it answers stop.
struct listener {
    long long stop_at = -1; // the first report at or past this many steps stops; -1: none
    std::vector<long long> told;
    long long total = 0;
    int late_calls = 0;     // after it answered stop
    bool elsewhere = false; // called on another thread than the drawing one
    std::thread::id drawer = std::this_thread::get_id();
};

int listen(long long done, long long steps, void* context) {
    listener& heard = *static_cast<listener*>(context);
    heard.elsewhere = heard.elsewhere || std::this_thread::get_id() != heard.drawer;
    if (heard.stop_at >= 0 && !heard.told.empty() && heard.told.back() >= heard.stop_at) {
        ++heard.late_calls;
    }
    heard.told.push_back(done);
    heard.total = steps;
    return heard.stop_at >= 0 && done >= heard.stop_at ? 1 : 0;
}

// Draws, and answers the steps done when the draw was stopped, or -1.
long long draw(const std::string& checksum, const settings& run, int threads, listener& heard) {
    random_stream draws(1700000000);
    try {
        render(run, maps_of(checksum), draws, thread_plan{threads}, {listen, &heard});
    } catch (const draw_stopped& stopped) {
        return stopped.steps_done;
    }
    return -1;
}

// A full draw: every report on the drawing thread, never backwards, never
// past the total, the last exactly at it; on one thread one at least every
// 2^20 steps. Points that run away play every chunk twice: their reports
// still stop at the total.
TEST(ThreadsProgress, ClimbsToTheTotalOnTheDrawingThread) {
    for (const std::string& checksum : {md5, escaping}) {
        for (int threads : {1, 2, 8}) {
            const settings run = run_of(checksum, 300, 40);
            listener heard;
            ASSERT_EQ(draw(checksum, run, threads, heard), -1);
            const std::string what = checksum + " on " + std::to_string(threads) + " threads";
            EXPECT_FALSE(heard.elsewhere) << what;
            EXPECT_EQ(heard.total, plotting_steps(run)) << what;
            ASSERT_FALSE(heard.told.empty()) << what;
            EXPECT_EQ(heard.told.back(), heard.total) << what;
            long long before = 0;
            for (long long done : heard.told) {
                EXPECT_GE(done, before) << what;
                EXPECT_LE(done, heard.total) << what;
                if (threads == 1) {
                    EXPECT_LE(done - before, report_steps) << what;
                }
                before = done;
            }
        }
    }
}

// Stopped from the progress function, every thread ends within 2^20 steps
// of its own, the function is not asked again, and render throws.
TEST(ThreadsStopping, EveryThreadEndsWithinTheStepsPromised) {
    for (int threads : {1, 2, 8}) {
        const settings run = run_of(md5, 1000, 30); // 30 million steps
        listener heard;
        heard.stop_at = 3 * report_steps;
        const long long steps_done = draw(md5, run, threads, heard);
        const std::string what = std::to_string(threads) + " threads";
        ASSERT_GE(steps_done, 0) << what << ": the draw went on to its end";
        EXPECT_GE(heard.told.back(), heard.stop_at) << what;
        EXPECT_LE(steps_done - heard.told.back(), threads * report_steps) << what;
        EXPECT_EQ(heard.late_calls, 0) << what;
        EXPECT_FALSE(heard.elsewhere) << what;
    }
}

// Even the report of the last step can stop the draw.
TEST(ThreadsStopping, TheLastReportStopsToo) {
    const settings run = run_of(md5, 60, 30);
    listener heard;
    heard.stop_at = plotting_steps(run);
    EXPECT_GE(draw(md5, run, 3, heard), plotting_steps(run));
    EXPECT_EQ(heard.told.back(), plotting_steps(run));
}

// 256 threads in a child whose address space leaves room for the picture
// and a few threads' stacks and counts, not 256 of them: the draw succeeds,
// some chunks played again by the drawing thread, and it is the picture of
// one thread.
TEST(ThreadsShortOfMemory, ManyThreadsDrawWhatOneDraws) {
#ifdef TESSADOX_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#else
    const settings run = run_of(md5, 1000, 2);
    const std::vector<affine_map> maps = maps_of(md5);
    random_stream one_draws(1700000000);
    const picture one = render(run, maps, one_draws, thread_plan{1});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        cap_address_space(std::size_t{40} << 20);
        // An emulator such as qemu-user keeps the guest's address space
        // itself and may not hold a program to the cap: then there is
        // nothing to test.
        void* volatile beyond = std::malloc(std::size_t{64} << 20);
        if (beyond != nullptr) {
            std::free(beyond);
            _exit(95);
        }
        random_stream draws(1700000000);
        int replayed = 0;
        try {
            const picture many = render(run, maps, draws, thread_plan{256}, {}, &replayed);
            _exit(many.image == one.image ? (replayed > 0 ? 0 : 94) : 93);
        } catch (const std::bad_alloc&) {
            _exit(92);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == 95) {
        GTEST_SKIP() << "this machine does not hold a process to its address-space cap";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "92: no memory, 93: another picture, 94: no chunk "
                                         "played again, so the cap held nothing back";
#endif
}

} // namespace
