// A part of the plotting pass played on several chains side by side in one
// thread, the chains cut and checked as the threads' chunks are.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "chunks.hpp"
#include "plotting.hpp"

// The steps played so far, counted by every thread that plays.
struct step_meter {
    std::atomic<std::int64_t> done{0};
};

// Tells `progress`, where there is one to tell, how many steps are done.
// Steps played again after a failed guess count once.
void tell_progress(const progress_report* progress, std::int64_t done, std::int64_t steps);

// Bit for bit: two positions that agree so go on to draw the same points.
bool same_position(const game_position& a, const game_position& b);

// Plays steps first to end - 1 from `at` on one chain into `counts`, a slice
// at a time, counting them on `meter`; reports them to `progress` when given.
game_position play_one_chain(const plotting_setup& setup, const step_players& players,
                             game_position at, random_stream& draws, std::int64_t first,
                             std::int64_t end, std::uint8_t* counts, step_meter& meter,
                             const progress_report* progress);

// How many chains play `steps` steps when `wanted` are asked for: fewer
// when the chains would be too short for their lead-ins to pay.
int chains_for(std::int64_t steps, int wanted, int lead_in_steps);

// Plays steps first to end - 1 from `start`, `draws` standing before step
// first, into `counts`, which must be all 0, on up to `wanted_chains` chains
// (chains_for). Returns where the part ends and counts its plots exactly as
// one chain does; tells in *replayed whether a chain's guessed start was off
// and the part was played again on one chain.
game_position play_part(const plotting_setup& setup, const step_players& players,
                        game_position start, random_stream draws, std::int64_t first,
                        std::int64_t end, std::vector<std::uint8_t>& counts, int wanted_chains,
                        int lead_in_steps, step_meter& meter, const progress_report* progress,
                        bool* replayed);
