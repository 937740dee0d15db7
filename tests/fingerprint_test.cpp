// Digit groups, maps and the random step, against worked values.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "fingerprint.hpp"
#include "scripted_draws.hpp"
#include "standard_input.hpp"

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

// A stream that holds `bytes`, as standard input would.
std::FILE* stream_of(const std::string& bytes) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    return stream;
}

// The digit groups of what the command reads from `input` for that many maps.
std::vector<digit_group> groups_read(std::FILE* input, int map_count) {
    return digit_groups_of(read_checksum(input, 8 * static_cast<std::size_t>(map_count)),
                           map_count);
}

bool is_zero(const digit_group& g) {
    return g.d0 == 0 && g.d1 == 0 && g.d2 == 0 && g.d3 == 0 && g.d4 == 0 && g.d5 == 0;
}

TEST(ReadChecksum, TakesEightBytesPerMapAndNoMore) {
    std::FILE* input = stream_of("0123456789abcdefFFFFFFFF  file.txt\n");
    const std::vector<digit_group> groups = groups_read(input, 2);
    EXPECT_EQ(std::ftell(input), 16);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].d1, 18);
    EXPECT_EQ(groups[1].d2, 47);
    std::fclose(input);
}

TEST(ReadChecksum, ShortInputCountsAsZeros) {
    std::FILE* input = stream_of("abc");
    const std::vector<digit_group> groups = groups_read(input, 3);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].d0, 42);
    EXPECT_EQ(groups[0].d1, 60);
    EXPECT_EQ(groups[0].d2 | groups[0].d3 | groups[0].d4 | groups[0].d5, 0);
    EXPECT_TRUE(is_zero(groups[1]));
    EXPECT_TRUE(is_zero(groups[2]));
    std::fclose(input);
}

TEST(ReadChecksum, EmptyInputGivesZeroGroups) {
    std::FILE* input = stream_of("");
    const std::vector<digit_group> groups = groups_read(input, 16);
    ASSERT_EQ(groups.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_TRUE(is_zero(groups[i])) << i;
    }
    std::fclose(input);
}

TEST(ReadChecksum, FifthGroupOfMd5LineTakesTheFileName) {
    std::FILE* input = stream_of("d41d8cd98f00b204e9800998ecf8427e  foo.bar\n");
    const digit_group g = groups_read(input, 5).at(4);
    EXPECT_EQ(g.d0, 0);
    EXPECT_EQ(g.d1, 15);
    EXPECT_EQ(g.d4, 11);
    EXPECT_EQ(g.d5, 10);
    std::fclose(input);
}

affine_map build_one(const char* characters) {
    return build_maps({decode_group(reinterpret_cast<const unsigned char*>(characters))}).at(0);
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

TEST(BuildMaps, MakesOneMapPerGroupInOrder) {
    std::vector<digit_group> groups;
    for (int i = 0; i < 16; ++i) {
        groups.push_back(digit_group{0, 0, 0, 0, static_cast<std::uint8_t>(i), 0});
    }
    const std::vector<affine_map> maps = build_maps(groups);
    ASSERT_EQ(maps.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(maps[i].e, i / 32.0 - 0.25) << i;
    }
}

// Map k sends every point to (k, -k), so a step's result names its map.
class RandomStep : public testing::Test {
  protected:
    void SetUp() override {
        for (int k = 0; k < max_maps; ++k) {
            all_maps.push_back(affine_map{0, 0, 0, 0, double(k), double(-k)});
        }
    }
    std::vector<affine_map> maps_of(int count) const {
        return std::vector<affine_map>(all_maps.begin(), all_maps.begin() + count);
    }
    void step(int color_mode, int map_count) {
        apply_random_map(maps_of(map_count), color_mode, draws, &current_color, &x, &y, x, y);
    }
    std::vector<affine_map> all_maps;
    scripted_draws draws;
    int current_color = 0;
    double x = 0.5, y = 0.5;
};

TEST_F(RandomStep, MixedEvenSecondValueTakesTheColour) {
    draws.then({7, 4});
    step(color_mixed, 4);
    EXPECT_EQ(draws.calls, 2);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -3);
    EXPECT_EQ(current_color, 4);
}

TEST_F(RandomStep, MixedOddSecondValueKeepsTheColour) {
    current_color = 2;
    draws.then({7, 5});
    step(color_mixed, 4);
    EXPECT_EQ(draws.calls, 2);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(current_color, 2);
}

TEST_F(RandomStep, MixedWithOneMapStillDrawsTwice) {
    draws.then({12345, 0});
    step(color_mixed, 1);
    EXPECT_EQ(draws.calls, 2);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(current_color, 1);
}

TEST_F(RandomStep, AreasColoursEveryStepWithOneDraw) {
    draws.then({2147483647, 6});
    step(color_areas, 16);
    EXPECT_EQ(current_color, 16);
    EXPECT_EQ(x, 15);
    step(color_areas, 16);
    EXPECT_EQ(current_color, 7);
    EXPECT_EQ(draws.calls, 2);
}

TEST_F(RandomStep, GrayNeverColours) {
    draws.then({2, 2});
    step(color_gray, 4);
    EXPECT_EQ(draws.calls, 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(current_color, 0);
}

TEST_F(RandomStep, PlainStepDrawsOnceAndNeverColours) {
    draws.then({5, 0});
    apply_random_map_plain(maps_of(4), draws, &x, &y, x, y);
    EXPECT_EQ(draws.calls, 1);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(current_color, 0);
}

// The mask that chooses among a power of two of maps must equal the plain
// remainder for every draw, the largest included.
TEST(MapRemainder, TheMaskEqualsThePlainRemainder) {
    const std::uint32_t draws[] = {0,  1,   2,     3,     5,       7,       15,         16,
                                   17, 255, 65535, 65536, 1000003, 1 << 30, 2147483646, 2147483647};
    for (int count : {1, 2, 4, 8, 16}) {
        for (std::uint32_t draw : draws) {
            EXPECT_EQ(remainder_of<true>(draw, count), static_cast<int>(draw % count))
                << draw << " & " << count - 1;
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
