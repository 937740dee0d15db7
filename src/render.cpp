#include "render.hpp"

#include <cassert>
#include <cstring>

#include "fingerprint.hpp"

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

void plot_point(int row, int column) {
    std::uint8_t* pixel = &image[row][3 * column];
    // Not reduced: outside 0-255 it is never reached. 64 bits, because for
    // the lowest backgrounds 255 - background is past the int range.
    const std::int64_t ink = 255 - std::int64_t{background};
    if (color_mode == color_gray) {
        pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(ink);
        return;
    }
    for (int channel = 0; channel < 3; ++channel) {
        if ((current_color >> channel & 1) && pixel[channel] != ink) {
            pixel[channel] += background == 255 ? -1 : 1; // wraps in 8 bits
        }
    }
}

// The index of the pixel that a coordinate, already scaled to the picture,
// falls in; -1 when it falls outside. Truncation toward zero sends
// (-1, 0) to 0, so testing the double against (-1, R) before the conversion
// is the same as converting first and testing 0 <= index < R, and it keeps
// NaN, infinities and values beyond the int range away from the conversion.
static int pixel_index(double scaled) {
    if (scaled > -1.0 && scaled < resolution) {
        return static_cast<int>(scaled);
    }
    return -1;
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

    const int warm_up_steps = 50 * resolution;
    // 64 bits: intensities above 2147 at the largest size still run in full.
    const std::int64_t all_steps = static_cast<std::int64_t>(intensity) * resolution * resolution;
    const double size = resolution;
    double x = 1.0;
    double y = 2.0;
    std::int64_t i = 0;
    for (; i < warm_up_steps; ++i) {
        apply_random_map(&x, &y, x, y);
    }
    for (; i < all_steps; ++i) {
        apply_random_map(&x, &y, x, y);
        if (i > warm_up_steps) {
            const int row = pixel_index(((x - center_x) * scale + 0.5) * size);
            const int column = pixel_index(((y - center_y) * scale + 0.5) * size);
            if (row >= 0 && column >= 0) {
                plot_point(row, column);
            }
        }
    }
}
