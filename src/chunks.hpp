// The plotting pass cut into chunks of steps that threads play side by side,
// each into counts of its own, merged into the picture's at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plotting.hpp"

struct progress_meter;

// Plays the plotting pass, steps 0 to setup.steps - 1 from the
// starting position, on plan.threads threads, and returns the counts of its
// plots exactly as one thread counts them: 3 per pixel and a spare byte.
// `draws` stands where the pass's first draw comes from. Reports the steps
// done to `progress` when given, and the number of chunks played again in
// *replayed.
std::vector<std::uint8_t> play_in_chunks(const plotting_setup& setup, const step_players& players,
                                         bool saturates, const thread_plan& plan,
                                         const random_stream& draws, progress_meter* progress,
                                         int* replayed);
