// Microbenchmarks of the parts of a run that take its time: a draw, the
// random step in each colouring, the framing pass, the plotting pass and the
// PNG writer. Each case reports the rate of its unit of work (draws, steps,
// or bytes of picture) so that sizes can be compared; the whole run is
// measured by limit_table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "fingerprint.hpp"
#include "plotting.hpp"
#include "png_output.hpp"
#include "random_stream.hpp"
#include "render.hpp"

namespace {

constexpr unsigned seed = 1700000000;

// The settings and maps of md5's empty checksum, as a run would have them.
settings run_of(int size, int mode) {
    settings run;
    run.resolution = size;
    run.color_mode = mode;
    return run;
}

std::vector<affine_map> md5_maps() {
    const char checksum[] = "d41d8cd98f00b204e9800998ecf8427e";
    std::vector<digit_group> groups;
    for (int i = 0; i < 4; ++i) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(checksum) + 8 * i));
    }
    return build_maps(groups);
}

void draw(benchmark::State& state) {
    random_stream draws(seed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(draws());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(draw);

// The C library's rand(), which the generator replaces, for comparison.
void rand_draw(benchmark::State& state) {
    std::srand(seed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::rand());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(rand_draw);

// A jump as far as a thread's share of the largest run.
void discard(benchmark::State& state) {
    random_stream draws(seed);
    for (auto _ : state) {
        draws.discard(static_cast<std::uint64_t>(state.range(0)));
        benchmark::DoNotOptimize(draws.sums);
    }
}
BENCHMARK(discard)->Arg(100000)->Arg(60000000)->Unit(benchmark::kMicrosecond);

// Steps as the plotting loop takes them, without plotting: the draws, the
// map choice, the colour rule and the map on one chain of points.
void random_step(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    const std::vector<affine_map> maps = md5_maps();
    const plotting_setup setup = plotting_setup_for(run_of(300, mode), maps, frame{0, 0, 1});
    random_stream draws(seed);
    game_position at = starting_position();
    for (auto _ : state) {
        switch (mode) {
        case color_gray:
            take_step<color_gray, true>(setup, draws, &at);
            break;
        case color_mixed:
            take_step<color_mixed, true>(setup, draws, &at);
            break;
        default:
            take_step<color_areas, true>(setup, draws, &at);
        }
        benchmark::DoNotOptimize(at);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(random_step)->ArgName("color_mode")->Arg(color_gray)->Arg(color_mixed)->Arg(color_areas);

void framing_pass(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const std::vector<affine_map> maps = md5_maps();
    random_stream draws(seed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(frame_attractor(size, maps, draws));
    }
    state.SetItemsProcessed(state.iterations() * 60 * size);
}
BENCHMARK(framing_pass)->ArgName("resolution")->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The whole of render: framing, clearing and intensity x R x R steps.
void plotting_pass(benchmark::State& state) {
    const settings run = run_of(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::vector<affine_map> maps = md5_maps();
    random_stream draws(seed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(render(run, maps, draws));
    }
    state.SetItemsProcessed(state.iterations() * run.intensity * run.resolution * run.resolution);
}
BENCHMARK(plotting_pass)
    ->ArgNames({"resolution", "color_mode"})
    ->ArgsProduct({{100, 300, 1000}, {color_gray, color_mixed, color_areas}})
    ->Unit(benchmark::kMillisecond);

// The plotting pass on one thread, its steps on 1 to max_chains chains side
// by side.
void chained_pass(benchmark::State& state) {
    settings run = run_of(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const std::vector<affine_map> maps = md5_maps();
    const thread_plan plan{1, thread_plan{}.lead_in_steps, static_cast<int>(state.range(2))};
    random_stream draws(seed);
    for (auto _ : state) {
        benchmark::DoNotOptimize(render(run, maps, draws, plan));
    }
    state.SetItemsProcessed(state.iterations() * run.intensity * run.resolution * run.resolution);
}
BENCHMARK(chained_pass)
    ->ArgNames({"resolution", "color_mode", "chains"})
    ->ArgsProduct({{300, 1000}, {color_gray, color_mixed, color_areas}, {1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond);

// The PNG encoding of a picture, into memory.
void png_writer(benchmark::State& state) {
    const settings run = run_of(static_cast<int>(state.range(0)), color_mixed);
    random_stream draws(seed);
    const picture drawn = render(run, md5_maps(), draws);
    for (auto _ : state) {
        png_bytes bytes;
        png_failure failure;
        benchmark::DoNotOptimize(encode_png(drawn, png_look{0, false}, &bytes, &failure));
        std::free(bytes.data);
    }
    state.SetBytesProcessed(state.iterations() * 3 * run.resolution * run.resolution);
}
BENCHMARK(png_writer)->ArgName("resolution")->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
