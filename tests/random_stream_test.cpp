// The generator against the C library's own rand(), and its jump ahead
// against plain drawing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "random_stream.hpp"

namespace {

static_assert(std::uniform_random_bit_generator<random_stream>);

// Long enough to cross dozens of refills.
constexpr int draws_per_seed = 25000;

void expect_same_as_rand(unsigned seed, int draws) {
    random_stream ours(seed);
    std::srand(seed);
    for (int i = 0; i < draws; ++i) {
        const int theirs = std::rand();
        const random_stream::result_type mine = ours();
        if (static_cast<int>(mine) != theirs) {
            ADD_FAILURE() << "seed " << seed << ", draw " << i << ": " << mine << " instead of "
                          << theirs;
            return;
        }
    }
}

// The edges of the seeding: 0 (which srand() takes as 1), the first seed
// that a signed word holds as negative, and the largest.
TEST(RandomStream, DrawsWhatRandDrawsAtTheEdgesOfTheSeed) {
    for (unsigned seed :
         {0u, 1u, 2u, 127773u, 2147483647u, 2147483648u, 2147483649u, 4294967295u, 1700000000u}) {
        expect_same_as_rand(seed, draws_per_seed);
    }
}

TEST(RandomStream, DrawsWhatRandDrawsForManySeeds) {
    std::mt19937 seeds(20261209);
    for (int i = 0; i < 300; ++i) {
        expect_same_as_rand(static_cast<unsigned>(seeds()), draws_per_seed / 10);
    }
}

TEST(RandomStream, SeedingAgainStartsOver) {
    random_stream draws(7);
    const random_stream fresh(7);
    for (int i = 0; i < 1000; ++i) {
        draws();
    }
    draws.seed(7);
    random_stream again = fresh;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(draws(), again()) << i;
    }
}

TEST(RandomStream, ACopyGoesOnWithTheSameSequence) {
    random_stream draws(99);
    for (int i = 0; i < 700; ++i) {
        draws();
    }
    random_stream copy = draws;
    for (int i = 0; i < 2000; ++i) {
        ASSERT_EQ(copy(), draws()) << i;
    }
}

// discard(n) from several places within a block, by distances that stay in
// the block, cross a few refills, and reach far enough to be jumped.
TEST(RandomStream, DiscardEqualsDrawingOneByOne) {
    const std::uint64_t distances[] = {0,    1,     2,     30,    31,    479,   480,    481,
                                       1000, 30719, 30720, 30721, 40000, 99991, 765432, 3000001};
    for (int already : {0, 1, 300, 479}) {
        for (std::uint64_t n : distances) {
            random_stream jumped(12345), stepped(12345);
            for (int i = 0; i < already; ++i) {
                jumped();
                stepped();
            }
            jumped.discard(n);
            for (std::uint64_t i = 0; i < n; ++i) {
                stepped();
            }
            for (int i = 0; i < 1000; ++i) {
                ASSERT_EQ(jumped(), stepped())
                    << "after " << already << " and " << n << ", draw " << i;
            }
        }
    }
}

// Far jumps, as threads of the largest runs take them, checked against the
// C library by drawing the whole way once.
TEST(RandomStream, FarJumpsLandWhereRandArrives) {
    std::srand(1700000000);
    random_stream start(1700000000);
    std::uint64_t drawn = 0;
    for (std::uint64_t target : {30000000ull, 60000001ull}) {
        for (; drawn < target; ++drawn) {
            std::rand();
        }
        random_stream jumped = start;
        jumped.discard(target);
        for (int i = 0; i < 100; ++i, ++drawn) {
            ASSERT_EQ(static_cast<int>(jumped()), std::rand()) << target << " + " << i;
        }
        random_stream twice = start;
        twice.discard(target / 2);
        twice.discard(target - target / 2);
        jumped = start;
        jumped.discard(target);
        EXPECT_EQ(twice(), jumped()) << "two jumps add up";
    }
}

} // namespace
