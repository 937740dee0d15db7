// The picture as text: box averaging, the 256-colour palette, the bytes of
// a line and the settings read from the terminal's environment.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "palette.hpp"
#include "picture_boxes.hpp"
#include "terminal.hpp"
#include "terminal_picture.hpp"

namespace {

// A picture whose rows are 6 bytes longer than its pixels, filled with a
// value that no test pixel has: reading by 3 * size instead of the stride,
// or past a row, shows up in the means.
struct test_picture {
    int size;
    std::vector<std::uint8_t> bytes;

    explicit test_picture(int side, rgb_color fill = {0, 0, 0})
        : size(side), bytes(static_cast<std::size_t>(side) * stride(), 0xEE) {
        for (int row = 0; row < side; ++row) {
            for (int column = 0; column < side; ++column) {
                set(row, column, fill);
            }
        }
    }
    std::size_t stride() const {
        return 3 * static_cast<std::size_t>(size) + 6;
    }
    void set(int row, int column, rgb_color color) {
        std::uint8_t* pixel = &bytes[row * stride() + 3 * column];
        pixel[0] = color.red, pixel[1] = color.green, pixel[2] = color.blue;
    }
    picture_view view() const {
        return picture_view{bytes.data(), size, stride()};
    }
};

const picture_look plain{false, false, 0};

TEST(BoxMean, WeighsEachPixelByTheAreaTheBoxCovers) {
    // 4 x 4 onto 2 x 2: boxes of four whole pixels. Red 16 row + 4 column.
    test_picture ramp(4);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const auto red = static_cast<std::uint8_t>(16 * row + 4 * column);
            ramp.set(row, column, {red, static_cast<std::uint8_t>(255 - red), 7});
        }
    }
    // 3 x 3 onto 2 x 2: boxes of 1.5 x 1.5 pixels. The corner pixel counts
    // whole in its box, the middle one a quarter in each of the four.
    test_picture split(3);
    split.set(0, 0, {90, 0, 0});
    split.set(1, 1, {225, 0, 0});
    struct {
        const test_picture& picture;
        int n, row, column, rows;
        rgb_color mean;
    } cases[] = {
        {ramp, 2, 0, 0, 1, {10, 245, 7}}, // (0 + 4 + 16 + 20) / 4
        {ramp, 2, 0, 1, 1, {18, 237, 7}}, // (8 + 12 + 24 + 28) / 4
        {ramp, 2, 1, 1, 1, {50, 205, 7}}, // (40 + 44 + 56 + 60) / 4
        {ramp, 4, 0, 0, 2, {8, 247, 7}},  // two squares stacked: (0 + 16) / 2
        {ramp, 1, 0, 0, 1, {30, 225, 7}}, // the whole picture
        {split, 2, 0, 0, 1, {65, 0, 0}},  // (90 + 225 / 4) / 2.25
        {split, 2, 1, 1, 1, {25, 0, 0}},  // (225 / 4) / 2.25
        {split, 3, 1, 1, 1, {225, 0, 0}}, // one pixel per square: the pixel
        {split, 2, 0, 0, 2, {45, 0, 0}},  // 3 x 1.5 pixels: (90 + 225 / 2) / 4.5
    };
    for (const auto& c : cases) {
        EXPECT_EQ(box_mean(c.picture.view(), plain, c.n, c.row, c.column, c.rows), c.mean)
            << c.picture.size << " onto " << c.n << " at " << c.row << "," << c.column;
    }
}

