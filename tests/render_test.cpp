// The framing pass, the plotting pass and the channel arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

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

} // namespace
