// The framing pass, the plotting pass and the channel arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fingerprint.hpp"
#include "plotting.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "scripted_draws.hpp"
#include "step_by_step.hpp"

namespace {

// A map that sends every point to a fixed place, so the scatter is known.
affine_map constant_map(double x, double y) {
    return affine_map{0, 0, 0, 0, x, y};
}

settings run_of(int resolution, int intensity = 30, int color_mode = color_mixed,
                int background = 0) {
    settings run;
    run.resolution = resolution;
    run.intensity = intensity;
    run.color_mode = color_mode;
    run.background = background;
    return run;
}

// Renders with the map count taken from the maps.
picture render_maps(settings run, const std::vector<affine_map>& maps, random_stream& draws) {
    run.map_count = static_cast<int>(maps.size());
    return render(run, maps, draws);
}

constexpr unsigned seed = 1700000000;

// Whether `after` has gone exactly `count` draws past a fresh generator.
bool drew_exactly(random_stream after, long count) {
    random_stream expected(seed);
    expected.discard(static_cast<std::uint64_t>(count));
    for (int i = 0; i < 4; ++i) {
        if (after() != expected()) {
            return false;
        }
    }
    return true;
}

TEST(FrameBox, OriginIsFramedWithTheAttractor) {
    const frame framed = frame_box(0.0, 0.4, -0.1, 0.1);
    EXPECT_DOUBLE_EQ(framed.scale, 1 / 0.42);
    EXPECT_DOUBLE_EQ(framed.center_x, 0.2);
    EXPECT_EQ(framed.center_y, 0.0);
}

TEST(Framing, DrawsSixtyValuesPerPixelOfSide) {
    const std::vector<affine_map> maps{constant_map(0.1, 0.1)};
    for (int r : {300, 1, 0, -1}) {
        scripted_draws draws;
        frame_attractor(r, maps, draws);
        EXPECT_EQ(draws.calls, r > 0 ? 60L * r : 0) << r;
    }
}

TEST(Framing, BoxesTheOriginAndTheRecordedPoints) {
    scripted_draws draws;
    const frame framed =
        frame_attractor(300, {constant_map(0.4, 0.1), constant_map(0.2, -0.1)}, draws);
    EXPECT_DOUBLE_EQ(framed.scale, 1 / 0.42);
    EXPECT_DOUBLE_EQ(framed.center_x, 0.2);
    EXPECT_DOUBLE_EQ(framed.center_y, 0.0);
}

TEST(Framing, SkipsTheFirstMeasuringStepAndKeepsTheLast) {
    // resolution 1: settle on steps 0-49, record steps 51-59
    const std::vector<affine_map> maps{constant_map(0.4, 0.2), constant_map(5.0, 5.0)};
    scripted_draws far_at_50;
    far_at_50.then_repeat(1, 51); // steps 0-50 go far away
    far_at_50.then_repeat(0, 9);
    frame framed = frame_attractor(1, maps, far_at_50);
    EXPECT_DOUBLE_EQ(framed.center_x, 0.2) << "step 50 must not be recorded";
    EXPECT_DOUBLE_EQ(framed.center_y, 0.1);

    scripted_draws far_at_59;
    far_at_59.then_repeat(0, 59);
    far_at_59.then({1}); // step 59 goes far away
    framed = frame_attractor(1, maps, far_at_59);
    EXPECT_DOUBLE_EQ(framed.center_x, 2.5) << "step 59 must be recorded";
}

TEST(Framing, LinearMapsGiveAnInfiniteScale) {
    scripted_draws draws;
    const frame framed = frame_attractor(
        300, {affine_map{0.5, 0.1, 0.2, 0.5, 0, 0}, affine_map{0.3, 0, 0, 0.3, 0, 0}}, draws);
    EXPECT_EQ(framed.scale, std::numeric_limits<double>::infinity());
    EXPECT_EQ(framed.center_x, 0.0);
    EXPECT_EQ(framed.center_y, 0.0);
}

bool only_background(const picture& drawn, int value) {
    const std::size_t pixels = 3 * static_cast<std::size_t>(drawn.resolution) * drawn.resolution;
    return drawn.image.size() == pixels + 1 &&
           std::all_of(drawn.image.begin(), drawn.image.begin() + pixels,
                       [&](std::uint8_t byte) { return byte == value; });
}

TEST(Render, UnframeableAttractorsShowOnlyTheBackground) {
    const settings run = run_of(50, 30, color_mixed, 40);
    random_stream draws(seed);
    // every map linear: the box is the origin alone
    const std::vector<affine_map> linear{affine_map{0.5, 0.1, 0.2, 0.5, 0, 0},
                                         affine_map{0.3, 0, 0, 0.3, 0, 0}};
    EXPECT_TRUE(only_background(render_maps(run, linear, draws), 40));
    // x runs off to infinity
    const std::vector<affine_map> escaping(2, affine_map{1e200, 0, 0, 1, 1, 0});
    EXPECT_TRUE(only_background(render_maps(run, escaping, draws), 40));
}

TEST(Render, NoPictureTakesNoStep) {
    for (int r : {0, -1, -2147483647 - 1}) {
        random_stream draws(seed);
        const picture drawn = render_maps(run_of(r), {constant_map(0.4, 0.0)}, draws);
        EXPECT_TRUE(drew_exactly(draws, 0)) << r;
        EXPECT_EQ(drawn.resolution, r);
        EXPECT_TRUE(drawn.image.empty()) << r;
    }
}

// One constant map puts every plotted point on one pixel; with background
// 256 its red channel counts the plots modulo 256 without ever stopping.
struct count_case {
    int resolution, intensity, color_mode;
    long draws;
    int plots_mod_256;
};

class PlotCount : public testing::TestWithParam<count_case> {};

TEST_P(PlotCount, WarmUpThenEveryLaterStepIsPlotted) {
    const count_case& c = GetParam();
    random_stream draws(seed);
    const picture drawn = render_maps(run_of(c.resolution, c.intensity, c.color_mode, 256),
                                      {constant_map(0.4, 0.0)}, draws);
    EXPECT_TRUE(drew_exactly(draws, c.draws));
    if (c.plots_mod_256 < 0) {
        return; // the mixed colouring's red depends on which draws were even
    }
    const int row = static_cast<int>((0.2 / 0.42 + 0.5) * c.resolution);
    EXPECT_EQ(drawn.image[3 * (row * c.resolution + c.resolution / 2)], c.plots_mod_256);
}

INSTANTIATE_TEST_SUITE_P(Steps, PlotCount,
                         testing::Values(
                             // defaults: 18,000 framing draws, 2,700,000 steps, 2,684,999 plots
                             count_case{300, 30, color_areas, 18000 + 2700000, 2684999 % 256},
                             count_case{300, 30, color_mixed, 18000 + 2 * 2700000L, -1},
                             // resolution 1: 50 warm-up steps always run; step 51 is the first plot
                             count_case{1, 30, color_areas, 60 + 50, 0},
                             count_case{1, 51, color_areas, 60 + 51, 0},
                             count_case{1, 52, color_areas, 60 + 52, 1},
                             count_case{1, 0, color_areas, 60 + 50, 0},
                             count_case{1, -5, color_areas, 60 + 50, 0},
                             count_case{10, 600, color_areas, 60600, 59499 % 256}));

TEST(Render, XSelectsTheRow) {
    random_stream draws(seed);
    // frame: x from 0 to 0.4, y only 0
    const picture drawn =
        render_maps(run_of(100, 30, color_areas), {constant_map(0.4, 0.0)}, draws);
    EXPECT_NE(drawn.image[3 * (97 * 100 + 50)], 0);
    EXPECT_EQ(drawn.image[3 * (50 * 100 + 97)], 0);
}

// Plots one pixel `plots` times on a fresh background.
int channel_after(int plots, int channel, int color, int background, int color_mode) {
    std::uint8_t pixel[3];
    std::fill(pixel, pixel + 3, static_cast<std::uint8_t>(background & 0xFF));
    for (int i = 0; i < plots; ++i) {
        plot_pixel(pixel, color, background, color_mode);
    }
    return pixel[channel];
}

// The same, through the counting that the plotting loop does.
int counted_channel_after(int plots, int background, int color_mode) {
    const plot_counting counting = counting_for(background, color_mode);
    std::uint8_t pixel[4] = {0, 0, 0, 0};
    for (int i = 0; i < plots; ++i) {
        if (counting.saturates) {
            count_plot<true>(pixel, count_mask(7));
        } else {
            count_plot<false>(pixel, count_mask(7));
        }
    }
    return counting.value_of_count[pixel[0]];
}

struct channel_case {
    int background, plots, expected;
};

class ChannelArithmetic : public testing::TestWithParam<channel_case> {};

TEST_P(ChannelArithmetic, StepsTowardTheInkValue) {
    const channel_case& c = GetParam();
    for (int mode : {color_mixed, color_areas}) {
        EXPECT_EQ(channel_after(c.plots, 0, 7, c.background, mode), c.expected)
            << "background " << c.background;
        EXPECT_EQ(counted_channel_after(c.plots, c.background, mode), c.expected)
            << "counted, background " << c.background;
    }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, ChannelArithmetic,
                         testing::Values(channel_case{0, 254, 254}, channel_case{0, 255, 255},
                                         channel_case{0, 300, 255}, channel_case{100, 54, 154},
                                         channel_case{100, 55, 155}, channel_case{100, 56, 155},
                                         channel_case{127, 1, 128}, channel_case{127, 2, 128},
                                         channel_case{200, 55, 255}, channel_case{200, 56, 0},
                                         channel_case{200, 111, 55}, channel_case{200, 112, 55},
                                         channel_case{255, 1, 254}, channel_case{255, 255, 0},
                                         channel_case{255, 256, 0}, channel_case{256, 255, 255},
                                         channel_case{256, 256, 0}, channel_case{256, 300, 44},
                                         channel_case{-1, 1, 0}, channel_case{-1, 300, 43}));

// Backgrounds so low that 255 - background leaves the int range: the ink is
// still never reached, and its low byte is still what gray draws.
INSTANTIATE_TEST_SUITE_P(LeastBackgrounds, ChannelArithmetic,
                         testing::Values(channel_case{-2147483647 - 1, 300, 44},
                                         channel_case{-2147483393, 1, 0}));

TEST(PlotPixel, GrayDrawsTheLowByteOfTheInk) {
    for (auto [b, ink] : {std::pair{0, 255},
                          {255, 0},
                          {100, 155},
                          {256, 255},
                          {-1, 0},
                          {-2147483647 - 1, 255},
                          {-2147483393, 0}}) {
        for (int plots : {1, 3, 600}) {
            for (int channel = 0; channel < 3; ++channel) {
                // the colour is not consulted
                EXPECT_EQ(channel_after(plots, channel, 0, b, color_gray), ink)
                    << "background " << b;
            }
            EXPECT_EQ(counted_channel_after(plots, b, color_gray), ink)
                << "counted, background " << b;
        }
        EXPECT_EQ(counted_channel_after(0, b, color_gray), b & 0xFF)
            << "unplotted, background " << b;
    }
}

TEST(PlotPixel, ColourBitsSelectTheChannels) {
    struct {
        int color;
        int red, green, blue;
    } cases[] = {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 0, 1, 0}, {4, 0, 0, 1},  {5, 1, 0, 1},
                 {7, 1, 1, 1}, {8, 0, 0, 0}, {9, 1, 0, 0}, {15, 1, 1, 1}, {16, 0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(channel_after(1, 0, c.color, 0, color_mixed), c.red) << c.color;
        EXPECT_EQ(channel_after(1, 1, c.color, 0, color_mixed), c.green) << c.color;
        EXPECT_EQ(channel_after(1, 2, c.color, 0, color_mixed), c.blue) << c.color;
        const std::uint32_t mask = count_mask(c.color);
        EXPECT_EQ(mask, static_cast<std::uint32_t>(c.red | c.green << 8 | c.blue << 16)) << c.color;
    }
}

// The edges of the pixel test: a scaled coordinate is drawn when it lies in
// (-1, R), at the index it truncates to; everything else, however far, and
// NaN, is not drawn.
TEST(PixelOf, DrawsExactlyTheValuesFromMinusOneToR) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct {
        double scaled;
        int size;
        int index; // -1: not drawn
    } cases[] = {
        {0.0, 300, 0},
        {-0.5, 300, 0},
        {std::nextafter(-1.0, 0.0), 300, 0},
        {-1.0, 300, -1},
        {-1.5, 300, -1},
        {299.999, 300, 299},
        {std::nextafter(300.0, 0.0), 300, 299},
        {300.0, 300, -1},
        {1000.5, 1000, -1},
        {999.5, 1000, 999},
        {0.999, 1, 0},
        {1.0, 1, -1},
        {2147483647.0, 1000, -1},
        {2147483648.0, 1000, -1},
        {-2147483648.0, 1000, -1},
        {-2147483649.0, 1000, -1},
        {4294967296.5, 1000, -1}, // would wrap to 0 in 32 bits
        {1e300, 1000, -1},
        {-1e300, 1000, -1},
        {inf, 1000, -1},
        {-inf, 1000, -1},
        {nan, 1000, -1},
    };
    // The loop's test, and the comparisons that stand for it where there is
    // no x86-64 instruction to truncate with: both run here, whatever the
    // machine.
    using pixel_test = bool (*)(double2, int, int*, int*);
    const std::pair<const char*, pixel_test> tests[] = {
        {"pixel_of_scaled", pixel_of_scaled},
        {"pixel_of_scaled_by_comparison", pixel_of_scaled_by_comparison}};
    for (const auto& [name, test] : tests) {
        for (const auto& c : cases) {
            // the same value in either coordinate, the other one well inside
            for (bool as_row : {true, false}) {
                int row = -7, column = -7;
                const double2 scaled = as_row ? double2{c.scaled, 0.5} : double2{0.5, c.scaled};
                const bool drawn = test(scaled, c.size, &row, &column);
                EXPECT_EQ(drawn, c.index >= 0)
                    << name << ": " << c.scaled << " of " << c.size << " row " << as_row;
                if (drawn && c.index >= 0) {
                    EXPECT_EQ(as_row ? row : column, c.index) << name << ": " << c.scaled;
                    EXPECT_EQ(as_row ? column : row, 0) << name << ": " << c.scaled;
                }
            }
        }
    }
    int row = -7, column = -7;
    EXPECT_TRUE(pixel_of(299.5, 0.5, 300, &row, &column));
    EXPECT_EQ(row, 299);
    EXPECT_EQ(column, 0);
}

