// Parts of the plotting pass played at once, each from a guessed start: the
// one way in which both the threads (chunks.cpp) and the chains of one
// thread (chains.cpp) cut the pass, which is a single chain of points.
//
// The maps draw any two points together, so a part that starts its lead-in
// a few hundred steps early from the starting position nearly always
// reaches, bit for bit, the point and colour with which the part before it
// ends. That is checked, never assumed: a part whose guess is off is played
// again on one chain from where the part before truly ends, so the counts
// are those of one chain, always.
#pragma once

#include <atomic>
#include <cstdint>

#include "plotting.hpp"
#include "random_stream.hpp"

// Told how far a draw is, the steps done of the steps in all; an answer
// other than 0 stops the draw.
using progress_fn = int (*)(long long steps_done, long long steps, void* context);

// Where a pass tells how far it is: `report`, when given, is called at least
// every 2^20 steps of all threads together, on the thread that plays the
// pass, never on another.
struct progress_report {
    progress_fn report = nullptr;
    void* context = nullptr;
};

// What every thread of one pass counts on: the steps played (steps played
// again after a failed guess count again), whether the draw is to stop, and
// a word that changes whenever the steps grow or a worker ends, on which the
// calling thread sleeps while it waits.
struct step_meter {
    std::atomic<std::int64_t> done{0};
    std::atomic<bool> stopped{false};
    std::atomic<std::uint32_t> news{0};
    // How many steps a thread plays between two looks at the meter: no more
    // than 2^20, so that a stop is heard within 2^20 steps; less with more
    // threads, so that the calling thread hears of 2^20 steps of them all.
    std::int64_t slice_steps = std::int64_t{1} << 20;
};

inline bool stopping(const step_meter& meter) {
    return meter.stopped.load(std::memory_order_relaxed);
}

// Counts `steps` more on the meter and wakes the thread that waits on it.
void count_steps(step_meter& meter, std::int64_t steps);

// Wakes the waiting thread without a step: a worker has ended.
void tell_news(step_meter& meter);

// Tells `progress`, where there is one to tell, the steps done (at most
// `steps`); when it answers other than 0, stops every thread of the draw.
void tell_progress(const progress_report* progress, step_meter& meter, std::int64_t steps);

// Bit for bit: two positions that agree so go on to draw the same points.
bool same_position(const game_position& a, const game_position& b);

// Plays steps first to end - 1 from `at` on one chain into `counts`, a slice
// at a time, counting them on `meter` and reporting them to `progress` when
// given; returns early, wherever it stands, when the draw stops.
game_position play_one_chain(const plotting_setup& setup, const step_players& players,
                             game_position at, random_stream& draws, std::int64_t first,
                             std::int64_t end, std::uint8_t* counts, step_meter& meter,
                             const progress_report* progress);

// A part of the pass, steps first to end - 1, and what playing it from its
// guessed start gave.
struct guessed_part {
    std::int64_t first = 0, end = 0;
    game_position guess{};  // the start that its lead-in reached
    game_position finish{}; // where it ends when played from `guess`
    bool played = false;    // false until it has been played from `guess`
};

// Cuts steps first to end - 1 into `count` parts of equal length, the last
// taking what is left over.
void cut_into_parts(std::int64_t first, std::int64_t end, int count, guessed_part* parts);

// Sets part.guess by the lead-in: `lead_in_steps` steps before part.first
// (fewer where fewer lie after step `from`) played without plotting from the
// starting position, `draws` standing before step `from`. Returns the
// generator as it stands before part.first.
random_stream guess_start(const plotting_setup& setup, const step_players& players,
                          random_stream draws, std::int64_t from, guessed_part& part,
                          int lead_in_steps);

// Whether the part, played from its guess, ends where the pass truly does:
// it was played, and its guess is bit for bit *true_end, where the part
// before it truly ends.
bool guess_held(const guessed_part& part, const game_position& true_end);

// Settles a part after one that truly ends at *true_end. When the guess
// held, *true_end becomes the part's finish and the answer is true. When it
// did not, the part is played again on one chain from *true_end into
// `counts`, `draws` standing before step `from`, *true_end becomes where it
// truly ends, and the answer is false.
bool settle_part(const plotting_setup& setup, const step_players& players, random_stream draws,
                 std::int64_t from, const guessed_part& part, game_position* true_end,
                 std::uint8_t* counts, step_meter& meter, const progress_report* progress);
