#include "plotting.hpp"

#include "chain_loop.hpp"

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
    const warm_up warming = warm_up_of(run.resolution);
    setup.warm_up_steps = warming.steps;
    setup.first_plotted_step = warming.first_plotted_step;
    setup.steps = plotting_steps(run);
    return setup;
}

namespace {

// The number of chains that each colouring plays fastest on one core,
// gray, mixed, areas (measured: docs/performance.md).
constexpr int fastest_chains[3] = {4, 4, 4};

template <int mode, bool power_of_two_maps, bool saturates>
constexpr step_players players_of = {play_steps<mode, power_of_two_maps, saturates, true>,
                                     play_steps<mode, false, false, false>,
                                     {nullptr, nullptr,
                                      play_chains<mode, power_of_two_maps, saturates, 2>,
                                      play_chains<mode, power_of_two_maps, saturates, 3>,
                                      play_chains<mode, power_of_two_maps, saturates, 4>},
                                     fastest_chains[mode]};
static_assert(max_chains == 4, "a loop for every number of chains up to max_chains");

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

std::int64_t plotting_steps(const settings& run) {
    // A picture without pixels takes no step; a picture has at most 1000
    // pixels a side, so the products stay far inside 64 bits.
    if (run.resolution < 1) {
        return 0;
    }
    const std::int64_t all = std::int64_t{run.intensity} * run.resolution * run.resolution;
    return std::max(warm_up_of(run.resolution).steps, all);
}
