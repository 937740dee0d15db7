#include "chunks.hpp"

#include <algorithm>
#include <chrono>
#include <exception>
#include <future>
#include <thread>
#include <vector>

#include "chains.hpp"
#include "counting.hpp"

namespace {

// Below this many plotting steps a run is too short for more threads to
// gain: starting them, jumping their generators ahead and merging their
// counts would cost about what they save.
constexpr std::int64_t steps_worth_threads = 2'000'000;

struct chunk {
    std::int64_t first, end; // the steps it plots
    game_position start;     // the guessed position before `first`
    game_position finish;    // where the chunk ends, from its start
    std::vector<std::uint8_t> counts;
    bool played = false; // false until a thread has played it
};

// The generator as it stands before step `step` of the plotting pass.
random_stream draws_before(const plotting_setup& setup, const random_stream& first_draws,
                           std::int64_t step) {
    random_stream draws = first_draws;
    draws.discard(static_cast<std::uint64_t>(step) * setup.draws_per_step);
    return draws;
}

// What every chunk of one pass shares.
struct pass {
    const plotting_setup& setup;
    const step_players& players;
    const random_stream& first_draws;
    int chains; // per thread
    step_meter meter;
};

// Counts of every pixel's three channels, all 0, laid out as a picture's
// bytes, spare byte included.
std::vector<std::uint8_t> zero_counts(const plotting_setup& setup) {
    return blank_picture(setup.resolution, 0).image;
}

// A thread's part: the lead-in from a guessed point, then the chunk.
void play_guessing(pass& shared, chunk& part, int lead_in_steps) {
    const std::int64_t lead_in = std::min<std::int64_t>(lead_in_steps, part.first);
    random_stream draws = draws_before(shared.setup, shared.first_draws, part.first - lead_in);
    part.start = shared.players.playing(shared.setup, starting_position(), draws,
                                        part.first - lead_in, part.first, nullptr);
    part.counts = zero_counts(shared.setup);
    bool replayed = false;
    part.finish =
        play_part(shared.setup, shared.players, part.start, draws, part.first, part.end,
                  part.counts, shared.chains, lead_in_steps, shared.meter, nullptr, &replayed);
    part.played = true;
}

void report_while_waiting(std::future<void>& worker, pass& shared,
                          const progress_report& progress) {
    using namespace std::chrono_literals;
    while (worker.wait_for(50ms) == std::future_status::timeout) {
        tell_progress(&progress, shared.meter.done, shared.setup.steps);
    }
}

} // namespace

thread_plan plan_threads(int requested, std::int64_t steps) {
    thread_plan plan;
    if (requested > 0) {
        plan.threads = requested;
    } else if (steps >= steps_worth_threads) {
        plan.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    return plan;
}

std::vector<std::uint8_t> play_in_chunks(const plotting_setup& setup, const step_players& players,
                                         bool saturates, const thread_plan& plan,
                                         const random_stream& draws, progress_report progress,
                                         int* replayed) {
    const std::int64_t steps = setup.steps;
    const std::int64_t chunk_count = std::clamp<std::int64_t>(plan.threads, 1, steps);
    std::vector<chunk> chunks(static_cast<std::size_t>(chunk_count));
    for (std::int64_t j = 0; j < chunk_count; ++j) {
        chunks[j].first = steps * j / chunk_count;
        chunks[j].end = steps * (j + 1) / chunk_count;
    }
    pass shared{setup, players, draws, plan.chains > 0 ? plan.chains : players.chains, {}};

    // A chunk whose thread cannot start, or cannot get its counts, is
    // played again below like one whose guess was off.
    std::vector<std::future<void>> workers;
    for (std::size_t j = 1; j < chunks.size(); ++j) {
        try {
            workers.push_back(std::async(std::launch::async, play_guessing, std::ref(shared),
                                         std::ref(chunks[j]), plan.lead_in_steps));
        } catch (const std::exception&) {
            break;
        }
    }
    // The first chunk starts where the pass starts, and its counts become all.
    std::vector<std::uint8_t> counts = zero_counts(setup);
    bool first_replayed = false;
    game_position true_end =
        play_part(setup, players, starting_position(), draws, 0, chunks[0].end, counts,
                  shared.chains, plan.lead_in_steps, shared.meter, &progress, &first_replayed);
    for (std::future<void>& worker : workers) {
        report_while_waiting(worker, shared, progress);
        try {
            worker.get();
        } catch (const std::exception&) {
        }
    }

    // In order: each chunk must start where the one before truly ends. One
    // that does not is played again on one chain, into counts that already
    // hold the chunks before it.
    *replayed = 0;
    for (std::size_t j = 1; j < chunks.size(); ++j) {
        chunk& part = chunks[j];
        if (part.played && same_position(part.start, true_end)) {
            merge_counts(counts.data(), part.counts.data(), counts.size(), saturates);
            true_end = part.finish;
        } else {
            random_stream replay = draws_before(setup, draws, part.first);
            true_end = play_one_chain(setup, players, true_end, replay, part.first, part.end,
                                      counts.data(), shared.meter, &progress);
            ++*replayed;
        }
        part.counts = {};
    }
    tell_progress(&progress, steps, steps);
    return counts;
}
