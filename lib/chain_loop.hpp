// The plotting loop on several chains at once. One chain of points cannot
// go faster than the latency of its map applications, each point waiting
// for the one before; chains that start at different steps of the pass do
// not wait for each other, so a loop that takes step k of every chain side
// by side keeps the core's arithmetic units busy with the others' work while
// each chain waits.
#pragma once

#include <algorithm>
#include <cstdint>

#include "plotting.hpp"
#include "random_stream.hpp"

// One chain of the plotting pass: its position, the generator where its
// next draw comes from, and the index of its next step.
struct chain {
    game_position at;
    random_stream draws;
    std::int64_t step;
};

// Plays `steps` steps of each of `chain_count` chains on draws that are
// ready in every chain's block, step k of all chains side by side, and
// counts every step's point on `counts`. Every step must be past the
// warm-up. The compiler unrolls the loop over the chains, so that each
// chain's point, colour and place in its block stay in registers.
template <int mode, bool power_of_two_maps, bool saturates, int chain_count>
[[gnu::noinline]] void play_ready_chains(const plotting_setup& setup, chain* chains,
                                         std::int64_t steps, std::uint8_t* __restrict counts) {
    game_position at[chain_count];
    sums_reader draws[chain_count];
    for (int c = 0; c < chain_count; ++c) {
        at[c] = chains[c].at;
        draws[c] = sums_reader{chains[c].draws.ready()};
    }
    for (std::int64_t i = 0; i < steps; ++i) {
#pragma GCC unroll 8
        for (int c = 0; c < chain_count; ++c) {
            const map_columns& m = take_step<mode, power_of_two_maps>(setup, draws[c], &at[c]);
            plot_point<mode, saturates>(setup, at[c], m, counts);
        }
    }
    for (int c = 0; c < chain_count; ++c) {
        chains[c].at = at[c];
    }
}

// Plays `steps` steps of each of `chain_count` chains, all past the
// warm-up, a stretch of ready draws at a time. Chains whose blocks start at
// the same draw, as play_part (chains.cpp) sets them up, run out of ready
// draws together; a step where one does not have them is played one chain
// at a time, each chain's generator refilling on the way.
template <int mode, bool power_of_two_maps, bool saturates, int chain_count>
void play_chains(const plotting_setup& setup, chain* chains, std::int64_t steps,
                 std::uint8_t* counts) {
    constexpr int draws_per_step = mode == color_mixed ? 2 : 1;
    std::int64_t done = 0;
    while (done < steps) {
        int ready = chains[0].draws.ready_count();
        for (int c = 1; c < chain_count; ++c) {
            ready = std::min(ready, chains[c].draws.ready_count());
        }
        const std::int64_t ready_steps =
            std::min<std::int64_t>(steps - done, ready / draws_per_step);
        const std::int64_t played = std::max<std::int64_t>(ready_steps, 1);
        if (ready_steps > 0) {
            play_ready_chains<mode, power_of_two_maps, saturates, chain_count>(setup, chains,
                                                                               ready_steps, counts);
            for (int c = 0; c < chain_count; ++c) {
                chains[c].draws.take(static_cast<int>(ready_steps * draws_per_step));
            }
        } else {
            for (int c = 0; c < chain_count; ++c) {
                chain& one = chains[c];
                one.at = play_steps<mode, power_of_two_maps, saturates>(
                    setup, one.at, one.draws, one.step, one.step + 1, counts);
            }
        }
        for (int c = 0; c < chain_count; ++c) {
            chains[c].step += played;
        }
        done += played;
    }
}
