// The steps of the plotting pass after the frame and the clear: the warm-up
// and the main loop, written for speed. Each step makes the same draws and
// the same roundings as apply_random_map and plot_point would, so the
// picture is the same to the last byte.
#pragma once

// Plays the warm-up from (1, 2) and the main loop, plotting into image
// within the given frame; leaves current_color as the last step left it.
void play_plotting_steps(double center_x, double center_y, double scale);

// The pixel that a point falls in, given its two coordinates scaled to the
// picture (R times its place in the unit square): true, with the row and
// the column, for values in (-1, R), which truncate toward zero to 0 ... R-1;
// false for any other value, NaN and infinities included.
bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column);
