// Digit groups, maps and the random step, against worked values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include <unistd.h>

#include "fingerprint.hpp"
#include "scripted_rand.hpp"

namespace {

struct group_case {
    const char* characters; // exactly 8 bytes
    int d0, d1, d2, d3, d4, d5;
};

class DigitGroup : public testing::TestWithParam<group_case> {};

TEST_P(DigitGroup, DecodesSixFields) {
    const group_case& c = GetParam();
    const digit_group g = decode_group(reinterpret_cast<const unsigned char*>(c.characters));
    EXPECT_EQ(g.d0, c.d0);
    EXPECT_EQ(g.d1, c.d1);
    EXPECT_EQ(g.d2, c.d2);
    EXPECT_EQ(g.d3, c.d3);
    EXPECT_EQ(g.d4, c.d4);
    EXPECT_EQ(g.d5, c.d5);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, DigitGroup,
    testing::Values(
        group_case{"01234567", 0, 18, 13, 5, 6, 7}, group_case{"89abcdef", 34, 26, 47, 13, 14, 15},
        group_case{"89ABCDEF", 34, 26, 47, 13, 14, 15},
        group_case{"ffffffff", 63, 63, 63, 63, 15, 15}, group_case{"00000000", 0, 0, 0, 0, 0, 0},
        // blanks, punctuation and letters past f count 0 and keep their place
        group_case{"  foo.ba", 0, 15, 0, 0, 11, 10}, group_case{"1g2G3-4\xff", 4, 2, 0, 48, 4, 0},
        group_case{"0x123456", 0, 1, 8, 52, 5, 6},
        group_case{"\x80\x00\n\t:@`/", 0, 0, 0, 0, 0, 0}));

// Points standard input at a file holding `bytes`.
void feed_stdin(const std::string& bytes) {
    char path[] = "/tmp/tessadox-stdin-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    ASSERT_NE(std::freopen(path, "rb", stdin), nullptr);
    unlink(path);
}

void fill_groups_with_junk() {
    std::memset(digit_groups, 0x77, sizeof digit_groups);
}

bool group_is_zero(int i) {
    const digit_group& g = digit_groups[i];
    return g.d0 == 0 && g.d1 == 0 && g.d2 == 0 && g.d3 == 0 && g.d4 == 0 && g.d5 == 0;
}

TEST(ReadChecksum, TakesEightBytesPerMapAndNoMore) {
    feed_stdin("0123456789abcdefFFFFFFFF  file.txt\n");
    map_count = 2;
    EXPECT_EQ(read_checksum(), "0123456789abcdef");
    EXPECT_EQ(std::ftell(stdin), 16);
    EXPECT_EQ(digit_groups[0].d1, 18);
    EXPECT_EQ(digit_groups[1].d2, 47);
}

TEST(ReadChecksum, ShortInputCountsAsZeros) {
    feed_stdin("abc");
    fill_groups_with_junk();
    map_count = 3;
    EXPECT_EQ(read_checksum(), "abc") << "only what the input held";
    const digit_group& g = digit_groups[0];
    EXPECT_EQ(g.d0, 42);
    EXPECT_EQ(g.d1, 60);
    EXPECT_EQ(g.d2 | g.d3 | g.d4 | g.d5, 0);
    EXPECT_TRUE(group_is_zero(1));
    EXPECT_TRUE(group_is_zero(2));
    EXPECT_FALSE(group_is_zero(3)) << "entries past map_count stay as they were";
}

TEST(ReadChecksum, EmptyInputGivesZeroGroups) {
    feed_stdin("");
    fill_groups_with_junk();
    map_count = 16;
    read_checksum();
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(group_is_zero(i)) << i;
    }
}

TEST(ReadChecksum, FifthGroupOfMd5LineTakesTheFileName) {
    feed_stdin("d41d8cd98f00b204e9800998ecf8427e  foo.bar\n");
    map_count = 5;
    read_checksum();
    const digit_group& g = digit_groups[4];
    EXPECT_EQ(g.d0, 0);
    EXPECT_EQ(g.d1, 15);
    EXPECT_EQ(g.d4, 11);
    EXPECT_EQ(g.d5, 10);
}

affine_map build_one(const char* characters) {
    digit_groups[0] = decode_group(reinterpret_cast<const unsigned char*>(characters));
    map_count = 1;
    build_maps();
    return maps[0];
}

TEST(BuildMaps, ZeroGroupIsTheFixedMap) {
    const affine_map m = build_one("00000000");
    EXPECT_EQ(m.a, 0.6);
    EXPECT_EQ(m.b, -0.3);
    EXPECT_EQ(m.c, -0.3);
    EXPECT_EQ(m.d, 0.3);
    EXPECT_EQ(m.e, -0.25);
    EXPECT_EQ(m.f, -0.25);
    double x, y;
    apply_map(m, &x, &y, 1, 2);
    EXPECT_EQ(x, -0.25);
    EXPECT_EQ(y, 0.049999999999999989) << "y must come from the old x";
}

