// The framing pass: where the attractor lies, measured by a short chaos game
// before the picture is drawn.
#pragma once

#include <vector>

#include "fingerprint.hpp"

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
