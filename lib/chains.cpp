#include "chains.hpp"

#include <algorithm>

#include "chain_loop.hpp"

namespace {

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
    const std::int64_t plotted = std::clamp(setup.first_plotted_step, first, end);
    const game_position at = play_one_chain(setup, players, start, draws, first, plotted,
                                            counts.data(), meter, progress);
    const int chain_count = chains_for(end - plotted, wanted_chains, lead_in_steps);
    if (chain_count < 2) {
        return play_one_chain(setup, players, at, draws, plotted, end, counts.data(), meter,
                              progress);
    }

    // Chain c plays part c; each but the first from the guess of its
    // lead-in, `draws` standing before step `plotted`. All play the length
    // of the first side by side, then the last plays on to the end.
    guessed_part parts[max_chains];
    chain chains[max_chains];
    cut_into_parts(plotted, end, chain_count, parts);
    parts[0].guess = at;
    chains[0] = chain{at, block_started(draws), plotted};
    for (int c = 1; c < chain_count && !stopping(meter); ++c) {
        const random_stream lead_in =
            guess_start(setup, players, draws, plotted, parts[c], lead_in_steps);
        chains[c] = chain{parts[c].guess, block_started(lead_in), parts[c].first};
    }
    const std::int64_t length = parts[0].end - parts[0].first;
    for (std::int64_t done = 0; done < length && !stopping(meter);) {
        const std::int64_t slice =
            std::min(length - done, std::max<std::int64_t>(1, meter.slice_steps / chain_count));
        players.chained[chain_count](setup, chains, slice, counts.data());
        count_steps(meter, slice * chain_count);
        tell_progress(progress, meter, setup.steps);
        done += slice;
    }
    chain& last = chains[chain_count - 1];
    last.at = play_one_chain(setup, players, last.at, last.draws, last.step, end, counts.data(),
                             meter, progress);
    if (stopping(meter)) {
        return last.at;
    }
    game_position true_end = at;
    bool held = true;
    for (int c = 0; c < chain_count; ++c) {
        parts[c].finish = chains[c].at;
        parts[c].played = true;
        held = held && guess_held(parts[c], true_end);
        true_end = parts[c].finish;
    }
    if (held) {
        return true_end;
    }
    // A chain's plots cannot be taken back out of counts that all chains
    // share, so every chain's part is played again on one chain, in order,
    // from the true start. The steps before `plotted` plotted nothing:
    // counts cleared to 0 are those that the part had there.
    *replayed = true;
    std::fill(counts.begin(), counts.end(), std::uint8_t{0});
    true_end = at;
    for (int c = 0; c < chain_count; ++c) {
        parts[c].played = false;
        settle_part(setup, players, draws, plotted, parts[c], &true_end, counts.data(), meter,
                    progress);
    }
    return true_end;
}
