// The limit of a tessadox run: the same draws from the generator, the same
// chain of map applications from step to step in the framing and the
// plotting pass, and the same PNG encoding of the same picture, but no pixel
// written. A run of tessadox can be no faster than this, so its time is
// measured against it.
//
//   tessadox_limit PICTURE [tessadox options] < checksum > picture.png
//
// PICTURE holds the picture that tessadox draws for those options and that
// checksum: its rows of red, green and blue bytes, resolution x 3 x
// resolution bytes in all. The stream written is then byte for byte the one
// tessadox writes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "environment.hpp"
#include "fingerprint.hpp"
#include "options.hpp"
#include "plotting.hpp"
#include "png_output.hpp"
#include "random_stream.hpp"
#include "settings.hpp"
#include "standard_input.hpp"

namespace {

// Reads the picture's rows.
picture load_picture(const char* path, int resolution) {
    picture drawn = blank_picture(resolution, 0);
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::perror(path);
        std::exit(1);
    }
    const std::size_t size = drawn.image.size() - 1; // the spare byte is no pixel
    if (std::fread(drawn.image.data(), 1, size, file) != size) {
        std::fprintf(stderr, "%s: too short for a %d x %d picture\n", path, resolution, resolution);
        std::exit(1);
    }
    std::fclose(file);
    return drawn;
}

// The plotting pass's steps, in the plotting loop's own code, with nothing
// plotted. A function of its own, as the plotting loop is, so that the
// compiler treats the two alike.
template <int mode, bool power_of_two_maps>
[[gnu::noinline]] double2 play_without_plots(const plotting_setup& setup, random_stream& draws) {
    return play_steps<mode, power_of_two_maps, false, false>(setup, starting_position(), draws, 0,
                                                             setup.steps, nullptr)
        .point;
}

template <bool power_of_two_maps>
double2 play_in_colouring(int mode, const plotting_setup& setup, random_stream& draws) {
    switch (mode) {
    case color_gray:
        return play_without_plots<color_gray, power_of_two_maps>(setup, draws);
    case color_mixed:
        return play_without_plots<color_mixed, power_of_two_maps>(setup, draws);
    default:
        return play_without_plots<color_areas, power_of_two_maps>(setup, draws);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: tessadox_limit PICTURE [tessadox options] < checksum > picture.png\n",
                   stderr);
        return 2;
    }
    // The picture's path stands where tessadox has its own name.
    tessadox_options* given = tessadox_options_new();
    parse_options(argc - 1, argv + 1, given);
    option_values options;
    for (int option = 1; option <= option_count; ++option) {
        tessadox_options_get(given, option, &options.value[option]);
    }
    tessadox_options_free(given);
    const settings run = settings_of(options);
    random_stream draws(run_seed(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr)));
    const std::vector<affine_map> maps = build_maps(digit_groups_of(
        read_checksum(stdin, 8 * static_cast<std::size_t>(run.map_count)), run.map_count));
    if (run.resolution >= 1) {
        const frame framed = frame_attractor(run.resolution, maps, draws);
        const plotting_setup setup = plotting_setup_for(run, maps, framed);
        const double2 end = is_power_of_two(run.map_count)
                                ? play_in_colouring<true>(run.color_mode, setup, draws)
                                : play_in_colouring<false>(run.color_mode, setup, draws);
        // The chain's end is kept, so that no step can be left out.
        volatile double end_of_chain = end[0] + end[1];
        static_cast<void>(end_of_chain);
    }
    picture drawn = load_picture(argv[1], run.resolution);
    if (run.flip_bgr == 1) {
        flip_to_bgr(&drawn);
    }
    png_failure failure;
    const png_look look{run.background, run.transparent == 1};
    return write_png(drawn, look, stdout, &failure) == 0 && std::fclose(stdout) == 0 ? 0 : 1;
}
