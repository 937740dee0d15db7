#include "png_output.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

void on_png_error(png_structp, png_const_charp message) {
    std::fprintf(stderr, "error in PNG: %s\n", message);
    std::exit(1);
}

void on_png_warning(png_structp, png_const_charp) {
    std::fputs("warning in PNG (but exiting)\n: ", stderr);
    std::exit(1);
}

bool png_refuses(int size, bool transparent, int background) {
    return size < 1 || (transparent && static_cast<png_uint_16>(background) > 255);
}

int write_png(const settings& run, const picture& drawn) {
    // The callbacks never return, so no setjmp recovery point is needed.
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, on_png_error, on_png_warning);
    if (png == nullptr) {
        std::fwrite("png_create_write_struct() failed\n", 1, 33, stderr);
        return -1;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        std::fwrite("png_create_info_struct() failed\n", 1, 32, stderr);
        png_destroy_write_struct(&png, nullptr);
        return -1;
    }
    png_init_io(png, stdout);
    // A width of 0 or below is refused here, through the warning callback.
    png_set_IHDR(png, info, static_cast<png_uint_32>(drawn.resolution),
                 static_cast<png_uint_32>(drawn.resolution), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (run.transparent == 1) {
        // The low 16 bits of the background; above 255 libpng warns and the run ends.
        const png_uint_16 level = static_cast<png_uint_16>(run.background);
        png_color_16 color{0, level, level, level, 0};
        png_set_tRNS(png, info, nullptr, 0, &color);
    }
    // libpng reads the rows in place, one address per row. Only a picture
    // of at least one pixel gets here.
    std::vector<png_bytep> row_pointers;
    for (int y = 0; y < drawn.resolution; ++y) {
        const std::size_t row_start = 3 * static_cast<std::size_t>(y) * drawn.resolution;
        row_pointers.push_back(const_cast<png_bytep>(&drawn.image[row_start]));
    }
    png_set_rows(png, info, row_pointers.data());
    png_write_png(png, info, run.flip_bgr == 1 ? PNG_TRANSFORM_BGR : PNG_TRANSFORM_IDENTITY,
                  nullptr);
    png_destroy_write_struct(&png, &info); // leaves leak checkers nothing to report
    return 0;
}