TEST(BoxMean, RoundsToNearestSwapsRedAndBlueAndSeesThroughTheBackground) {
    test_picture picture(4, {30, 30, 30});
    picture.set(3, 3, {200, 30, 31});
    picture.set(0, 0, {31, 30, 30});
    const picture_look swapped{true, false, 30};
    const picture_look transparent{false, true, 30};
    struct {
        picture_look look;
        int row, column;
        std::optional<rgb_color> mean;
    } cases[] = {
        {plain, 1, 1, rgb_color{73, 30, 30}},       // 72.5 rounds up; 30.25 down
        {plain, 0, 0, rgb_color{30, 30, 30}},       // 30.25
        {swapped, 1, 1, rgb_color{30, 30, 73}},     // the PNG would hold blue first
        {transparent, 0, 1, std::nullopt},          // every pixel is the background
        {transparent, 0, 0, rgb_color{30, 30, 30}}, // one pixel is not, though it rounds to it
        {transparent, 1, 1, rgb_color{73, 30, 30}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(box_mean(picture.view(), c.look, 2, c.row, c.column), c.mean)
            << c.row << "," << c.column << " swapped " << c.look.swap_red_blue;
    }
}

TEST(GridSide, FitsTheWindowKeepsTheLastLineFreeAndNeverEnlarges) {
    struct {
        int picture_size, columns, lines, side;
    } cases[] = {
        {300, 80, 24, 46},  // 23 lines of two squares
        {300, 30, 100, 30}, // as wide as the window
        {10, 80, 24, 10},   // never more squares than pixels
        {45, 200, 24, 45},  // an odd side: the last line is half used
        {300, 80, 2, 2},    // one line for the picture, one for the prompt
        {300, 80, 1, 2},    // a single line is still used
        {300, 0, 24, 1},    {1000, 2147483647, 2147483647, 1000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(grid_side(c.picture_size, c.columns, c.lines), c.side)
            << c.picture_size << " in " << c.columns << "x" << c.lines;
    }
}

TEST(Palette, NearestOfCubeAndGrays) {
    struct {
        rgb_color color;
        int index;
    } cases[] = {
        {{0, 0, 0}, 16},        {{255, 255, 255}, 231}, // the ends are in the cube
        {{255, 0, 0}, 196},     {{0, 255, 0}, 46},
        {{0, 0, 255}, 21},      {{95, 135, 175}, 67},   // 16 + 36 * 1 + 6 * 2 + 3
        {{114, 0, 0}, 52},                              // 19 from 95, 21 from 135
        {{116, 0, 0}, 88},                              // 21 from 95, 19 from 135
        {{8, 8, 8}, 232},       {{238, 238, 238}, 255}, // the ends of the grays
        {{128, 128, 128}, 244},                         // gray 128 is exact, the cube's 135 is not
        {{5, 5, 5}, 232},                               // 3 from gray 8, 5 from black
        {{4, 4, 4}, 16},                                // 4 from both: the cube wins
        {{247, 247, 247}, 231},                         // 8 from white, 9 from gray 238
        {{128, 128, 132}, 244}, // 16 from gray 128, 107 from the cube's 135s
        {{128, 128, 140}, 102}, // 144 from gray 128, 123 from the cube's 135s
        {{200, 60, 60}, 167},   // far from every gray: 215/95/95
    };
    for (const auto& c : cases) {
        EXPECT_EQ(palette_index(c.color), c.index)
            << int(c.color.red) << "," << int(c.color.green) << "," << int(c.color.blue);
    }
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
    }
    return text;
}

const std::string upper = "\u2580", lower = "\u2584";

// Escape sequences in full: each colour is set where it changes and only there.
TEST(PictureLines, HalfBlocksWithColoursSetOnlyWhereTheyChange) {
    const rgb_color red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    test_picture two(2);
    two.set(0, 0, red), two.set(0, 1, red), two.set(1, 0, blue), two.set(1, 1, green);
    EXPECT_EQ(joined(picture_lines(two.view(), plain, {terminal_colors::direct, 80, 24})),
              "\x1b[38;2;255;0;0;48;2;0;0;255m" + upper + "\x1b[48;2;0;255;0m" + upper +
                  "\x1b[0m\n");
    EXPECT_EQ(joined(picture_lines(two.view(), plain, {terminal_colors::palette, 80, 24})),
              "\x1b[38;5;196;48;5;21m" + upper + "\x1b[48;5;46m" + upper + "\x1b[0m\n");

    // Three rows: the second line has upper halves only. On a see-through
    // background (0) a half with no ink shows the terminal's own.
    const rgb_color x{9, 9, 9}, y{0, 0, 90};
    test_picture three(3);
    three.set(0, 0, x), three.set(0, 1, x), three.set(1, 0, y), three.set(1, 2, x);
    three.set(2, 2, x);
    const std::string set_x = "\x1b[38;2;9;9;9m";
    EXPECT_EQ(
        joined(picture_lines(three.view(), {false, true, 0}, {terminal_colors::direct, 3, 9})),
        "\x1b[38;2;9;9;9;48;2;0;0;90m" + upper + "\x1b[49m" + upper + lower + "\x1b[0m\n" + "  " +
            set_x + upper + "\x1b[0m\n");
    // Opaque, the same picture paints the background black, and the
    // missing half of the last line stays the terminal's.
    EXPECT_EQ(joined(picture_lines(three.view(), plain, {terminal_colors::direct, 3, 9})),
              "\x1b[38;2;9;9;9;48;2;0;0;90m" + upper + "\x1b[48;2;0;0;0m" + upper +
                  "\x1b[38;2;0;0;0;48;2;9;9;9m" + upper + "\x1b[0m\n" + "\x1b[38;2;0;0;0m" + upper +
                  upper + set_x + upper + "\x1b[0m\n");
}

TEST(PictureLines, WindowSizeDecidesTheGrid) {
    const test_picture picture(300, {40, 50, 60});
    struct {
        terminal_view view;
        std::size_t lines, cells;
    } cases[] = {
        {{terminal_colors::direct, 80, 24}, 23, 46},
        {{terminal_colors::palette, 21, 24}, 11, 21},
        {{terminal_colors::text_only, 80, 24}, 23, 46},
        {{terminal_colors::text_only, 33, 24}, 17, 33},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> lines = picture_lines(picture.view(), plain, c.view);
        ASSERT_EQ(lines.size(), c.lines) << c.view.columns;
        for (const std::string& line : lines) {
            // One character per cell without colour, one half block with it.
            std::size_t cells = line.size() - 1;
            if (c.view.colors != terminal_colors::text_only) {
                cells = 0;
                for (std::size_t at = line.find(upper); at != std::string::npos;
                     at = line.find(upper, at + 1)) {
                    ++cells;
                }
            }
            EXPECT_EQ(cells, c.cells) << c.view.columns << ": " << line;
            EXPECT_EQ(line.back(), '\n');
        }
    }
}

// Without colour the density follows the distance from the background:
// the background is blank on black as on white, and full ink is densest.
TEST(PictureLines, TextOnlyHasNoEscapeAndShowsInkOnEitherBackground) {
    for (const std::uint8_t background : {0, 255}) {
        const std::uint8_t ink = 255 - background;
        test_picture picture(4, {background, background, background});
        picture.set(0, 0, {ink, ink, ink}), picture.set(1, 0, {ink, ink, ink});
        picture.set(3, 3, {ink, ink, ink});
        const std::vector<std::string> lines = picture_lines(
            picture.view(), {false, false, background}, {terminal_colors::text_only, 80, 24});
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "@   \n") << int(background);
        EXPECT_EQ(lines[1].size(), 5u);
        EXPECT_EQ(lines[1].substr(0, 3), "   ") << int(background);
        EXPECT_NE(lines[1][3], ' ') << "half a cell of ink still shows";
        EXPECT_NE(lines[1][3], '@') << "half a cell of ink is lighter than a whole one";
    }
}

