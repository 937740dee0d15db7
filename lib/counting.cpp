#include "counting.hpp"

#include <algorithm>

plot_counting counting_for(int background, int color_mode) {
    // The value of a channel after n plots, for n = 0 to 255, and where it stops.
    std::uint8_t values[256];
    std::uint8_t pixel[3] = {static_cast<std::uint8_t>(background & 0xFF), 0, 0};
    int steps_to_ink = 256;
    for (int plots = 0; plots < 256; ++plots) {
        values[plots] = pixel[0];
        plot_pixel(pixel, 1, background, color_mode);
        if (pixel[0] == values[plots] && steps_to_ink == 256) {
            steps_to_ink = plots;
        }
    }
    plot_counting counting;
    counting.saturates = steps_to_ink < 256;
    for (int count = 0; count < 256; ++count) {
        counting.value_of_count[count] = values[std::min(count, steps_to_ink)];
    }
    return counting;
}

void settle_counts(picture* drawn, const plot_counting& counting) {
    // The spare byte after the last pixel is no count.
    for (std::size_t i = 0; i + 1 < drawn->image.size(); ++i) {
        drawn->image[i] = counting.value_of_count[drawn->image[i]];
    }
}

void merge_counts(std::uint8_t* total, const std::uint8_t* part, std::size_t size, bool saturates) {
    for (std::size_t i = 0; i < size; ++i) {
        total[i] = add_counts(total[i], part[i], saturates);
    }
}
