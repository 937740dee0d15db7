// The chaos game: a framing pass that measures where the attractor lies, and
// a plotting pass that draws it into the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "fingerprint.hpp"
#include "random_stream.hpp"
#include "settings.hpp"

struct progress_meter;

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

// Where the attractor lies: the point (x, y) lands at
// ((x - center_x) * scale + 0.5, (y - center_y) * scale + 0.5) in the unit
// square, which the plotter scales by the resolution.
struct frame {
    double center_x, center_y, scale;
};

// The frame of the box with the given bounds: its centre, and the scale that
// brings its larger side, widened by 5 %, to length 1.
frame frame_box(double least_x, double greatest_x, double least_y, double greatest_y);

// Plays 60 x resolution plain steps from the origin and frames the points of
// the last tenth of them, all but the first, together with the origin.
template <typename draw_source>
frame frame_attractor(int resolution, const std::vector<affine_map>& maps, draw_source& draws) {
    const int settle_steps = 50 * resolution;
    const int all_steps = 60 * resolution;
    double x = 0.0;
    double y = 0.0;
    int i = 0;
    for (; i < settle_steps; ++i) {
        apply_random_map_plain(maps, draws, &x, &y, x, y);
    }
    // The box starts as the origin, so the origin is always framed too.
    double least_x = 0.0, greatest_x = 0.0, least_y = 0.0, greatest_y = 0.0;
    for (; i < all_steps; ++i) {
        apply_random_map_plain(maps, draws, &x, &y, x, y);
        if (i > settle_steps) {
            // Comparisons with NaN are false, so a NaN point never enters the box.
            if (x < least_x) {
                least_x = x;
            }
            if (x > greatest_x) {
                greatest_x = x;
            }
            if (y < least_y) {
                least_y = y;
            }
            if (y > greatest_y) {
                greatest_y = y;
            }
        }
    }
    return frame_box(least_x, greatest_x, least_y, greatest_y);
}

// Plots a point of colour `color` on the pixel's three bytes under the
// colouring `color_mode`: each channel that the colour's three low bits
// select moves one step towards the ink value 255 - background, wrapping in
// 8 bits, and stops there; the gray colouring paints the ink's low byte.
void plot_pixel(std::uint8_t* pixel, int color, int background, int color_mode);

// The pixel that a point falls in, given its two coordinates scaled to the
// picture (R times its place in the unit square): true, with the row and
// the column, for values in (-1, R), which truncate toward zero to 0 ... R-1;
// false for any other value, NaN and infinities included.
bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column);

// How the plotting pass is shared among threads. Its steps are cut into one
// chunk per thread. Each chunk but the first starts `lead_in_steps` steps
// before its first from a guessed point, since the maps draw any two points
// together; the point and colour that the guess reaches must equal, bit for
// bit, those with which the chunk before ends, or the chunk is played again
// from those. So the picture is the one a single thread draws, always.
struct thread_plan {
    int threads = 1;
    int lead_in_steps = 512;
};

// The plan for a run of `steps` plotting steps: `requested` threads when
// that is above 0, else as many as the machine has cores for a run long
// enough to gain from them, one for a shorter one.
thread_plan plan_threads(int requested, std::int64_t steps);

// The number of steps of the plotting pass, its warm-up included.
std::int64_t plotting_steps(const settings& run);

// Frames the attractor, then plays the plotting pass into a new picture,
// drawing from `draws` and leaving it where one thread would. Reports the
// steps done to `progress` when given, and tells how many chunks had to be
// played again in *replayed_chunks when given.
picture render(const settings& run, const std::vector<affine_map>& maps, random_stream& draws,
               const thread_plan& plan = {}, progress_meter* progress = nullptr,
               int* replayed_chunks = nullptr);
