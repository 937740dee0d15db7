// The plotting pass: the warm-up, then the chaos game drawn into the picture.
//
// How the loop is built: a step's draws are cheap, so a run is bound by the
// chain of map applications, each step's point waiting for the one before.
// Everything else a step does (the map choice, the pixel, the plot) stays
// off that chain and must not add branches that mispredict: the loop keeps
// what it reads in one record, works on x and y in one register, takes
// remainders by a mask where it can, tests the bounds with one comparison per
// index and plots by adding to a count, with no branch and no table lookup
// that depends on the random colour or on the pixel.
#pragma once

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "counting.hpp"
#include "fingerprint.hpp"
#include "framing.hpp"
#include "random_stream.hpp"
#include "settings.hpp"

// Two doubles in one register: x and y of the point, or two coefficients of
// a map, so that one instruction does the work of two. Each lane is rounded
// by itself, exactly as the scalar code rounds.
typedef double double2 __attribute__((vector_size(16)));

// A map as (x', y') = (diagonal * (x, y) + cross * (y, x)) + shift, that is
// (a x + b y + e, d y + c x + f): the second lane adds its two products in
// the other order, which gives the same sum to the last bit, since an IEEE
// sum does not depend on the order of its two terms. With the count mask of
// the map's colour in the areas colouring.
struct map_columns {
    double2 diagonal, cross, shift;
    std::uint32_t mask;
};

// What every step of the plotting pass reads, fixed for the whole pass.
struct plotting_setup {
    map_columns maps[max_maps];
    int map_count;
    std::uint32_t masks[8]; // the count mask of each colour
    double2 center, scale, size;
    int resolution;
    int draws_per_step;              // two in the mixed colouring, one in the others
    std::int64_t warm_up_steps;      // as warm_up_of gives them
    std::int64_t first_plotted_step; // as warm_up_of gives it
    std::int64_t steps;              // all of the pass's, as plotting_steps counts them
};

// The warm-up of the plotting pass, the rule that every part of the engine
// reads from here: a pass takes at least its 50 x R steps, and they draw
// nothing, nor does the step after them, so that the first step to draw is
// the one with index 50 x R + 1.
struct warm_up {
    std::int64_t steps;
    std::int64_t first_plotted_step;
};

inline warm_up warm_up_of(int resolution) {
    const std::int64_t steps = 50 * std::int64_t{resolution};
    return warm_up{steps, steps + 1};
}

// The number of steps of the plotting pass, its warm-up included.
std::int64_t plotting_steps(const settings& run);

plotting_setup plotting_setup_for(const settings& run, const std::vector<affine_map>& maps,
                                  const frame& framed);

// The state of the chaos game between two steps.
struct game_position {
    double2 point;
    int current_color;
};

inline game_position starting_position() {
    return game_position{double2{1.0, 2.0}, 0};
}

// One step: the map choice with its colour rule, then apply_map on both
// coordinates at once.
template <int mode, bool power_of_two_maps, typename draw_source>
inline const map_columns& take_step(const plotting_setup& setup, draw_source& draws,
                                    game_position* at) {
    // The index as unsigned: never negative, and so taken without a sign
    // extension.
    const map_columns& m = setup.maps[static_cast<unsigned>(
        choose_map<power_of_two_maps>(mode, setup.map_count, draws, &at->current_color))];
    const double2 swapped = __builtin_shufflevector(at->point, at->point, 1, 0);
    at->point = (m.diagonal * at->point + m.cross * swapped) + m.shift;
    return m;
}

// The pixel that a point falls in, given its two coordinates scaled to the
// picture (R times its place in the unit square): true, with the row and
// the column, for values in (-1, R), which truncate toward zero to 0 ... R-1;
// false for any other value, NaN and infinities included.
bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column);

// The row and the column of the pixel that a point, scaled to the picture
// (R times its place in the unit square), falls in; false when it falls
// outside. Truncation toward zero sends (-1, 0) to index 0, so the drawn
// values are those in (-1, R). Tested on the double, which keeps NaN,
// infinities and values beyond the int range away from the conversion.
inline bool pixel_of_scaled_by_comparison(double2 scaled, int size, int* row, int* column) {
    if (!(scaled[0] > -1.0 && scaled[0] < size && scaled[1] > -1.0 && scaled[1] < size)) {
        return false;
    }
    *row = static_cast<int>(scaled[0]);
    *column = static_cast<int>(scaled[1]);
    return true;
}

// The same answer as pixel_of_scaled_by_comparison. On x86-64 both indices
// are truncated by one instruction first: cvttpd2dq answers INT_MIN for NaN,
// infinities and values beyond the int range, so one unsigned test per
// index covers every case.
inline bool pixel_of_scaled(double2 scaled, int size, int* row, int* column) {
#if defined(__x86_64__)
    const std::uint64_t both =
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_cvttpd_epi32(scaled)));
    *row = static_cast<int>(static_cast<std::uint32_t>(both));
    *column = static_cast<int>(both >> 32);
    return static_cast<unsigned>(*row) < static_cast<unsigned>(size) &&
           static_cast<unsigned>(*column) < static_cast<unsigned>(size);
