#include "chunks.hpp"

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <thread>
#include <vector>

#include "chains.hpp"
#include "counting.hpp"

namespace {

// Below this many plotting steps a run is too short for more threads to
// gain: starting them, jumping their generators ahead and merging their
// counts would cost about what they save.
constexpr std::int64_t steps_worth_threads = 2'000'000;

// The steps that all threads together play between two reports.
constexpr std::int64_t report_steps = std::int64_t{1} << 20;

// What every chunk of one pass shares.
struct pass {
    const plotting_setup& setup;
    const step_players& players;
    const random_stream& first_draws;
    int chains; // per thread
    int lead_in_steps;
    step_meter meter;
    std::atomic<int> workers_left{0};
};

// Counts of every pixel's three channels, all 0, laid out as a picture's
// bytes, spare byte included.
std::vector<std::uint8_t> zero_counts(const plotting_setup& setup) {
    return blank_picture(setup.resolution, 0).image;
}

// A worker's chunk: the lead-in from the starting position, then the chunk
// from its guess into counts of its own. Without counts the chunk stays
// unplayed, and the calling thread plays it again.
void play_guessing(pass& shared, guessed_part& part, std::vector<std::uint8_t>& counts) {
    try {
        if (!stopping(shared.meter)) {
            const random_stream draws = guess_start(
                shared.setup, shared.players, shared.first_draws, 0, part, shared.lead_in_steps);
            counts = zero_counts(shared.setup);
            bool replayed = false;
            part.finish = play_part(shared.setup, shared.players, part.guess, draws, part.first,
                                    part.end, counts, shared.chains, shared.lead_in_steps,
                                    shared.meter, nullptr, &replayed);
            part.played = !stopping(shared.meter);
        }
    } catch (const std::bad_alloc&) {
        counts = {};
    }
    shared.workers_left.fetch_sub(1, std::memory_order_release);
    tell_news(shared.meter);
}

// Sleeps until every worker has ended, woken by the steps that they count
// to tell `progress`, when there is one to tell.
void wait_for_workers(pass& shared, const progress_report& progress) {
    if (progress.report == nullptr) {
        return;
    }
    for (;;) {
        const std::uint32_t news = shared.meter.news.load(std::memory_order_acquire);
        if (shared.workers_left.load(std::memory_order_acquire) == 0) {
            return;
        }
        tell_progress(&progress, shared.meter, shared.setup.steps);
        shared.meter.news.wait(news, std::memory_order_acquire);
    }
}

// Worker threads, joined however the pass ends. (std::jthread would do,
// but the WebAssembly build's C++ library has none.)
struct workers {
    std::vector<std::thread> threads;

    void join() {
        for (std::thread& thread : threads) {
            thread.join();
        }
        threads.clear();
    }
    ~workers() {
        join();
    }
};

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

pass_result play_in_chunks(const plotting_setup& setup, const step_players& players, bool saturates,
                           const thread_plan& plan, const random_stream& draws,
                           progress_report progress) {
    const std::int64_t steps = setup.steps;
    pass_result result;
    // The calling thread's counts come first: they are all that one thread
    // needs, and they become the picture's.
    result.counts = zero_counts(setup);
    const int chains = plan.chains > 0 ? plan.chains : players.chains;
    pass shared{setup, players, draws, chains, plan.lead_in_steps, {}, {}};

    // The records of the chunks, with no worker when even they cannot be had.
    int chunk_count = static_cast<int>(std::clamp<std::int64_t>(plan.threads, 1, steps));
    std::vector<guessed_part> parts;
    std::vector<std::vector<std::uint8_t>> worker_counts;
    workers started;
    try {
        parts.resize(static_cast<std::size_t>(chunk_count));
        worker_counts.resize(static_cast<std::size_t>(chunk_count));
        started.threads.reserve(static_cast<std::size_t>(chunk_count - 1));
    } catch (const std::bad_alloc&) {
        chunk_count = 1;
    }
    if (chunk_count > 1) {
        cut_into_parts(0, steps, chunk_count, parts.data());
    }
    const std::int64_t first_end = chunk_count > 1 ? parts[0].end : steps;
    shared.meter.slice_steps = std::max<std::int64_t>(1, report_steps / chunk_count);

    for (int j = 1; j < chunk_count; ++j) {
        shared.workers_left.fetch_add(1, std::memory_order_relaxed);
        try {
            started.threads.emplace_back(play_guessing, std::ref(shared), std::ref(parts[j]),
                                         std::ref(worker_counts[j]));
        } catch (const std::exception&) {
            shared.workers_left.fetch_sub(1, std::memory_order_relaxed);
            break;
        }
    }
    // The first chunk starts where the pass starts.
    bool first_replayed = false;
    game_position true_end =
        play_part(setup, players, starting_position(), draws, 0, first_end, result.counts,
                  shared.chains, plan.lead_in_steps, shared.meter, &progress, &first_replayed);
    wait_for_workers(shared, progress);
    started.join();

    // In order: each chunk must start where the one before truly ends. One
    // that does not is played again on one chain, into counts that already
    // hold the chunks before it.
    for (int j = 1; j < chunk_count && !stopping(shared.meter); ++j) {
        if (settle_part(setup, players, draws, 0, parts[j], &true_end, result.counts.data(),
                        shared.meter, &progress)) {
            merge_counts(result.counts.data(), worker_counts[j].data(), result.counts.size(),
                         saturates);
        } else {
            ++result.replayed;
        }
        worker_counts[j] = {};
    }
    // Every step has been counted by now, once at least: the report ends at
    // the total.
    tell_progress(&progress, shared.meter, steps);
    result.stopped = stopping(shared.meter);
    result.steps_done = shared.meter.done;
    return result;
}
