#include "guessed_parts.hpp"

#include <algorithm>
#include <bit>

void count_steps(step_meter& meter, std::int64_t steps) {
    meter.done.fetch_add(steps, std::memory_order_relaxed);
    tell_news(meter);
}

void tell_news(step_meter& meter) {
    meter.news.fetch_add(1, std::memory_order_release);
    meter.news.notify_one();
}

void tell_progress(const progress_report* progress, step_meter& meter, std::int64_t steps) {
    // Once stopped, the function is not asked again.
    if (progress == nullptr || progress->report == nullptr || stopping(meter)) {
        return;
    }
    const std::int64_t done = std::min(meter.done.load(std::memory_order_relaxed), steps);
    if (progress->report(done, steps, progress->context) != 0) {
        meter.stopped.store(true, std::memory_order_relaxed);
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
    for (std::int64_t i = first; i < end && !stopping(meter);) {
        const std::int64_t next = std::min(end, i + meter.slice_steps);
        at = players.plotting(setup, at, draws, i, next, counts);
        count_steps(meter, next - i);
        tell_progress(progress, meter, setup.steps);
        i = next;
    }
    return at;
}

void cut_into_parts(std::int64_t first, std::int64_t end, int count, guessed_part* parts) {
    const std::int64_t length = (end - first) / count;
    for (int j = 0; j < count; ++j) {
        parts[j].first = first + j * length;
        parts[j].end = j + 1 < count ? parts[j].first + length : end;
    }
}

random_stream guess_start(const plotting_setup& setup, const step_players& players,
                          random_stream draws, std::int64_t from, guessed_part& part,
                          int lead_in_steps) {
    const std::int64_t lead_in_first = std::max(from, part.first - lead_in_steps);
    draws.discard(static_cast<std::uint64_t>(lead_in_first - from) * setup.draws_per_step);
    part.guess =
        players.playing(setup, starting_position(), draws, lead_in_first, part.first, nullptr);
    return draws;
}

bool guess_held(const guessed_part& part, const game_position& true_end) {
    return part.played && same_position(part.guess, true_end);
}

bool settle_part(const plotting_setup& setup, const step_players& players, random_stream draws,
                 std::int64_t from, const guessed_part& part, game_position* true_end,
                 std::uint8_t* counts, step_meter& meter, const progress_report* progress) {
    if (guess_held(part, *true_end)) {
        *true_end = part.finish;
        return true;
    }
    draws.discard(static_cast<std::uint64_t>(part.first - from) * setup.draws_per_step);
    *true_end = play_one_chain(setup, players, *true_end, draws, part.first, part.end, counts,
                               meter, progress);
    return false;
}
