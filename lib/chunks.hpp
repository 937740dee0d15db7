// The plotting pass cut into chunks of steps that threads play side by side,
// each into counts of its own, merged into the picture's at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plotting.hpp"
#include "tessadox/tessadox.h"

// How the plotting pass is shared among threads. Its steps are cut into one
// chunk per thread. Each chunk but the first starts `lead_in_steps` steps
// before its first from a guessed point, since the maps draw any two points
// together; the point and colour that the guess reaches must equal, bit for
// bit, those with which the chunk before ends, or the chunk is played again
// from those. So the picture is the one a single thread draws, always.
//
// Inside each thread the chunk is cut again, into `chains` chains that the
// thread plays side by side (chains.hpp), with the same lead-in and the
// same check; 0 chains: as many as play the run's colouring fastest.
struct thread_plan {
    int threads = 1;
    int lead_in_steps = 512;
    int chains = 0;
};

// The plan for a run of `steps` plotting steps: `requested` threads when
// that is above 0, else as many as the machine has cores for a run long
// enough to gain from them, one for a shorter one.
thread_plan plan_threads(int requested, std::int64_t steps);

// Where a pass tells how far it is: `report`, when given, is called now and
// then with the steps done and the steps in all, on the thread that plays
// the pass, never on another.
struct progress_report {
    tessadox_progress_fn report = nullptr;
    void* context = nullptr;
};

// Plays the plotting pass, steps 0 to setup.steps - 1 from the
// starting position, on plan.threads threads, and returns the counts of its
// plots exactly as one thread counts them: 3 per pixel and a spare byte.
// `draws` stands where the pass's first draw comes from. Reports the steps
// done to `progress`, and the number of chunks played again in *replayed.
std::vector<std::uint8_t> play_in_chunks(const plotting_setup& setup, const step_players& players,
                                         bool saturates, const thread_plan& plan,
                                         const random_stream& draws, progress_report progress,
                                         int* replayed);
