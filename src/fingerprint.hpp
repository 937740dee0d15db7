// The fingerprint: the checksum's digit groups, the affine maps built from
// them, and the random step of the chaos game that chooses and applies a map.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings.hpp"

// Eight hexadecimal characters cut into fields of 6, 6, 6, 6, 4 and 4 bits.
struct digit_group {
    std::uint8_t d0; // 6 bits: scale_x
    std::uint8_t d1; // 6 bits: scale_y
    std::uint8_t d2; // 6 bits: shear_y
    std::uint8_t d3; // 6 bits: shear_x
    std::uint8_t d4; // 4 bits: shift_x
    std::uint8_t d5; // 4 bits: shift_y
};

// Sends (x, y) to (a*x + b*y + e, c*x + d*y + f).
struct affine_map {
    double a, b, c, d, e, f;
};

extern digit_group digit_groups[max_maps];
extern affine_map maps[max_maps];

// 1 + the index of the map that last won the colour choice; 0 before any.
// Its three low bits select red (1), green (2) and blue (4) for the plotter.
extern int current_color;

// Decodes one character of the checksum: 0-9, a-f and A-F are their values,
// every other byte is 0 and still takes its place.
int hex_nibble(unsigned char byte);

// Packs the eight characters of one group into its six fields.
digit_group decode_group(const unsigned char characters[8]);

// Reads map_count groups of 8 bytes from standard input into digit_groups.
// Returns the characters read, fewer than asked for when the input ended.
std::string read_checksum();

void set_map(int index, double scale_x, double scale_y, double shear_y, double shear_x,
             double shift_x, double shift_y);

// Turns entry i of digit_groups into entry i of maps, for every map in use.
void build_maps();

// Each product rounded by itself, then the sum, then the shift: the build
// turns off contraction, so no fused multiply-add changes a bit of this.
inline void apply_map(const affine_map& map, double* new_x, double* new_y, double x, double y) {
    *new_x = (map.a * x + map.b * y) + map.e;
    *new_y = (map.c * x + map.d * y) + map.f;
}

// One step of the framing pass: one rand() value chooses the map.
inline void apply_random_map_plain(double* new_x, double* new_y, double x, double y) {
    apply_map(maps[std::rand() % map_count], new_x, new_y, x, y);
}

// The colour rule of the mixed colouring: an even draw gives the chosen map's
// colour, an odd one keeps the colour. Kept to a plain choice of two values,
// which g++ 12 turns into a conditional move: the parity is a coin toss,
// which a branch would mispredict every other step.
inline int mixed_color(int color, int k, int draw) {
    return (draw & 1) == 0 ? k + 1 : color;
}

// map_count made ready for taking remainders by multiplication: the
// remainder of a draw then takes two multiplications instead of a division,
// which the plotting pass would wait for on every step. Exact for every
// 32-bit draw and every count (Lemire, Kaser and Kurz, "Faster remainder by
// direct computation", 2019).
struct map_divisor {
    std::uint64_t reciprocal; // 2^64 / count, rounded up (0 for a count of 1)
    std::uint32_t count;
};

inline map_divisor divisor_of(int count) {
    const std::uint32_t divisor = static_cast<std::uint32_t>(count);
    return map_divisor{UINT64_MAX / divisor + 1, divisor};
}

// md5, sha256 and sha512 give 4, 8 and 16 maps: a count that is a power of
// two takes its remainders with a mask, cheaper still.
inline bool is_power_of_two(int count) {
    return count > 0 && (count & (count - 1)) == 0;
}

// draw % divisor.count, for a draw of rand(), which is never negative;
// power_of_two promises that the count is one.
template <bool power_of_two = false> inline int remainder_of(int draw, map_divisor divisor) {
    if (power_of_two) {
        return draw & static_cast<int>(divisor.count - 1);
    }
    const std::uint64_t fraction = divisor.reciprocal * static_cast<std::uint32_t>(draw);
    return static_cast<int>(static_cast<unsigned __int128>(fraction) * divisor.count >> 64);
}

// Chooses the map of one plotting step and applies the colour rule of `mode`
// to *color: the map's draw comes first, then, in the mixed colouring, the
// colour's. The plotting pass passes its own copies of the settings and of
// the colour, which it need not read back from memory after every rand().
template <bool power_of_two = false>
inline int choose_map(int mode, map_divisor divisor, int* color) {
    const int k = remainder_of<power_of_two>(std::rand(), divisor);
    if (mode == color_areas) {
        *color = k + 1;
    } else if (mode == color_mixed) {
        *color = mixed_color(*color, k, std::rand());
    }
    return k;
}

// One step of the plotting pass: the map choice with its colour rule, then
// the map.
inline void apply_random_map(double* new_x, double* new_y, double x, double y) {
    const int k = choose_map(color_mode, divisor_of(map_count), &current_color);
    apply_map(maps[k], new_x, new_y, x, y);
}
