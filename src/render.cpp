// The chaos game: the framing pass, then the plotting pass into the frame
// buffer.
//
// Why the plotting loop looks the way it does: a step makes one or two
// rand() calls, which take a lock each and set the pace. The latency of the
// step's own arithmetic hides behind them, but its instructions, its
// mispredicted branches and a load that a store must wait for do not. So the
// loop keeps what it reads in locals, works on x and y in one register, takes
// remainders without a division, tests the bounds with one comparison per
// index and plots by adding to a count, with no branch and no table lookup
// that depends on the random colour or on the pixel.
#include "render.hpp"

#include <cassert>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "fingerprint.hpp"

std::uint8_t image[max_resolution + 1][image_stride];

void frame_box(double least_x, double greatest_x, double least_y, double greatest_y,
               double* center_x, double* center_y, double* scale) {
    const double width = (greatest_x - least_x) * 1.05;
    const double height = (greatest_y - least_y) * 1.05;
    const double larger_side = width > height ? width : height;
    *scale = 1.0 / larger_side; // a box of zero size gives +infinity: nothing is drawn
    *center_x = (greatest_x + least_x) * 0.5;
    *center_y = (least_y + greatest_y) * 0.5;
}

void frame_attractor(double* center_x, double* center_y, double* scale) {
    const int settle_steps = 50 * resolution;
    const int all_steps = 60 * resolution;
    double x = 0.0;
    double y = 0.0;
    int i = 0;
    for (; i < settle_steps; ++i) {
        apply_random_map_plain(&x, &y, x, y);
    }
    // The box starts as the origin, so the origin is always framed too.
    double least_x = 0.0, greatest_x = 0.0, least_y = 0.0, greatest_y = 0.0;
    for (; i < all_steps; ++i) {
        apply_random_map_plain(&x, &y, x, y);
        if (i > settle_steps) {
            // Comparisons with NaN are false, so a NaN point never enters the box.
            if (x < least_x) {
                least_x = x;
            }
            if (x > greatest_x) {
                greatest_x = x;
            }
            if (y < least_y) {
                least_y = y;
            }
            if (y > greatest_y) {
                greatest_y = y;
            }
        }
    }
    frame_box(least_x, greatest_x, least_y, greatest_y, center_x, center_y, scale);
}

// Sets bytes 0 to 3R - 1 of every used row.
static void fill_used_area(std::uint8_t byte) {
    for (int row = 0; row < resolution; ++row) {
        std::memset(image[row], byte, 3 * static_cast<std::size_t>(resolution));
    }
}

void clear_image() {
    fill_used_area(static_cast<std::uint8_t>(background & 0xFF));
}

void plot_pixel(std::uint8_t* pixel, int color) {
    // Not reduced: outside 0-255 it is never reached. 64 bits, because for
    // the lowest backgrounds 255 - background is past the int range.
    const std::int64_t ink = 255 - std::int64_t{background};
    if (color_mode == color_gray) {
        pixel[0] = pixel[1] = pixel[2] = static_cast<std::uint8_t>(ink);
        return;
    }
    for (int channel = 0; channel < 3; ++channel) {
        if ((color >> channel & 1) && pixel[channel] != ink) {
            pixel[channel] += background == 255 ? -1 : 1; // wraps in 8 bits
        }
    }
}

void plot_point(int row, int column) {
    plot_pixel(&image[row][3 * column], current_color);
}

namespace {

// Counted plots. A channel's value depends only on how many points were
// plotted on it, not on their order: it moves one step from the background
// towards the ink per plot, and stops there, or, for a background outside
// 0 to 255, never stops and wraps. So the loop lets each channel count its
// plots, by one byte-wise add of the point's colour (one per selected
// channel), and the counts are turned into values once, at the end.
//
// A channel that stops does so after `steps_to_ink` plots (at most 255):
// its count starts at 255 - steps_to_ink and the add saturates at 255. A
// channel that never stops needs only its count modulo 256: the add wraps.
struct plot_counting {
    bool saturates;
    std::uint8_t first_count;
    std::uint8_t value_of_count[256];
};

plot_counting counting;

// Derives the counting from plot_pixel itself, so that the two cannot
// disagree: the value after n plots, for n = 0 to 255, and where it stops.
void prepare_counting() {
    std::uint8_t values[256];
    std::uint8_t pixel[3] = {static_cast<std::uint8_t>(background & 0xFF), 0, 0};
    int steps_to_ink = 256;
    for (int plots = 0; plots < 256; ++plots) {
        values[plots] = pixel[0];
        plot_pixel(pixel, 1);
        if (pixel[0] == values[plots] && steps_to_ink == 256) {
            steps_to_ink = plots;
        }
    }
    counting.saturates = steps_to_ink < 256;
    counting.first_count = static_cast<std::uint8_t>(counting.saturates ? 255 - steps_to_ink : 0);
    for (int count = 0; count < 256; ++count) {
        const int plots = (count - counting.first_count) & 0xFF;
        counting.value_of_count[count] =
            values[counting.saturates && plots > steps_to_ink ? steps_to_ink : plots];
    }
}

// The bytes that a point of `color` adds to its pixel's counts: one per
// channel that the colour's three low bits select. The fourth byte, the next
// pixel's red, gets 0.
std::uint32_t count_mask(int color) {
    return (color & 1) | (color >> 1 & 1) << 8 | (color >> 2 & 1) << 16;
}

// Adds a point to its pixel's three counts, reading and writing four bytes
// at once; the fourth is left as it was. The frame buffer has a spare row so
// that the last pixel of a full-size picture has a fourth byte too.
template <bool saturates> inline void count_plot(std::uint8_t* pixel, std::uint32_t mask) {
    std::uint32_t counts;
    std::memcpy(&counts, pixel, sizeof counts);
#if defined(__x86_64__)
    const __m128i a = _mm_cvtsi32_si128(static_cast<int>(counts));
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(mask));
    counts = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(saturates ? _mm_adds_epu8(a, b) : _mm_add_epi8(a, b)));
