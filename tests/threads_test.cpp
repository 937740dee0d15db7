// The plotting pass shared among threads: the same bytes and the same draws
// as one thread, for every colouring, map count, size and background, and
// for maps whose points never meet, where every chunk must be played again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fingerprint.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "step_by_step.hpp"

namespace {

struct threads_case {
    std::string checksum; // 8 characters per map
    int resolution, intensity, background, color_mode;
};

void PrintTo(const threads_case& c, std::ostream* os) {
    *os << c.checksum.substr(0, 16) << "… (" << c.checksum.size() / 8 << " maps) R " << c.resolution
        << " I " << c.intensity << " B " << c.background << " colouring " << c.color_mode;
}

std::vector<affine_map> maps_of(const std::string& checksum) {
    std::vector<digit_group> groups;
    for (std::size_t at = 0; at + 8 <= checksum.size(); at += 8) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(&checksum[at])));
    }
    return build_maps(groups);
}

settings run_of(const threads_case& c) {
    settings run;
    run.resolution = c.resolution;
    run.intensity = c.intensity;
    run.background = c.background;
    run.color_mode = c.color_mode;
    run.map_count = static_cast<int>(c.checksum.size() / 8);
    return run;
}

struct drawn {
    picture image;
    random_stream after;
    int replayed;
};

drawn draw(const settings& run, const std::vector<affine_map>& maps, thread_plan plan) {
    random_stream draws(1700000000);
    int replayed = -1;
    picture image = render(run, maps, draws, plan, {}, &replayed);
    return drawn{image, draws, replayed};
}

void expect_same(const drawn& one, drawn many, const std::string& what) {
    EXPECT_EQ(one.image.resolution, many.image.resolution) << what;
    EXPECT_TRUE(one.image.image == many.image.image) << what << ": another picture";
    random_stream after_one = one.after;
    EXPECT_EQ(after_one(), many.after()) << what << ": the generator stands elsewhere";
}

class Threads : public testing::TestWithParam<threads_case> {};

TEST_P(Threads, DrawTheSamePictureAsOne) {
    const threads_case& c = GetParam();
    const settings run = run_of(c);
    const std::vector<affine_map> maps = maps_of(c.checksum);
    const drawn one = draw(run, maps, thread_plan{1, 512});
    for (int threads : {2, 3, 8}) {
        expect_same(one, draw(run, maps, thread_plan{threads, 512}),
                    std::to_string(threads) + " threads");
    }
    // With no lead-in every guess starts from the starting position, which
    // only the first chunk truly has: each other chunk is played again.
    const drawn unguessed = draw(run, maps, thread_plan{3, 0});
    expect_same(one, unguessed, "3 threads without a lead-in");
    if (c.resolution >= 1 && c.intensity * c.resolution * c.resolution >= 3) {
        EXPECT_EQ(unguessed.replayed, 2);
    }
}

const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string sha1 = "da39a3ee5e6b4b0d3255bfef95601890afd80709";
const std::string sha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string sha512 = "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
                           "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e";
// fff00000 stretches by about 1.56 at every application: the points run
// away to infinity and NaN, and two of them never meet
const std::string escaping = "fff00000fff00000fff00000";

INSTANTIATE_TEST_SUITE_P(ColouringsAndBackgrounds, Threads, testing::ValuesIn([] {
                             std::vector<threads_case> cases;
                             for (int mode : {color_gray, color_mixed, color_areas}) {
                                 for (int background : {0, 255, 200, 256, -1}) {
                                     cases.push_back(threads_case{md5, 60, 30, background, mode});
                                 }
                             }
                             return cases;
                         }()));

INSTANTIATE_TEST_SUITE_P(
    MapsAndSizes, Threads,
    testing::Values(
        // one map, and counts that are no power of two
        threads_case{md5.substr(0, 8), 40, 30, 0, color_mixed},
        threads_case{md5.substr(0, 24), 40, 30, 0, color_areas},
        threads_case{sha1, 50, 30, 0, color_mixed}, threads_case{sha256, 50, 30, 200, color_areas},
        threads_case{sha512, 50, 30, 0, color_mixed}, threads_case{sha512, 50, 30, -1, color_gray},
        // the smallest pictures, fewer steps than threads, and no plotted step
        threads_case{md5, 1, 60, 0, color_mixed}, threads_case{md5, 1, 30, 0, color_areas},
        threads_case{md5, 2, 0, 0, color_mixed}, threads_case{md5, 3, 1, 0, color_gray},
        // the largest, with one step and no step per pixel
        threads_case{sha256, 1000, 1, 0, color_mixed}, threads_case{md5, 1000, 0, 255, color_areas},
        // points that run away: every guess is off, every chunk is played again
        threads_case{escaping, 50, 30, 0, color_mixed},
        threads_case{escaping, 50, 30, 0, color_gray},
        threads_case{escaping + md5.substr(0, 8), 50, 30, 100, color_areas}));

// Maps that send every point to the origin: every guess meets the truth at
// once, and the frame, a box of no size, draws nothing.
TEST(ThreadsOfOtherMaps, ConstantMapsAndEscapesAgree) {
    settings run;
    run.resolution = 30;
    run.map_count = 2;
    const std::vector<affine_map> to_origin(2, affine_map{0, 0, 0, 0, 0, 0});
    const drawn one = draw(run, to_origin, thread_plan{1, 512});
    expect_same(one, draw(run, to_origin, thread_plan{8, 512}), "8 threads, all to the origin");
    EXPECT_EQ(draw(run, to_origin, thread_plan{8, 512}).replayed, 0);

    const std::vector<affine_map> growing(2, affine_map{2, 0, 0, 2, 0.1, 0.1});
    const drawn grown = draw(run, growing, thread_plan{1, 512});
    expect_same(grown, draw(run, growing, thread_plan{3, 512}), "3 threads, growing maps");
}

// The threaded pass against the plain step functions, not only against
// itself on one thread.
TEST(ThreadsOfOtherMaps, AgreeWithTheStepFunctions) {
    for (const threads_case& c : {threads_case{sha256, 40, 30, 0, color_mixed},
                                  threads_case{escaping, 40, 30, 200, color_areas}}) {
        const settings run = run_of(c);
        const std::vector<affine_map> maps = maps_of(c.checksum);
        random_stream draws(1700000000);
        const picture reference = render_step_by_step(run, maps, draws);
        const drawn threaded = draw(run, maps, thread_plan{4, 512});
        EXPECT_TRUE(std::equal(reference.image.begin(), reference.image.end() - 1,
                               threaded.image.image.begin()))
            << c.checksum;
    }
}

TEST(PlanThreads, AskedForOrByTheMachineForLongRunsOnly) {
    EXPECT_EQ(plan_threads(3, 10).threads, 3);
    EXPECT_EQ(plan_threads(1, 100'000'000).threads, 1);
    EXPECT_EQ(plan_threads(0, 1000).threads, 1);
    EXPECT_GE(plan_threads(0, 100'000'000).threads, 1);
}

} // namespace
