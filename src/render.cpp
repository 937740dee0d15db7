#include "render.hpp"

#include <cassert>
#include <thread>

#include "chunks.hpp"
#include "counting.hpp"
#include "plotting.hpp"

namespace {

// Below this many plotting steps a run is too short for more threads to
// gain: starting them, jumping their generators ahead and merging their
// counts would cost about what they save.
constexpr std::int64_t steps_worth_threads = 2'000'000;

} // namespace

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
    setup.draws_per_step = run.color_mode == color_mixed ? 2 : 1;
    setup.warm_up_steps = 50 * std::int64_t{run.resolution};
    setup.steps = plotting_steps(run);
    return setup;
}

namespace {

template <int mode, bool power_of_two_maps, bool saturates>
constexpr step_players players_of = {play_steps<mode, power_of_two_maps, saturates, true>,
                                     play_steps<mode, power_of_two_maps, saturates, false>};

template <int mode>
constexpr step_players players_in_colouring[2][2] = {
    {players_of<mode, false, false>, players_of<mode, false, true>},
    {players_of<mode, true, false>, players_of<mode, true, true>}};

} // namespace

step_players step_players_for(int mode, bool power_of_two_maps, bool saturates) {
    switch (mode) {
    case color_gray:
        return players_in_colouring<color_gray>[power_of_two_maps][saturates];
    case color_mixed:
        return players_in_colouring<color_mixed>[power_of_two_maps][saturates];
    default:
        return players_in_colouring<color_areas>[power_of_two_maps][saturates];
    }
}

bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column) {
    return pixel_of_scaled(double2{row_scaled, column_scaled}, size, row, column);
}

thread_plan plan_threads(int requested, std::int64_t steps) {
    thread_plan plan;
    if (requested > 0) {
        plan.threads = requested;
    } else if (steps >= steps_worth_threads) {
        plan.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    return plan;
}

std::int64_t plotting_steps(const settings& run) {
    // A picture without pixels takes no step; a picture has at most 1000
    // pixels a side, so the products stay far inside 64 bits.
    if (run.resolution < 1) {
        return 0;
    }
    const std::int64_t warm_up = 50 * std::int64_t{run.resolution};
    const std::int64_t all = std::int64_t{run.intensity} * run.resolution * run.resolution;
    return std::max(warm_up, all);
}

picture render(const settings& run, const std::vector<affine_map>& maps, random_stream& draws,
               const thread_plan& plan, progress_meter* progress, int* replayed_chunks) {
    // A picture without pixels takes no step at all: nothing to frame or draw.
    if (run.resolution < 1) {
        return picture{run.resolution, {}};
    }
    assert(run.map_count == static_cast<int>(maps.size()) && !maps.empty());
    const frame framed = frame_attractor(run.resolution, maps, draws);
    const plot_counting counting = counting_for(run.background, run.color_mode);
    const plotting_setup setup = plotting_setup_for(run, maps, framed);
    const step_players players =
        step_players_for(run.color_mode, is_power_of_two(run.map_count), counting.saturates);
    int replayed = 0;
    picture drawn{run.resolution, play_in_chunks(setup, players, counting.saturates, plan, draws,
                                                 progress, &replayed)};
    // Where one thread would have left it.
    draws.discard(static_cast<std::uint64_t>(setup.steps) * setup.draws_per_step);
    if (replayed_chunks != nullptr) {
        *replayed_chunks = replayed;
    }
    settle_counts(&drawn, counting);
    return drawn;
}
