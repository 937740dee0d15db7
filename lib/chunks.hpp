// The plotting pass cut into chunks of steps that threads play side by side,
// each into counts of its own, merged into the picture's at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "guessed_parts.hpp"
#include "plotting.hpp"

// How the plotting pass is shared among threads. Its steps are cut into one
// chunk per thread, each but the first played from the guess of a lead-in
// of `lead_in_steps` steps, checked against the true end of the chunk
// before and played again when it is off (guessed_parts.hpp). So the
// picture is the one a single thread draws, always.
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

// What the plotting pass gives: the counts of its plots exactly as one
// thread counts them, 3 per pixel and a spare byte; the number of chunks
// played again; and, when the progress function stopped it, `stopped` and
// the steps that the threads had played when they had all ended (the
// counts then mean nothing).
struct pass_result {
    std::vector<std::uint8_t> counts;
    int replayed = 0;
    bool stopped = false;
    std::int64_t steps_done = 0;
};

// Plays the plotting pass, steps 0 to setup.steps - 1 from the starting
// position, on plan.threads threads, `draws` standing where the pass's first
// draw comes from. The calling thread takes its counts before any worker
// starts, so that a pass that one thread could play never fails for want
// of the others' memory: a worker that cannot start, or cannot get its
// counts, leaves its chunk to be played again like one whose guess was off.
// Reports the steps done to `progress`, on the calling thread.
pass_result play_in_chunks(const plotting_setup& setup, const step_players& players, bool saturates,
                           const thread_plan& plan, const random_stream& draws,
                           progress_report progress);