// A point's colour added to its pixel's counts: each of the first three
// bytes gains its channel's bit of the colour, saturating at 255 or wrapping,
// and the fourth, the next pixel's red, keeps its value. The first byte is
// red on every byte order. count_plot (one add of four bytes on x86-64) and
// count_plot_bytewise (what other machines run) both run here.
template <bool saturates>
std::string first_wrong_count(void (*plot)(std::uint8_t*, std::uint32_t)) {
    const std::uint8_t edges[] = {0, 1, 2, 127, 128, 254, 255};
    for (int color = 0; color < 8; ++color) {
        for (std::uint8_t red : edges) {
            for (std::uint8_t green : edges) {
                for (std::uint8_t blue : edges) {
                    for (std::uint8_t next : edges) {
                        const std::uint8_t before[4] = {red, green, blue, next};
                        std::uint8_t pixel[4] = {red, green, blue, next};
                        plot(pixel, count_mask(color));
                        for (int i = 0; i < 4; ++i) {
                            const int sum = before[i] + (i < 3 ? color >> i & 1 : 0);
                            const int expected = saturates ? std::min(sum, 255) : sum % 256;
                            if (pixel[i] != expected) {
                                return "colour " + std::to_string(color) + ", byte " +
                                       std::to_string(i) + " from " + std::to_string(before[i]) +
                                       " to " + std::to_string(pixel[i]);
                            }
                        }
                    }
                }
            }
        }
    }
    return "";
}

