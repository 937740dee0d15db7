#include "render.hpp"

#include "plotting.hpp"

frame frame_box(double least_x, double greatest_x, double least_y, double greatest_y) {
    const double width = (greatest_x - least_x) * 1.05;
    const double height = (greatest_y - least_y) * 1.05;
    const double larger_side = width > height ? width : height;
    frame framed;
    framed.scale = 1.0 / larger_side; // a box of zero size gives +infinity: nothing is drawn
    framed.center_x = (greatest_x + least_x) * 0.5;
    framed.center_y = (least_y + greatest_y) * 0.5;
    return framed;
}

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
    counting.first_count = static_cast<std::uint8_t>(counting.saturates ? 255 - steps_to_ink : 0);
    for (int count = 0; count < 256; ++count) {
        const int plots = (count - counting.first_count) & 0xFF;
        counting.value_of_count[count] =
            values[counting.saturates && plots > steps_to_ink ? steps_to_ink : plots];
    }
    return counting;
}

void settle_counts(picture* drawn, const plot_counting& counting) {
    // The spare byte after the last pixel is no count.
    for (std::size_t i = 0; i + 1 < drawn->image.size(); ++i) {
        drawn->image[i] = counting.value_of_count[drawn->image[i]];
    }
}

plotting_setup plotting_setup_for(const settings& run, const std::vector<affine_map>& maps,
                                  const frame& framed) {
    plotting_setup setup{};
    for (std::size_t k = 0; k < maps.size(); ++k) {
        const affine_map& m = maps[k];
        setup.maps[k] = map_columns{double2{m.a, m.d}, double2{m.b, m.c}, double2{m.e, m.f},
                                    count_mask(static_cast<int>(k) + 1)};
    }
    setup.map_count = static_cast<int>(maps.size());
    for (int color = 0; color < 8; ++color) {
        setup.masks[color] = count_mask(color);
    }
    const double size = run.resolution;
    setup.center = double2{framed.center_x, framed.center_y};
    setup.scale = double2{framed.scale, framed.scale};
    setup.size = double2{size, size};
    setup.resolution = run.resolution;
    setup.warm_up_steps = 50 * std::int64_t{run.resolution};
    setup.all_steps = std::int64_t{run.intensity} * run.resolution * run.resolution;
    return setup;
}

step_player step_player_for(int mode, bool power_of_two_maps, bool saturates) {
#define TESSADOX_PLAYERS(mode)                                                                     \
    {                                                                                              \
        {play_steps<mode, false, false>, play_steps<mode, false, true>}, {                         \
            play_steps<mode, true, false>, play_steps<mode, true, true>                            \
        }                                                                                          \
    }
    static constexpr step_player players[3][2][2] = {
        TESSADOX_PLAYERS(color_gray), TESSADOX_PLAYERS(color_mixed), TESSADOX_PLAYERS(color_areas)};
#undef TESSADOX_PLAYERS
    return players[mode][power_of_two_maps][saturates];
}

bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column) {
    return pixel_of_scaled(double2{row_scaled, column_scaled}, size, row, column);
}
