// Microbenchmarks of the parts of a run that take its time: the random step
// in each colouring, the framing pass, the plotting pass (render, which is
// mostly the plotting loop) and the PNG writer.
// Each case reports the rate of its unit of work (steps, or bytes of picture)
// so that sizes can be compared; the whole run is measured by floor_table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fingerprint.hpp"
#include "png_output.hpp"
#include "render.hpp"

namespace {

// The maps of md5's empty checksum, and a pinned seed, as a run would have.
void set_up_run(int size, int mode) {
    resolution = size;
    background = 0;
    intensity = 30;
    color_mode = mode;
    map_count = 4;
    const char checksum[] = "d41d8cd98f00b204e9800998ecf8427e";
    for (int i = 0; i < map_count; ++i) {
        digit_groups[i] = decode_group(reinterpret_cast<const unsigned char*>(checksum) + 8 * i);
    }
    build_maps();
    current_color = 0;
    std::srand(1700000000);
}

// Times one kind of step on a point that goes on from step to step.
template <typename Step> void time_steps(benchmark::State& state, Step step) {
    double x = 1.0, y = 2.0;
    for (auto _ : state) {
        step(&x, &y);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
    }
    state.SetItemsProcessed(state.iterations());
}

// The floor of a step: one draw of rand(), two in the mixed colouring.
void rand_draw(benchmark::State& state) {
    std::srand(1700000000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::rand());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(rand_draw);

// The step as the plotting loop takes it: the draws, the remainder by a
// divisor made ready once (md5's 4 maps, a power of two), the colour rule
// and the map.
void random_step(benchmark::State& state) {
    set_up_run(300, static_cast<int>(state.range(0)));
    const map_divisor divisor = divisor_of(map_count);
    int color = 0;
    time_steps(state, [&](double* x, double* y) {
        apply_map(maps[choose_map<true>(color_mode, divisor, &color)], x, y, *x, *y);
    });
}
BENCHMARK(random_step)->ArgName("color_mode")->Arg(color_gray)->Arg(color_mixed)->Arg(color_areas);

void plain_random_step(benchmark::State& state) {
    set_up_run(300, color_mixed);
    time_steps(state, [](double* x, double* y) { apply_random_map_plain(x, y, *x, *y); });
}
BENCHMARK(plain_random_step);

void framing_pass(benchmark::State& state) {
    set_up_run(static_cast<int>(state.range(0)), color_mixed);
    for (auto _ : state) {
        double center_x, center_y, scale;
        frame_attractor(&center_x, &center_y, &scale);
        benchmark::DoNotOptimize(scale);
    }
    state.SetItemsProcessed(state.iterations() * 60 * resolution);
}
BENCHMARK(framing_pass)->ArgName("resolution")->Arg(300)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The whole of render: framing, clearing and intensity x R x R steps.
void plotting_pass(benchmark::State& state) {
    set_up_run(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        render();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * intensity * resolution * resolution);
}
BENCHMARK(plotting_pass)
    ->ArgNames({"resolution", "color_mode"})
    ->ArgsProduct({{100, 300, 1000}, {color_gray, color_mixed, color_areas}})
    ->Unit(benchmark::kMillisecond);

// write_png closes standard output when it is done, so every round gets a
// fresh stream on /dev/null in its place (glibc lets stdout be assigned);
// the console's own stream is kept open for the report and put back.
void png_writer(benchmark::State& state) {
    set_up_run(static_cast<int>(state.range(0)), color_mixed);
    render();
    std::FILE* const console = stdout;
    for (auto _ : state) {
        state.PauseTiming();
        stdout = std::fopen("/dev/null", "wb");
        state.ResumeTiming();
        write_png();
    }
    stdout = console;
    state.SetBytesProcessed(state.iterations() * 3 * resolution * resolution);
}
BENCHMARK(png_writer)->ArgName("resolution")->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