TEST(CountPlot, AddsTheColourToTheFirstThreeBytesOnly) {
    EXPECT_EQ(first_wrong_count<true>(count_plot<true>), "");
    EXPECT_EQ(first_wrong_count<false>(count_plot<false>), "");
    EXPECT_EQ(first_wrong_count<true>(count_plot_bytewise<true>), "");
    EXPECT_EQ(first_wrong_count<false>(count_plot_bytewise<false>), "");
}

void expect_same_drawing(const settings& run, const std::vector<affine_map>& maps, unsigned seed) {
    random_stream fast_draws(seed), step_draws(seed);
    const picture fast = render(run, maps, fast_draws);
    const picture step_by_step = render_step_by_step(run, maps, step_draws);
    EXPECT_EQ(fast_draws(), step_draws()) << "the two made different numbers of draws";
    ASSERT_EQ(fast.image.size(), step_by_step.image.size());
    // The spare byte after the last pixel is no part of the picture.
    const auto [differs, _] =
        std::mismatch(fast.image.begin(), fast.image.end() - 1, step_by_step.image.begin());
    EXPECT_TRUE(differs == fast.image.end() - 1)
        << "first differing byte: row " << (differs - fast.image.begin()) / (3 * run.resolution)
        << ", byte " << (differs - fast.image.begin()) % (3 * run.resolution);
}

