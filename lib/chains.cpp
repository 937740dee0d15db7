#include "chains.hpp"

#include <algorithm>
#include <bit>

#include "chain_loop.hpp"

namespace {

// Steps between two reports of progress: a few milliseconds of work.
constexpr std::int64_t slice_steps = std::int64_t{1} << 20;

void count_steps(step_meter& meter, std::int64_t steps, std::int64_t all,
                 const progress_report* progress) {
    const std::int64_t done = meter.done += steps;
    tell_progress(progress, done, all);
}

// The same generator, its block made to start at the next draw: chains
// set up so run out of ready draws at the same step, whatever draw each
// starts at, and the loop that plays them side by side rarely stops.
random_stream block_started(random_stream draws) {
    std::uint32_t window[random_stream::lag];
    std::copy_n(draws.sums.begin() + (draws.next - random_stream::lag), random_stream::lag, window);
    std::copy_n(window, random_stream::lag, draws.sums.end() - random_stream::lag);
    draws.refill();
    return draws;
}

} // namespace

void tell_progress(const progress_report* progress, std::int64_t done, std::int64_t steps) {
    if (progress != nullptr && progress->report != nullptr) {
        progress->report(std::min(done, steps), steps, progress->context);
    }
}

bool same_position(const game_position& a, const game_position& b) {
    return std::bit_cast<std::uint64_t>(a.point[0]) == std::bit_cast<std::uint64_t>(b.point[0]) &&
           std::bit_cast<std::uint64_t>(a.point[1]) == std::bit_cast<std::uint64_t>(b.point[1]) &&
           a.current_color == b.current_color;
}

game_position play_one_chain(const plotting_setup& setup, const step_players& players,
                             game_position at, random_stream& draws, std::int64_t first,
                             std::int64_t end, std::uint8_t* counts, step_meter& meter,
                             const progress_report* progress) {
    for (std::int64_t i = first; i < end;) {
        const std::int64_t next = std::min(end, i + slice_steps);
        at = players.plotting(setup, at, draws, i, next, counts);
        count_steps(meter, next - i, setup.steps, progress);
        i = next;
    }
    return at;
}

int chains_for(std::int64_t steps, int wanted, int lead_in_steps) {
    // A chain shorter than this spends too much of its time on its lead-in.
    const std::int64_t shortest = std::max<std::int64_t>(4 * std::int64_t{lead_in_steps}, 256);
    int chains = std::clamp(wanted, 1, max_chains);
    while (chains > 1 && steps / chains < shortest) {
        --chains;
    }
    return chains;
}

game_position play_part(const plotting_setup& setup, const step_players& players,
                        game_position start, random_stream draws, std::int64_t first,
                        std::int64_t end, std::vector<std::uint8_t>& counts, int wanted_chains,
                        int lead_in_steps, step_meter& meter, const progress_report* progress,
                        bool* replayed) {
    *replayed = false;
    // The steps of the warm-up plot nothing: they stay on one chain, so that
    // every chain plots every step it plays.
    const std::int64_t plotted = std::clamp(setup.warm_up_steps + 1, first, end);
    game_position at = play_one_chain(setup, players, start, draws, first, plotted, counts.data(),
                                      meter, progress);
    const int chain_count = chains_for(end - plotted, wanted_chains, lead_in_steps);
    if (chain_count < 2) {
        return play_one_chain(setup, players, at, draws, plotted, end, counts.data(), meter,
                              progress);
    }

    // Chain c plays `length` steps from plotted + c * length, the last one
    // on to the end. Each but the first starts `lead_in_steps` steps early
    // from the starting position, which the maps draw to where the chain
    // before ends.
    const std::int64_t length = (end - plotted) / chain_count;
    std::vector<chain> chains;
    std::vector<game_position> guesses;
    chains.reserve(chain_count);
    for (int c = 0; c < chain_count; ++c) {
        const std::int64_t chain_first = plotted + c * length;
        if (c == 0) {
            chains.push_back(chain{at, block_started(draws), chain_first});
        } else {
            const std::int64_t lead_in_first = chain_first - lead_in_steps;
            random_stream lead_in = draws;
            lead_in.discard(static_cast<std::uint64_t>(lead_in_first - plotted) *
                            setup.draws_per_step);
            const game_position guess = players.playing(setup, starting_position(), lead_in,
                                                        lead_in_first, chain_first, nullptr);
            guesses.push_back(guess);
            chains.push_back(chain{guess, block_started(lead_in), chain_first});
        }
    }
    for (std::int64_t done = 0; done < length;) {
        const std::int64_t slice = std::min(length - done, slice_steps / chain_count);
        players.chained[chain_count](setup, chains.data(), slice, counts.data());
        count_steps(meter, slice * chain_count, setup.steps, progress);
        done += slice;
    }
    chain& last = chains.back();
    const game_position finish = play_one_chain(setup, players, last.at, last.draws, last.step, end,
                                                counts.data(), meter, progress);

    bool held = true;
    for (int c = 1; c < chain_count; ++c) {
        held = held && same_position(guesses[c - 1], chains[c - 1].at);
    }
    if (held) {
        return finish;
    }
    // A chain's plots cannot be taken back out of counts that all chains
    // share, so the part is played again on one chain from the true start.
    // The steps before `plotted` plotted nothing: counts cleared to 0 are
    // those that the part had there.
    *replayed = true;
    std::fill(counts.begin(), counts.end(), std::uint8_t{0});
    return play_one_chain(setup, players, at, draws, plotted, end, counts.data(), meter, progress);
}