#else
    std::uint32_t sum = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        unsigned byte = (counts >> shift & 0xFF) + (mask >> shift & 0xFF);
        byte = saturates && byte > 0xFF ? 0xFF : byte & 0xFF;
        sum |= byte << shift;
    }
    counts = sum;
#endif
    std::memcpy(pixel, &counts, sizeof counts);
}

// Turns every count of the used area into its channel's value.
void settle_counts() {
    for (int row = 0; row < resolution; ++row) {
        std::uint8_t* byte = image[row];
        for (int i = 0; i < 3 * resolution; ++i) {
            byte[i] = counting.value_of_count[byte[i]];
        }
    }
}

// Two doubles in one register: x and y of the point, or two coefficients of
// a map, so that one instruction does the work of two. Each lane is rounded
// by itself, exactly as the scalar code rounds.
typedef double double2 __attribute__((vector_size(16)));

// A map as (x', y') = (diagonal * (x, y) + cross * (y, x)) + shift, that is
// (a x + b y + e, d y + c x + f): the second lane adds its two products in
// the other order, which gives the same sum to the last bit, since an IEEE
// sum does not depend on the order of its two terms. With the count mask of
// the map's colour in the areas colouring.
struct map_columns {
    double2 diagonal, cross, shift;
    std::uint32_t mask;
};

map_columns map_table[max_maps];

void fill_map_table() {
    for (int k = 0; k < map_count; ++k) {
        const affine_map& m = maps[k];
        map_table[k] =
            map_columns{double2{m.a, m.d}, double2{m.b, m.c}, double2{m.e, m.f}, count_mask(k + 1)};
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

// The warm-up and the main loop of the plotting pass. One copy per
// colouring, kind of map count and kind of count, so that none of them is
// tested on every step.
template <int mode, bool power_of_two_maps, bool saturates>
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
    std::uint32_t masks[8];
    for (int color = 0; color < 8; ++color) {
        masks[color] = count_mask(color);
    }
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
                count_plot<saturates>(pixel, mode == color_areas ? m.mask : masks[color & 7]);
            }
        }
    }
    current_color = color;
}

template <int mode, bool power_of_two_maps>
void play_counting(double center_x, double center_y, double scale) {
    prepare_counting();
    fill_used_area(counting.first_count); // the counts' clear: each stands for the background
    if (counting.saturates) {
        play<mode, power_of_two_maps, true>(center_x, center_y, scale);
    } else {
        play<mode, power_of_two_maps, false>(center_x, center_y, scale);
    }
    settle_counts();
}

template <bool power_of_two_maps>
void play_in_run_colouring(double center_x, double center_y, double scale) {
    if (color_mode == color_gray) {
        clear_image();
        play<color_gray, power_of_two_maps, false>(center_x, center_y, scale);
    } else if (color_mode == color_mixed) {
        play_counting<color_mixed, power_of_two_maps>(center_x, center_y, scale);
    } else {
        play_counting<color_areas, power_of_two_maps>(center_x, center_y, scale);
    }
}

} // namespace

bool pixel_of(double row_scaled, double column_scaled, int size, int* row, int* column) {
    return pixel_of_scaled(double2{row_scaled, column_scaled}, size, row, column);
}

void render() {
    // A picture without pixels takes no step at all: nothing to frame or draw.
    if (resolution < 1) {
        return;
    }
    assert(map_count >= 1 && map_count <= max_maps);

    double center_x, center_y, scale;
    frame_attractor(&center_x, &center_y, &scale);
    fill_map_table();
    if (is_power_of_two(map_count)) {
        play_in_run_colouring<true>(center_x, center_y, scale);
    } else {
        play_in_run_colouring<false>(center_x, center_y, scale);
    }
}