#else
    return pixel_of_scaled_by_comparison(scaled, size, row, column);
#endif
}

// Counts the point that a step reached with map `m` on its pixel, if it
// falls in the picture, in the colour that the colouring gives it.
template <int mode, bool saturates>
inline void plot_point(const plotting_setup& setup, const game_position& at, const map_columns& m,
                       std::uint8_t* counts) {
    const double2 half = {0.5, 0.5};
    int row, column;
    if (pixel_of_scaled(((at.point - setup.center) * setup.scale + half) * setup.size,
                        setup.resolution, &row, &column)) {
        // Unsigned, as row and column are by now: no sign extension.
        const unsigned resolution = static_cast<unsigned>(setup.resolution);
        std::uint8_t* const pixel =
            counts + 3 * (static_cast<unsigned>(row) * resolution + static_cast<unsigned>(column));
        count_plot<saturates>(pixel, mode == color_gray    ? count_mask(7)
                                     : mode == color_areas ? m.mask
                                                           : setup.masks[at.current_color & 7]);
    }
}

// Draws read straight from a block of the generator's sums.
struct sums_reader {
    const std::uint32_t* next;
    std::uint32_t operator()() {
        return *next++ >> 1;
    }
};

// Plays the steps with indices from `first` up to `end` on draws that are
// ready, and counts on `counts` (the picture's bytes) the point of every
// step from the setup's first plotted step on. Without
// `plotting` it only plays them: the limit that the benchmarks measure runs
// against.
template <int mode, bool power_of_two_maps, bool saturates, bool plotting = true>
inline void play_ready_steps(const plotting_setup& setup, game_position* at, sums_reader draws,
                             std::int64_t first, std::int64_t end, std::uint8_t* counts) {
    std::int64_t i = first;
    for (; i < end && (!plotting || i < setup.first_plotted_step); ++i) {
        take_step<mode, power_of_two_maps>(setup, draws, at);
    }
    for (; i < end; ++i) {
        const map_columns& m = take_step<mode, power_of_two_maps>(setup, draws, at);
        plot_point<mode, saturates>(setup, *at, m, counts);
    }
}

// Plays the steps with indices from `first` up to `end`, a block of the
// generator's draws at a time: within a block nothing but the steps runs,
// so the point, the colour and the place in the block stay in registers.
// One copy per colouring, kind of map count and kind of count, so that none
// of them is tested on every step.
template <int mode, bool power_of_two_maps, bool saturates, bool plotting = true>
game_position play_steps(const plotting_setup& setup, game_position at, random_stream& draws,
                         std::int64_t first, std::int64_t end, std::uint8_t* counts) {
    constexpr int draws_per_step = mode == color_mixed ? 2 : 1;
    std::int64_t i = first;
    while (i < end) {
        const std::int64_t ready_steps =
            std::min<std::int64_t>(end - i, draws.ready_count() / draws_per_step);
        if (ready_steps > 0) {
            play_ready_steps<mode, power_of_two_maps, saturates, plotting>(
                setup, &at, sums_reader{draws.ready()}, i, i + ready_steps, counts);
            draws.take(static_cast<int>(ready_steps * draws_per_step));
            i += ready_steps;
        } else {
            // The block ends within the step: its draws come one at a time,
            // the generator refilling on the way.
            std::uint32_t sums[draws_per_step];
            for (std::uint32_t& sum : sums) {
                sum = draws() << 1;
            }
            play_ready_steps<mode, power_of_two_maps, saturates, plotting>(
                setup, &at, sums_reader{sums}, i, i + 1, counts);
            ++i;
        }
    }
    return at;
}

using step_player = game_position (*)(const plotting_setup&, game_position, random_stream&,
                                      std::int64_t, std::int64_t, std::uint8_t*);

struct chain;
using chain_player = void (*)(const plotting_setup&, chain*, std::int64_t, std::uint8_t*);

// The most chains that one thread plays side by side: the number that plays
// every colouring fastest (fastest_chains in plotting.cpp). Parts too short
// for that many take fewer (chains_for), so the loops for 2 to max_chains
// chains are compiled, and no others.
inline constexpr int max_chains = 4;

// The copies of play_steps for a run: one that plots, one that only plays
// (the same for every kind of map count and of count, since it runs only
// the short lead-ins); the copies of play_chains (chain_loop.hpp), by their
// number of chains (none for 0 and 1), and the number of chains that plays
// this colouring fastest.
struct step_players {
    step_player plotting, playing;
    chain_player chained[max_chains + 1];
    int chains;
};

step_players step_players_for(int mode, bool power_of_two_maps, bool saturates);
