// The floor of a tessadox run: the same rand() draws and the same PNG
// encoding of the same picture, and nothing else. A run of tessadox can be no
// faster than this, so its time is measured against it.
//
//   tessadox_floor PICTURE [tessadox options] > picture.png
//
// PICTURE holds the picture that tessadox draws for those options: its rows
// of red, green and blue bytes, resolution x 3 x resolution bytes in all.
// The stream written is then byte for byte the one tessadox writes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "options.hpp"
#include "png_output.hpp"
#include "render.hpp"

// Reads the rows of the picture into the used part of the frame buffer.
static void load_picture(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::perror(path);
        std::exit(1);
    }
    const std::size_t row_bytes = 3 * static_cast<std::size_t>(resolution);
    for (int row = 0; row < resolution; ++row) {
        if (std::fread(image[row], 1, row_bytes, file) != row_bytes) {
            std::fprintf(stderr, "%s: too short for a %d x %d picture\n", path, resolution,
                         resolution);
            std::exit(1);
        }
    }
    std::fclose(file);
}

// The draws of the framing pass, then those of the warm-up and main loop of
// the plotting pass: one per step, two in the mixed colouring.
static void draw_random_values() {
    if (resolution < 1) {
        return;
    }
    for (int i = 0; i < 60 * resolution; ++i) {
        std::rand();
    }
    const std::int64_t all_steps = static_cast<std::int64_t>(intensity) * resolution * resolution;
    const std::int64_t steps = all_steps > 50 * resolution ? all_steps : 50 * resolution;
    const int draws_per_step = color_mode == color_mixed ? 2 : 1;
    for (std::int64_t i = 0; i < steps * draws_per_step; ++i) {
        std::rand();
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: tessadox_floor PICTURE [tessadox options] > picture.png\n", stderr);
        return 2;
    }
    // The picture's path stands where tessadox has its own name.
    parse_options(argc - 1, argv + 1);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    load_picture(argv[1]);
    draw_random_values();
    return write_png() == 0 ? 0 : 1;
}
