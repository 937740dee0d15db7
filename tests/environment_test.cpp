// SOURCE_DATE_EPOCH: which texts give a seed, and which.
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <utility>

#include "environment.hpp"

namespace {

struct epoch_case {
    const char* text;
    bool accepted;
    unsigned seed; // when accepted
};

class SeedOfEpoch : public testing::TestWithParam<epoch_case> {};

TEST_P(SeedOfEpoch, TakesOnlyDecimalSecondsUpToTheYear9999) {
    const epoch_case& c = GetParam();
    unsigned seed = 77;
    EXPECT_EQ(seed_of_epoch(c.text, &seed), c.accepted) << '[' << c.text << ']';
    EXPECT_EQ(seed, c.accepted ? c.seed : 77u) << '[' << c.text << ']';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SeedOfEpoch,
    testing::Values(epoch_case{"0", true, 0}, epoch_case{"1700000000", true, 1700000000},
                    epoch_case{"007", true, 7}, epoch_case{"4294967295", true, 4294967295u},
                    // past 2^32 the seed is what the clock would give: the value modulo 2^32
                    epoch_case{"4294967296", true, 0}, epoch_case{"4294967303", true, 7},
                    epoch_case{"253402300799", true, static_cast<unsigned>(253402300799ull)},
                    epoch_case{"253402300800", false, 0},
                    epoch_case{"99999999999999999999999999", false, 0},
                    epoch_case{"18446744073709551617", false, 0}, epoch_case{"-1", false, 0},
                    epoch_case{"+1", false, 0}, epoch_case{" 1", false, 0},
                    epoch_case{"1 ", false, 0}, epoch_case{"1\n", false, 0},
                    epoch_case{"1.5", false, 0}, epoch_case{"1e9", false, 0},
                    epoch_case{"0x10", false, 0}, epoch_case{"abc", false, 0},
                    epoch_case{"-", false, 0}, epoch_case{"", false, 0}));

TEST(RunSeed, UnsetOrEmptyTakesTheClock) {
    EXPECT_EQ(run_seed(nullptr, 1234), 1234u);
    EXPECT_EQ(run_seed("", 1234), 1234u);
    // The seed is the clock modulo 2^32, where time_t reaches that far (32-bit
    // machines of Debian 12 have a 32-bit time_t).
    if constexpr (sizeof(std::time_t) > 4) {
        EXPECT_EQ(run_seed(nullptr, static_cast<std::time_t>(std::int64_t{4294967296} + 5)), 5u);
    }
    EXPECT_EQ(run_seed("99", 1234), 99u);
}

TEST(ThreadsOf, TakesOnlyCountsFromOneTo256) {
    for (auto [text, count] : {std::pair{"1", 1}, {"2", 2}, {"08", 8}, {"256", 256}}) {
        int threads = 0;
        EXPECT_TRUE(threads_of(text, &threads)) << text;
        EXPECT_EQ(threads, count) << text;
    }
    for (const char* text : {"0", "257", "-1", "+2", "2 ", "", "1e2", "99999999999999999999"}) {
        int threads = 77;
        EXPECT_FALSE(threads_of(text, &threads)) << text;
        EXPECT_EQ(threads, 77) << text;
    }
    EXPECT_EQ(requested_threads(nullptr), 0);
    EXPECT_EQ(requested_threads(""), 0);
    EXPECT_EQ(requested_threads("3"), 3);
}

} // namespace