TEST(TerminalEnvironment, ColoursFromNoColorTermAndColorterm) {
    struct {
        const char *no_color, *term, *colorterm;
        terminal_colors colors;
    } cases[] = {
        {nullptr, "xterm-256color", nullptr, terminal_colors::palette},
        {nullptr, nullptr, nullptr, terminal_colors::palette},
        {nullptr, "xterm", "truecolor", terminal_colors::direct},
        {nullptr, "xterm", "24bit", terminal_colors::direct},
        {nullptr, "xterm", "yes", terminal_colors::palette},
        {"1", "xterm", "truecolor", terminal_colors::text_only},
        {"", "xterm", "truecolor", terminal_colors::direct}, // empty NO_COLOR counts as unset
        {nullptr, "dumb", "truecolor", terminal_colors::text_only},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colors_for(c.no_color, c.term, c.colorterm), c.colors)
            << (c.no_color ? c.no_color : "-") << " " << (c.term ? c.term : "-") << " "
            << (c.colorterm ? c.colorterm : "-");
    }
}

TEST(TerminalEnvironment, SizeFromWindowThenEnvironmentThenDefault) {
    struct {
        int window;
        const char* environment;
        int dimension;
    } cases[] = {
        {100, "50", 100}, {0, "50", 50}, {0, nullptr, 80}, {0, "", 80},    {0, "abc", 80},
        {0, "-5", 80},    {0, "0", 80},  {0, "12x", 80},   {0, " 12", 80}, {0, "99999999999", 80},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(terminal_dimension(c.window, c.environment, 80), c.dimension)
            << c.window << " " << (c.environment ? c.environment : "-");
    }
}

} // namespace
