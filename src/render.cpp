#include "render.hpp"

#include <cassert>
#include <cstring>

#include "fingerprint.hpp"
#include "plotting_loop.hpp"

std::uint8_t image[max_resolution][image_stride];

void frame_box(double least_x, double greatest_x, double least_y, double greatest_y,
               double* center_x, double* center_y, double* scale) {
    const double width = (greatest_x - least_x) * 1.05;
    const double height = (greatest_y - least_y) * 1.05;
    const double larger_side = width > height ? width : height;
    *scale = 1.0 / larger_side; // a box of zero size gives +infinity: nothing is drawn
    *center_x = (greatest_x + least_x) * 0.5;
    *center_y = (least_y + greatest_y) * 0.5;
}

void frame_attractor(double* center_x, double* center_y, double* scale) {
    const int settle_steps = 50 * resolution;
    const int all_steps = 60 * resolution;
    double x = 0.0;
    double y = 0.0;
    int i = 0;
    for (; i < settle_steps; ++i) {
        apply_random_map_plain(&x, &y, x, y);
    }
    // The box starts as the origin, so the origin is always framed too.
    double least_x = 0.0, greatest_x = 0.0, least_y = 0.0, greatest_y = 0.0;
    for (; i < all_steps; ++i) {
        apply_random_map_plain(&x, &y, x, y);
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
    frame_box(least_x, greatest_x, least_y, greatest_y, center_x, center_y, scale);
}

void clear_image() {
    for (int row = 0; row < resolution; ++row) {
        std::memset(image[row], background & 0xFF, 3 * static_cast<std::size_t>(resolution));
    }
}

void plot_pixel(std::uint8_t* pixel, int color) {
    // Not reduced: outside 0-255 it is never reached. 64 bits, because for
    // the lowest backgrounds 255 - background is past the int range.
    const std::int64_t ink = 255 - std::int64_t{background};
    if (color_mode == color_gray) {
        pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(ink);
        return;
    }
    for (int channel = 0; channel < 3; ++channel) {
        if ((color >> channel & 1) && pixel[channel] != ink) {
            pixel[channel] += background == 255 ? -1 : 1; // wraps in 8 bits
        }
    }
}

void plot_point(int row, int column) {
    plot_pixel(&image[row][3 * column], current_color);
}

void render() {
    // A picture without pixels takes no step at all: nothing to frame or draw.
    if (resolution < 1) {
        return;
    }
    assert(map_count >= 1 && map_count <= max_maps);

    double center_x, center_y, scale;
    frame_attractor(&center_x, &center_y, &scale);
    clear_image();
    play_plotting_steps(center_x, center_y, scale);
}