struct fast_case {
    const char* checksum; // 8 characters per map
    int map_count, resolution, intensity, background, color_mode;
};

std::vector<affine_map> maps_of(const char* checksum, int count) {
    std::vector<digit_group> groups;
    for (int i = 0; i < count; ++i) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(checksum) + 8 * i));
    }
    return build_maps(groups);
}

class FastLoop : public testing::TestWithParam<fast_case> {};

TEST_P(FastLoop, DrawsWhatTheStepsDraw) {
    const fast_case& c = GetParam();
    settings run = run_of(c.resolution, c.intensity, c.color_mode, c.background);
    run.map_count = c.map_count;
    expect_same_drawing(run, maps_of(c.checksum, c.map_count), 1700000000);
}

const char md5[] = "d41d8cd98f00b204e9800998ecf8427e";
const char sha1_line[] = "da39a3ee5e6b4b0d3255bfef95601890afd80709  some-file.bin";
const char sha512[] = "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
                      "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e";
// fff00000 stretches by about 1.56 at every application: points run far
// out of the frame, some to infinity and NaN
const char escaping[] = "fff00000fff00000ffffffff01234567";

INSTANTIATE_TEST_SUITE_P(
    Backgrounds, FastLoop, testing::ValuesIn([] {
        std::vector<fast_case> cases;
        // the last two: 255 - background leaves the int range
        for (int b : {0, 255, 200, 127, 256, -1, -2147483647 - 1, -2147483393}) {
            for (int mode : {color_gray, color_mixed, color_areas}) {
                cases.push_back(fast_case{md5, 4, 40, 30, b, mode});
            }
        }
        return cases;
    }()));

