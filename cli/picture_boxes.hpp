// The picture averaged over a grid of boxes: how it is shrunk to fit a
// terminal without the jagged edges of picking one pixel per box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// A square picture: `size` rows of red, green and blue bytes, `row_stride`
// bytes from the start of one row to the next.
struct picture_view {
    const std::uint8_t* rgb;
    int size;
    std::size_t row_stride;
};

// How the PNG writer would show the picture, which a copy of it must match.
struct picture_look {
    bool swap_red_blue; // -c: the PNG holds blue, green, red
    bool transparent;   // -t: pixels of the background gray are see-through
    std::uint8_t background;
};

struct rgb_color {
    std::uint8_t red, green, blue;
    friend bool operator==(const rgb_color&, const rgb_color&) = default;
};

// The mean colour of the square at (row, column) of a grid of side n laid
// over the picture, or of `rows` squares stacked downwards from it: each
// pixel weighed by the area of it that the box covers, rounded to nearest.
// Nothing when the look is transparent and every pixel that the box touches
// is the background gray. Needs n >= 1 and row + rows <= n.
std::optional<rgb_color> box_mean(const picture_view& picture, const picture_look& look, int n,
                                  int row, int column, int rows = 1);
