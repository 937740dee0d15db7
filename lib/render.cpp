#include "render.hpp"

#include <cassert>
#include <utility>

#include "chunks.hpp"
#include "counting.hpp"
#include "framing.hpp"
#include "plotting.hpp"

picture render(const settings& run, const std::vector<affine_map>& maps, random_stream& draws,
               const thread_plan& plan, progress_report progress, int* replayed_chunks) {
    // A picture without pixels takes no step at all: nothing to frame or draw.
    if (run.resolution < 1) {
        return picture{run.resolution, {}};
    }
    assert(run.map_count == static_cast<int>(maps.size()) && !maps.empty());
    const frame framed = frame_attractor(run.resolution, maps, draws);
    const plot_counting counting = counting_for(run.background, run.color_mode);
    const plotting_setup setup = plotting_setup_for(run, maps, framed);
    const step_players players =
        step_players_for(run.color_mode, is_power_of_two(run.map_count), counting.saturates);
    pass_result played = play_in_chunks(setup, players, counting.saturates, plan, draws, progress);
    if (played.stopped) {
        throw draw_stopped(played.steps_done);
    }
    picture drawn{run.resolution, std::move(played.counts)};
    // Where one thread would have left it.
    draws.discard(static_cast<std::uint64_t>(setup.steps) * setup.draws_per_step);
    if (replayed_chunks != nullptr) {
        *replayed_chunks = played.replayed;
    }
    settle_counts(&drawn, counting);
    return drawn;
}
