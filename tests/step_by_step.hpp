// The plotting pass composed of the step functions, as its definition reads,
// with none of the plotting loop's shortcuts: the reference that the loop is
// compared with, byte for byte and draw for draw, by the tests and the fuzzer.
#pragma once

#include <algorithm>
#include <vector>

#include "fingerprint.hpp"
#include "render.hpp"

// apply_random_map for every step, then, for every drawn step, the pixel
// test on the doubles and plot_pixel.
template <typename draw_source>
picture render_step_by_step(const settings& run, const std::vector<affine_map>& maps,
                            draw_source& draws) {
    if (run.resolution < 1) {
        return picture{run.resolution, {}}; // no pixel: no step is worth taking
    }
    const frame framed = frame_attractor(run.resolution, maps, draws);
    picture drawn = blank_picture(run.resolution, run.background);
    const long warm_up = 50L * run.resolution;
    const long all = static_cast<long>(run.intensity) * run.resolution * run.resolution;
    const double size = run.resolution;
    double x = 1.0, y = 2.0;
    int current_color = 0;
    for (long i = 0; i < std::max(warm_up, all); ++i) {
        apply_random_map(maps, run.color_mode, draws, &current_color, &x, &y, x, y);
        if (i > warm_up) {
            const double u = ((x - framed.center_x) * framed.scale + 0.5) * size;
            const double v = ((y - framed.center_y) * framed.scale + 0.5) * size;
            if (u > -1.0 && u < size && v > -1.0 && v < size) {
                plot_pixel(pixel_at(drawn, static_cast<int>(u), static_cast<int>(v)), current_color,
                           run.background, run.color_mode);
            }
        }
    }
    return drawn;
}
