// The framing pass, the plotting pass and the channel arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "fingerprint.hpp"
#include "render.hpp"
#include "scripted_rand.hpp"

namespace {

// Map k sends every point to a fixed place, so the scatter is known.
void constant_map(int k, double x, double y) {
    maps[k] = affine_map{0, 0, 0, 0, x, y};
}

class Render : public testing::Test {
  protected:
    void SetUp() override {
        std::memset(maps, 0, sizeof maps);
        std::memset(image, 0, sizeof image);
        resolution = 300;
        background = 0;
        intensity = 30;
        map_count = 1;
        color_mode = color_mixed;
        current_color = 0;
        reset_rand();
    }
    void TearDown() override {
        reset_rand();
    }
};

TEST(FrameBox, OriginIsFramedWithTheAttractor) {
    double cx, cy, scale;
    frame_box(0.0, 0.4, -0.1, 0.1, &cx, &cy, &scale);
    EXPECT_DOUBLE_EQ(scale, 1 / 0.42);
    EXPECT_DOUBLE_EQ(cx, 0.2);
    EXPECT_EQ(cy, 0.0);
}

TEST_F(Render, FramingDrawsSixtyValuesPerPixelOfSide) {
    for (int r : {300, 1, 0, -1}) {
        resolution = r;
        reset_rand();
        double cx, cy, scale;
        frame_attractor(&cx, &cy, &scale);
        EXPECT_EQ(rand_calls(), r > 0 ? 60L * r : 0) << r;
    }
}

TEST_F(Render, FramingBoxesTheOriginAndTheRecordedPoints) {
    map_count = 2;
    constant_map(0, 0.4, 0.1);
    constant_map(1, 0.2, -0.1);
    double cx, cy, scale;
    frame_attractor(&cx, &cy, &scale);
    EXPECT_DOUBLE_EQ(scale, 1 / 0.42);
    EXPECT_DOUBLE_EQ(cx, 0.2);
    EXPECT_DOUBLE_EQ(cy, 0.0);
}

TEST_F(Render, FramingSkipsTheFirstMeasuringStepAndKeepsTheLast) {
    resolution = 1; // settle on steps 0-49, record steps 51-59
    map_count = 2;
    constant_map(0, 0.4, 0.2);
    constant_map(1, 5.0, 5.0);
    double cx, cy, scale;

    script_rand_repeat(1, 51); // steps 0-50 go far away
    script_rand_repeat(0, 9);
    frame_attractor(&cx, &cy, &scale);
    EXPECT_DOUBLE_EQ(cx, 0.2) << "step 50 must not be recorded";
    EXPECT_DOUBLE_EQ(cy, 0.1);

    reset_rand();
    script_rand_repeat(0, 59);
    script_rand({1}); // step 59 goes far away
    frame_attractor(&cx, &cy, &scale);
    EXPECT_DOUBLE_EQ(cx, 2.5) << "step 59 must be recorded";
}

TEST_F(Render, LinearMapsGiveAnInfiniteScale) {
    map_count = 3;
    maps[0] = affine_map{0.5, 0.1, 0.2, 0.5, 0, 0};
    maps[1] = affine_map{0.3, 0, 0, 0.3, 0, 0};
    double cx, cy, scale;
    frame_attractor(&cx, &cy, &scale);
    EXPECT_EQ(scale, std::numeric_limits<double>::infinity());
    EXPECT_EQ(cx, 0.0);
    EXPECT_EQ(cy, 0.0);
}

bool only_background(int value) {
    for (int row = 0; row < resolution; ++row) {
        for (int byte = 0; byte < 3 * resolution; ++byte) {
            if (image[row][byte] != value) {
                return false;
            }
        }
    }
    return true;
}

TEST_F(Render, UnframeableAttractorsShowOnlyTheBackground) {
    background = 40;
    resolution = 50;
    map_count = 2; // every map linear: the box is the origin alone
    maps[0] = affine_map{0.5, 0.1, 0.2, 0.5, 0, 0};
    render();
    EXPECT_TRUE(only_background(40));

    maps[0] = affine_map{1e200, 0, 0, 1, 1, 0}; // x runs off to infinity
    maps[1] = affine_map{1e200, 0, 0, 1, 1, 0};
    render();
    EXPECT_TRUE(only_background(40));
}

TEST_F(Render, NoPictureTakesNoStepAndTouchesNothing) {
    for (int r : {0, -1, -2147483647 - 1}) {
        resolution = r;
        image[0][0] = 0x33;
        reset_rand();
        render();
        EXPECT_EQ(rand_calls(), 0) << r;
        EXPECT_EQ(image[0][0], 0x33) << r;
    }
}

// One constant map puts every plotted point on one pixel; with background
// 256 its red channel counts the plots modulo 256 without ever stopping.
struct count_case {
    int resolution, intensity, color_mode;
    long rand_calls;
    int plots_mod_256;
};

class PlotCount : public Render, public testing::WithParamInterface<count_case> {};

TEST_P(PlotCount, WarmUpThenEveryLaterStepIsPlotted) {
    const count_case& c = GetParam();
    resolution = c.resolution;
    intensity = c.intensity;
    color_mode = c.color_mode;
    background = 256;
    constant_map(0, 0.4, 0.0);
    render();
    EXPECT_EQ(rand_calls(), c.rand_calls);
    if (c.plots_mod_256 < 0) {
        return; // the mixed colouring's red depends on which draws were even
    }
    const int row = static_cast<int>((0.2 / 0.42 + 0.5) * c.resolution);
    EXPECT_EQ(image[row][3 * (c.resolution / 2)], c.plots_mod_256);
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

TEST_F(Render, XSelectsTheRow) {
    resolution = 100;
    color_mode = color_areas;
    constant_map(0, 0.4, 0.0); // frame: x from 0 to 0.4, y only 0
    render();
    EXPECT_NE(image[97][3 * 50], 0);
    EXPECT_EQ(image[50][3 * 97], 0);
}

TEST_F(Render, ClearTouchesOnlyTheUsedArea) {
    std::memset(image, 0x5A, sizeof image);
    resolution = 2;
    background = 256 + 7; // the low byte is what is written
    clear_image();
    EXPECT_EQ(image[1][5], 7);
    EXPECT_EQ(image[0][6], 0x5A);
    EXPECT_EQ(image[2][0], 0x5A);
}

// Plots pixel (0, 0) `plots` times on a fresh background.
int channel_after(int plots, int channel = 0) {
    resolution = 1;
    clear_image();
    for (int i = 0; i < plots; ++i) {
        plot_point(0, 0);
    }
    return image[0][channel];
}

struct channel_case {
    int background, plots, expected;
};

class ChannelArithmetic : public Render, public testing::WithParamInterface<channel_case> {};

TEST_P(ChannelArithmetic, StepsTowardTheInkValue) {
    const channel_case& c = GetParam();
    background = c.background;
    current_color = 7;
    for (int mode : {color_mixed, color_areas}) {
        color_mode = mode;
        EXPECT_EQ(channel_after(c.plots), c.expected) << "background " << c.background;
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

TEST_F(Render, GrayDrawsTheLowByteOfTheInk) {
    color_mode = color_gray;
    current_color = 0; // not consulted
    for (auto [b, ink] : {std::pair{0, 255},
                          {255, 0},
                          {100, 155},
                          {256, 255},
                          {-1, 0},
                          {-2147483647 - 1, 255},
                          {-2147483393, 0}}) {
        background = b;
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_EQ(channel_after(3, channel), ink) << "background " << b;
        }
    }
}

TEST_F(Render, ColourBitsSelectTheChannels) {
    struct {
        int color;
        int red, green, blue;
    } cases[] = {{0, 0, 0, 0}, {1, 1, 0, 0}, {2, 0, 1, 0}, {4, 0, 0, 1},  {5, 1, 0, 1},
                 {7, 1, 1, 1}, {8, 0, 0, 0}, {9, 1, 0, 0}, {15, 1, 1, 1}, {16, 0, 0, 0}};
    for (const auto& c : cases) {
        current_color = c.color;
        EXPECT_EQ(channel_after(1, 0), c.red) << c.color;
        EXPECT_EQ(channel_after(1, 1), c.green) << c.color;
        EXPECT_EQ(channel_after(1, 2), c.blue) << c.color;
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
    for (const auto& c : cases) {
        // the same value in either coordinate, the other one well inside
        for (bool as_row : {true, false}) {
            int row = -7, column = -7;
            const bool drawn = as_row ? pixel_of(c.scaled, 0.5, c.size, &row, &column)
                                      : pixel_of(0.5, c.scaled, c.size, &row, &column);
            EXPECT_EQ(drawn, c.index >= 0) << c.scaled << " of " << c.size << " row " << as_row;
            if (drawn && c.index >= 0) {
                EXPECT_EQ(as_row ? row : column, c.index) << c.scaled;
                EXPECT_EQ(as_row ? column : row, 0) << c.scaled;
            }
        }
    }
}

// The plotting pass composed of the step functions, as its definition reads:
// apply_random_map for every step, then, for every drawn step, the pixel
// test on the doubles and plot_point. The fast loop must leave the same
// bytes, the same colour and the same number of draws.
void render_step_by_step() {
    double center_x, center_y, scale;
    frame_attractor(&center_x, &center_y, &scale);
    clear_image();
    const long warm_up = 50L * resolution;
    const long all = static_cast<long>(intensity) * resolution * resolution;
    double x = 1.0, y = 2.0;
    for (long i = 0; i < std::max(warm_up, all); ++i) {
        apply_random_map(&x, &y, x, y);
        if (i > warm_up) {
            const double u = ((x - center_x) * scale + 0.5) * resolution;
            const double v = ((y - center_y) * scale + 0.5) * resolution;
            if (u > -1.0 && u < resolution && v > -1.0 && v < resolution) {
                plot_point(static_cast<int>(u), static_cast<int>(v));
            }
        }
    }
}

struct drawn_run {
    std::vector<std::uint8_t> image;
    int color;
    long draws;
};

// Runs one way of drawing on a buffer full of 0x5A, so that bytes outside
// the picture must stay untouched too.
drawn_run draw_with(void (*draw)(), unsigned seed) {
    std::memset(image, 0x5A, sizeof image);
    current_color = 0;
    reset_rand();
    std::srand(seed);
    draw();
    const std::uint8_t* bytes = &image[0][0];
    return drawn_run{std::vector<std::uint8_t>(bytes, bytes + sizeof image), current_color,
                     rand_calls()};
}

void expect_same_drawing(unsigned seed) {
    const drawn_run fast = draw_with(render, seed);
    const drawn_run step_by_step = draw_with(render_step_by_step, seed);
    EXPECT_EQ(fast.draws, step_by_step.draws);
    EXPECT_EQ(fast.color, step_by_step.color);
    const auto [differs, _] =
        std::mismatch(fast.image.begin(), fast.image.end(), step_by_step.image.begin());
    EXPECT_TRUE(differs == fast.image.end())
        << "first differing byte: row " << (differs - fast.image.begin()) / image_stride
        << ", byte " << (differs - fast.image.begin()) % image_stride;
}

struct fast_case {
    const char* checksum; // 8 characters per map
    int map_count, resolution, intensity, background, color_mode;
};

class FastLoop : public Render, public testing::WithParamInterface<fast_case> {};

TEST_P(FastLoop, DrawsWhatTheStepsDraw) {
    const fast_case& c = GetParam();
    map_count = c.map_count;
    for (int i = 0; i < map_count; ++i) {
        digit_groups[i] = decode_group(reinterpret_cast<const unsigned char*>(c.checksum) + 8 * i);
    }
    build_maps();
    resolution = c.resolution;
    intensity = c.intensity;
    background = c.background;
    color_mode = c.color_mode;
    expect_same_drawing(1700000000);
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
