// The picture that the plotting pass draws into, and the rule by which a
// point changes a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "settings.hpp"

// The picture: `resolution` rows of 3 x resolution bytes, red, green and
// blue, the top row first. The chaos game's x coordinate selects the row.
struct picture {
    int resolution = 0;
    // One spare byte after the last pixel: the plotting loop reads and writes
    // four bytes at a pixel, and leaves the fourth as it was.
    std::vector<std::uint8_t> image;
};

// A picture of the given size with every byte the low byte of `background`.
picture blank_picture(int resolution, int background);

inline std::uint8_t* pixel_at(picture& drawn, int row, int column) {
    return &drawn.image[3 * (static_cast<std::size_t>(row) * drawn.resolution + column)];
}

// Plots a point of colour `color` on the pixel's three bytes under the
// colouring `color_mode`: each channel that the colour's three low bits
// select moves one step towards the ink value 255 - background, wrapping in
// 8 bits, and stops there; the gray colouring paints the ink's low byte.
void plot_pixel(std::uint8_t* pixel, int color, int background, int color_mode);

// Swaps every pixel's red and blue, for a picture written blue, green, red.
void flip_to_bgr(picture* drawn);
