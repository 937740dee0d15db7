// Counting plots instead of painting them: how a channel's value follows
// from the number of points plotted on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "picture.hpp"

// Counted plots. A channel's value depends only on how many points were
// plotted on it, not on their order: it moves one step from the background
// towards the ink per plot, and stops there, or, for a background outside
// 0 to 255, never stops and wraps; in the gray colouring the first plot
// paints the ink and the rest change nothing. So the loop lets each channel
// count its plots, by one byte-wise add of the point's colour (one per
// selected channel), and the counts are turned into values once, at the end.
//
// Every count starts at 0. A channel that stops does so after at most 255
// plots, so its count may saturate at 255. A channel that never stops needs
// only its count modulo 256: the add wraps.
struct plot_counting {
    bool saturates;
    std::uint8_t value_of_count[256];
};

// Derived from plot_pixel itself, so that the two cannot disagree.
plot_counting counting_for(int background, int color_mode);

// Turns every count of the picture into its channel's value.
void settle_counts(picture* drawn, const plot_counting& counting);

// One channel's count after another's are added: saturating at 255 where a
// channel stops at its ink, wrapping where it never stops. Of counts that
// each stopped at 255, the sum's stops there too, so the order and the
// grouping of the adds change nothing.
inline std::uint8_t add_counts(std::uint8_t count, std::uint8_t more, bool saturates) {
    const unsigned sum = unsigned{count} + more;
    return static_cast<std::uint8_t>(saturates && sum > 255 ? 255 : sum);
}

// Adds `part`'s counts to `total`'s, byte by byte.
void merge_counts(std::uint8_t* total, const std::uint8_t* part, std::size_t size, bool saturates);

// The bytes that a point of `color` adds to its pixel's counts: one per
// channel that the colour's three low bits select. The fourth byte, the next
// pixel's red, gets 0.
inline std::uint32_t count_mask(int color) {
    return (color & 1) | (color >> 1 & 1) << 8 | (color >> 2 & 1) << 16;
}

// Adds a point to its pixel's three counts, one byte at a time; the fourth
// byte is left alone. The same on every byte order: the mask's low byte
// goes to the first byte, red, whatever order the machine keeps a word in.
template <bool saturates> inline void count_plot_bytewise(std::uint8_t* pixel, std::uint32_t mask) {
    for (int channel = 0; channel < 3; ++channel) {
        pixel[channel] =
            add_counts(pixel[channel], static_cast<std::uint8_t>(mask >> 8 * channel), saturates);
    }
}

// Adds a point to its pixel's three counts. On x86-64 one byte-wise add
// of four bytes, read and written at once (little-endian, like the mask;
// the fourth byte gets 0 and stays as it was); elsewhere byte by byte.
template <bool saturates> inline void count_plot(std::uint8_t* pixel, std::uint32_t mask) {
#if defined(__x86_64__)
    std::uint32_t counts;
    std::memcpy(&counts, pixel, sizeof counts);
    const __m128i a = _mm_cvtsi32_si128(static_cast<int>(counts));
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(mask));
    counts = static_cast<std::uint32_t>(
        _mm_cvtsi128_si32(saturates ? _mm_adds_epu8(a, b) : _mm_add_epi8(a, b)));
    std::memcpy(pixel, &counts, sizeof counts);
#else
    count_plot_bytewise<saturates>(pixel, mask);
#endif
}
