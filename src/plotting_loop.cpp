// Why the loop looks the way it does: a step makes one or two rand() calls,
// which take a lock each and set the pace. The latency of the step's own
// arithmetic hides behind them, but its instructions and its mispredicted
// branches do not: measured on the AMD EPYC it was tuned on, each
// instruction more costs about a tenth of a nanosecond, and a branch on the
// random colour or on a pixel far more.
// So the loop keeps what it reads in locals, works on x and y in one
// register, takes remainders without a division, tests the bounds with one
// comparison per index and plots by table, with no branch that depends on
// the random colour or on the pixel.
#include "plotting_loop.hpp"

#include <cstdint>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "fingerprint.hpp"
#include "render.hpp"

namespace {

// What a channel of `value` becomes when a point of colour `color` (its three
// low bits) is plotted on it: plot_pixel's rule as a table, filled for the
// run's background and colouring.
std::uint8_t plotted[8][3][256];

void fill_plotted() {
    for (int color = 0; color < 8; ++color) {
        for (int value = 0; value < 256; ++value) {
            const std::uint8_t byte = static_cast<std::uint8_t>(value);
            std::uint8_t pixel[3] = {byte, byte, byte};
            plot_pixel(pixel, color);
            for (int channel = 0; channel < 3; ++channel) {
                plotted[color][channel][value] = pixel[channel];
            }
        }
    }
}

// Three lookups in the rows of `plotted` that belong to the point's colour.
inline void plot_by_table(std::uint8_t* pixel, const std::uint8_t (*after)[256]) {
    const int red = pixel[0], green = pixel[1], blue = pixel[2];
    pixel[0] = after[0][red];
    pixel[1] = after[1][green];
    pixel[2] = after[2][blue];
}

// Two doubles in one register: x and y of the point, or two coefficients of
// a map, so that one instruction does the work of two. Each lane is rounded
// by itself, exactly as the scalar code rounds.
typedef double double2 __attribute__((vector_size(16)));

// A map as (x', y') = (diagonal * (x, y) + cross * (y, x)) + shift, that is
// (a x + b y + e, d y + c x + f): the second lane adds its two products in
// the other order, which gives the same sum to the last bit, since an IEEE
// sum does not depend on the order of its two terms. With the rows of
// `plotted` for the map's colour in the areas colouring.
struct map_columns {
    double2 diagonal, cross, shift;
    const std::uint8_t (*after)[256];
};

map_columns map_table[max_maps];

void fill_map_table() {
    for (int k = 0; k < map_count; ++k) {
        const affine_map& m = maps[k];
        map_table[k] = map_columns{double2{m.a, m.d}, double2{m.b, m.c}, double2{m.e, m.f},
                                   plotted[(k + 1) & 7]};
    }
}

// One step: the map choice with its colour rule, then apply_map on both
// coordinates at once.
template <int mode, bool power_of_two_maps>
inline const map_columns& take_step(map_divisor divisor, int* color, double2* point) {
    const map_columns& m = map_table[choose_map<power_of_two_maps>(mode, divisor, color)];
    const double2 swapped = __builtin_shufflevector(*point, *point, 1, 0);
    *point = (m.diagonal * *point + m.cross * swapped) + m.shift;
    return m;
}

// The row and the column of the pixel that a point, scaled to the picture
// (R times its place in the unit square), falls in; false when it falls
// outside. Truncation toward zero sends (-1, 0) to index 0, so the drawn
// values are those in (-1, R).
inline bool pixel_of_scaled(double2 scaled, int size, int* row, int* column) {
#if defined(__x86_64__)
    // cvttpd2dq answers INT_MIN for NaN, infinities and values beyond the
    // int range, so one unsigned test per index covers every case.
    const std::uint64_t both =
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_cvttpd_epi32(scaled)));
    *row = static_cast<int>(static_cast<std::uint32_t>(both));
    *column = static_cast<int>(both >> 32);
    return static_cast<unsigned>(*row) < static_cast<unsigned>(size) &&
           static_cast<unsigned>(*column) < static_cast<unsigned>(size);
#else
    // Tested on the double, which keeps NaN, infinities and values beyond
    // the int range away from the conversion.
    if (!(scaled[0] > -1.0 && scaled[0] < size && scaled[1] > -1.0 && scaled[1] < size)) {
        return false;
    }
    *row = static_cast<int>(scaled[0]);
    *column = static_cast<int>(scaled[1]);
    return true;
#endif
}

// One copy of the loop per colouring and kind of map count, so that the
// colour rule and the way of taking the remainder are settled at compile
// time rather than tested on every step.
template <int mode, bool power_of_two_maps>
void play(double center_x, double center_y, double scale) {
    const map_divisor divisor = divisor_of(map_count);
    const int size = resolution;
    // the gray ink's low byte, in 64 bits like plot_pixel's ink value
    const std::uint8_t ink = static_cast<std::uint8_t>(255 - std::int64_t{background});
    const double2 center = {center_x, center_y};
    const double2 scale2 = {scale, scale};
    const double2 half = {0.5, 0.5};
    const double2 size2 = {static_cast<double>(size), static_cast<double>(size)};
    const int warm_up_steps = 50 * size;
    // 64 bits: intensities above 2147 at the largest size still run in full.
    const std::int64_t all_steps = static_cast<std::int64_t>(intensity) * size * size;
    std::uint8_t* const pixels = image[0];
    int color = current_color;
    double2 point = {1.0, 2.0};
    std::int64_t i = 0;
    for (; i < warm_up_steps; ++i) {
        take_step<mode, power_of_two_maps>(divisor, &color, &point);
    }
    // The first step after the warm-up is not drawn.
    if (i < all_steps) {
        take_step<mode, power_of_two_maps>(divisor, &color, &point);
        ++i;
    }
    for (; i < all_steps; ++i) {
        const map_columns& m = take_step<mode, power_of_two_maps>(divisor, &color, &point);
        int row, column;
        if (pixel_of_scaled(((point - center) * scale2 + half) * size2, size, &row, &column)) {
            std::uint8_t* const pixel = pixels + (row * image_stride + 3 * column);
            if (mode == color_gray) {
                pixel[0] = pixel[1] = pixel[2] = ink;
            } else {
                plot_by_table(pixel, mode == color_areas ? m.after : plotted[color & 7]);
            }
        }
    }
    current_color = color;
}

template <bool power_of_two_maps>
void play_in_run_colouring(double center_x, double center_y, double scale) {
    if (color_mode == color_gray) {
        play<color_gray, power_of_two_maps>(center_x, center_y, scale);
    } else if (color_mode == color_mixed) {
        play<color_mixed, power_of_two_maps>(center_x, center_y, scale);
    } else {
        play<color_areas, power_of_two_maps>(center_x, center_y, scale);
    }
}

} // namespace

bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column) {
    return pixel_of_scaled(double2{row_scaled, column_scaled}, size, row, column);
}

void play_plotting_steps(double center_x, double center_y, double scale) {
    fill_plotted();
    fill_map_table();
    if (is_power_of_two(map_count)) {
        play_in_run_colouring<true>(center_x, center_y, scale);
    } else {
        play_in_run_colouring<false>(center_x, center_y, scale);
    }
}
