#include "picture.hpp"

#include <utility>

picture blank_picture(int resolution, int background) {
    const std::size_t side = resolution > 0 ? static_cast<std::size_t>(resolution) : 0;
    return picture{resolution,
                   std::vector<std::uint8_t>(3 * side * side + 1,
                                             static_cast<std::uint8_t>(background & 0xFF))};
}

void plot_pixel(std::uint8_t* pixel, int color, int background, int color_mode) {
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

void flip_to_bgr(picture* drawn) {
    // The spare byte after the last pixel stays where it is.
    for (std::size_t i = 0; i + 2 < drawn->image.size(); i += 3) {
        std::swap(drawn->image[i], drawn->image[i + 2]);
    }
}
