// The chaos game: a framing pass that measures where the attractor lies, and
// a plotting pass that draws it into the frame buffer.
#pragma once

#include <cstdint>

#include "settings.hpp"

inline constexpr int image_stride = 3 * max_resolution; // bytes from one row to the next

// Rows of red, green and blue bytes; a run uses the top-left
// resolution x resolution pixels. The x coordinate selects the row. The row
// after the last is spare: the plotting loop reads and writes four bytes at
// a pixel, and leaves the fourth as it was.
extern std::uint8_t image[max_resolution + 1][image_stride];

// Centre and scale of the box around the given bounds, its larger side
// widened by 5 % and brought to length 1.
void frame_box(double least_x, double greatest_x, double least_y, double greatest_y,
               double* center_x, double* center_y, double* scale);

// Plays 60 x resolution plain steps from the origin and frames the points of
// the last tenth of them, together with the origin.
void frame_attractor(double* center_x, double* center_y, double* scale);

// Sets the used part of every used row to the low byte of the background.
void clear_image();

// Plots a point of colour `color` on the pixel's three bytes under the run's
// colouring: each channel that the colour's three low bits select moves one
// step towards the ink value 255 - background, wrapping in 8 bits, and stops
// there; the gray colouring paints the ink's low byte.
void plot_pixel(std::uint8_t* pixel, int color);

// Draws one point at (row, column) in the colour current_color.
void plot_point(int row, int column);

// The pixel that a point falls in, given its two coordinates scaled to the
// picture (R times its place in the unit square): true, with the row and
// the column, for values in (-1, R), which truncate toward zero to 0 ... R-1;
// false for any other value, NaN and infinities included.
bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column);

// Frames the attractor, clears the picture and plots the chaos game into it.
void render();
