// A part of the plotting pass played on several chains side by side in one
// thread, the chains cut, guessed and checked as the threads' chunks are
// (guessed_parts.hpp).
#pragma once

#include <cstdint>
#include <vector>

#include "guessed_parts.hpp"
#include "plotting.hpp"

// How many chains play `steps` steps when `wanted` are asked for: fewer
// when the chains would be too short for their lead-ins to pay.
int chains_for(std::int64_t steps, int wanted, int lead_in_steps);

// Plays steps first to end - 1 from `start`, `draws` standing before step
// first, into `counts`, which must be all 0, on up to `wanted_chains` chains
// (chains_for). Returns where the part ends and counts its plots exactly as
// one chain does; tells in *replayed whether a chain's guessed start was off
// and the part was played again on one chain. Counts its steps on `meter`
// and reports them to `progress` when given; when the draw stops, returns
// early with counts and an end that mean nothing.
game_position play_part(const plotting_setup& setup, const step_players& players,
                        game_position start, random_stream draws, std::int64_t first,
                        std::int64_t end, std::vector<std::uint8_t>& counts, int wanted_chains,
                        int lead_in_steps, step_meter& meter, const progress_report* progress,
                        bool* replayed);