TEST(BuildMaps, WorkedGroupIsBitExact) {
    const affine_map m = build_one("01234567");
    char printed[32];
    std::snprintf(printed, sizeof printed, "%.17g", m.a);
    EXPECT_STREQ(printed, "0.45029296874999997");
    std::snprintf(printed, sizeof printed, "%.17g", m.d);
    EXPECT_STREQ(printed, "0.38437499999999997");
    EXPECT_EQ(m.b, -0.253125);
    EXPECT_EQ(m.c, -0.22822265625);
    EXPECT_EQ(m.e, -0.0625);
    EXPECT_EQ(m.f, -0.03125);
    double x, y;
    apply_map(m, &x, &y, 1, 2);
    EXPECT_NEAR(x, -0.11845703125, 1e-15);
    EXPECT_NEAR(y, 0.50927734375, 1e-15);
}

TEST(BuildMaps, LargestGroup) {
    const affine_map m = build_one("ffffffff");
    EXPECT_EQ(m.d, 0.5953124999999999);
    EXPECT_NE(m.d, 0.5953125);
    EXPECT_EQ(m.e, 7.0 / 32);
    EXPECT_EQ(m.f, 7.0 / 32);
    EXPECT_EQ(m.b, 31.0 / 32 * m.d);
}

TEST(BuildMaps, FillsOneEntryPerGroup) {
    for (int i = 0; i < 16; ++i) {
        digit_groups[i] = digit_group{0, 0, 0, 0, static_cast<std::uint8_t>(i), 0};
    }
    std::memset(maps, 0, sizeof maps);
    map_count = 16;
    build_maps();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(maps[i].e, i / 32.0 - 0.25) << i;
    }
}

// Map k sends every point to (k, -k), so a step's result names its map.
class RandomStep : public testing::Test {
  protected:
    void SetUp() override {
        for (int k = 0; k < max_maps; ++k) {
            maps[k] = affine_map{0, 0, 0, 0, double(k), double(-k)};
        }
        map_count = 4;
        current_color = 0;
        reset_rand();
    }
    void TearDown() override {
        reset_rand();
        color_mode = color_mixed;
    }
    double x = 0.5, y = 0.5;
};

TEST_F(RandomStep, MixedEvenSecondValueTakesTheColour) {
    color_mode = color_mixed;
    script_rand({7, 4});
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(rand_calls(), 2);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -3);
    EXPECT_EQ(current_color, 4);
}

TEST_F(RandomStep, MixedOddSecondValueKeepsTheColour) {
    color_mode = color_mixed;
    current_color = 2;
    script_rand({7, 5});
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(rand_calls(), 2);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(current_color, 2);
}

TEST_F(RandomStep, MixedWithOneMapStillDrawsTwice) {
    color_mode = color_mixed;
    map_count = 1;
    script_rand({12345, 0});
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(rand_calls(), 2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(current_color, 1);
}

TEST_F(RandomStep, AreasColoursEveryStepWithOneDraw) {
    color_mode = color_areas;
    map_count = 16;
    script_rand({2147483647, 6});
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(current_color, 16);
    EXPECT_EQ(x, 15);
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(current_color, 7);
    EXPECT_EQ(rand_calls(), 2);
}

TEST_F(RandomStep, GrayNeverColours) {
    color_mode = color_gray;
    script_rand({2, 2});
    apply_random_map(&x, &y, x, y);
    EXPECT_EQ(rand_calls(), 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(current_color, 0);
}

TEST_F(RandomStep, PlainStepDrawsOnceAndNeverColours) {
    for (int mode : {color_gray, color_mixed, color_areas}) {
        color_mode = mode;
        reset_rand();
        script_rand({5, 0});
        apply_random_map_plain(&x, &y, x, y);
        EXPECT_EQ(rand_calls(), 1) << mode;
        EXPECT_EQ(x, 1) << mode;
        EXPECT_EQ(current_color, 0) << mode;
    }
}

// The remainder that chooses a map, without a division: it must equal the
// plain remainder for every map count and every draw that rand() can give,
// the largest draws included, where an approximate reciprocal would slip.
TEST(MapRemainder, EqualsThePlainRemainder) {
    const int draws[] = {0,  1,   2,     3,     5,       7,       15,         16,
                         17, 255, 65535, 65536, 1000003, 1 << 30, 2147483646, 2147483647};
    for (int count = 1; count <= max_maps; ++count) {
        const map_divisor divisor = divisor_of(count);
        for (int draw : draws) {
            for (int near : {draw, draw - count, draw / count * count, draw / count * count - 1}) {
                if (near < 0) {
                    continue;
                }
                EXPECT_EQ(remainder_of(near, divisor), near % count) << near << " % " << count;
                if (is_power_of_two(count)) {
                    EXPECT_EQ(remainder_of<true>(near, divisor), near % count)
                        << near << " & " << count - 1;
                }
            }
        }
    }
}

TEST(MapRemainder, PowersOfTwoAreTheCountsOfMd5Sha256AndSha512) {
    for (auto [count, power] : {std::pair{1, true},
                                {2, true},
                                {3, false},
                                {4, true},
                                {5, false},
                                {8, true},
                                {12, false},
                                {16, true},
                                {0, false},
                                {-4, false}}) {
        EXPECT_EQ(is_power_of_two(count), power) << count;
    }
}

} // namespace