INSTANTIATE_TEST_SUITE_P(
    MapCountsAndSizes, FastLoop,
    testing::Values(
        // 16 maps: colours 8 and 16 select no channel, 9 to 15 wrap to 1 to 7
        fast_case{sha512, 16, 30, 30, 0, color_mixed},
        fast_case{sha512, 16, 30, 30, 200, color_areas},
        // counts that are no power of two take the remainder by multiplication
        fast_case{sha1_line, 5, 30, 30, 0, color_areas},
        fast_case{sha1_line, 5, 30, 30, 255, color_mixed},
        fast_case{md5, 3, 25, 40, 100, color_areas}, fast_case{sha512, 15, 20, 30, -1, color_mixed},
        fast_case{md5, 1, 20, 30, 0, color_mixed}, fast_case{md5, 2, 20, 30, 0, color_gray},
        // the smallest pictures: one pixel (drawn from intensity 52 on) and 2 x 2
        fast_case{md5, 4, 1, 60, 0, color_areas}, fast_case{md5, 4, 2, 400, 0, color_mixed},
        // thousands of plots per pixel: counts that stop, and counts that wrap many times
        fast_case{md5, 4, 8, 2000, 0, color_areas}, fast_case{md5, 4, 8, 2000, 100, color_mixed},
        fast_case{md5, 4, 8, 2000, 255, color_mixed}, fast_case{md5, 4, 8, 2000, -1, color_areas},
        fast_case{sha512, 16, 8, 2000, 200, color_areas},
        // the largest: the last row and column of the buffer
        fast_case{md5, 4, 1000, 1, 0, color_areas},
        // points outside the frame, far beyond the int range, infinite and NaN
        fast_case{escaping, 4, 50, 30, 0, color_mixed},
        fast_case{escaping, 4, 50, 30, 0, color_gray}));

} // namespace
