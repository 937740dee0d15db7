// The fingerprint: the checksum's digit groups, the affine maps built from
// them, and the random step of the chaos game that chooses and applies a map.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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

// Decodes one character of the checksum: 0-9, a-f and A-F are their values,
// every other byte is 0 and still takes its place.
int hex_nibble(unsigned char byte);

// Packs the eight characters of one group into its six fields.
digit_group decode_group(const unsigned char characters[8]);

// The digit groups of a checksum given as the characters that were read:
// map_count groups of 8, the first 8 x map_count characters; characters
// missing at the end count as 0.
std::vector<digit_group> digit_groups_of(std::string_view characters, int map_count);

void set_map(affine_map* map, double scale_x, double scale_y, double shear_y, double shear_x,
             double shift_x, double shift_y);

// One map per digit group, in order.
std::vector<affine_map> build_maps(const std::vector<digit_group>& digit_groups);

// Each product rounded by itself, then the sum, then the shift: the build
// turns off contraction, so no fused multiply-add changes a bit of this.
inline void apply_map(const affine_map& map, double* new_x, double* new_y, double x, double y) {
    *new_x = (map.a * x + map.b * y) + map.e;
    *new_y = (map.c * x + map.d * y) + map.f;
}

// The random steps draw from a draw source: the run's random_stream, or in
// tests anything else that gives draws from 0 to 2^31 - 1 when called.

// One step of the framing pass: one draw chooses the map.
template <typename draw_source>
void apply_random_map_plain(const std::vector<affine_map>& maps, draw_source& draws, double* new_x,
                            double* new_y, double x, double y) {
    const std::uint32_t draw = draws();
    apply_map(maps[draw % maps.size()], new_x, new_y, x, y);
}

// The colour rule of the mixed colouring: an even draw gives the chosen map's
// colour, an odd one keeps the colour. Kept to a plain choice of two values,
// which g++ 12 turns into a conditional move: the parity is a coin toss,
// which a branch would mispredict every other step.
inline int mixed_color(int color, int k, std::uint32_t draw) {
    return (draw & 1) == 0 ? k + 1 : color;
}

// md5, sha256 and sha512 give 4, 8 and 16 maps: a count that is a power of
// two takes its remainders with a mask. Other counts divide: the division
// waits for nothing but its draw, so it runs ahead of the chain of points
// and costs the plotting pass no time.
inline bool is_power_of_two(int count) {
    return count > 0 && (count & (count - 1)) == 0;
}

// draw % count; power_of_two promises that the count is one.
template <bool power_of_two = false> inline int remainder_of(std::uint32_t draw, int count) {
    const std::uint32_t divisor = static_cast<std::uint32_t>(count);
    return static_cast<int>(power_of_two ? draw & (divisor - 1) : draw % divisor);
}

// Chooses the map of one plotting step and applies the colour rule of `mode`
// to *color: the map's draw comes first, then, in the mixed colouring, the
// colour's.
template <bool power_of_two = false, typename draw_source>
inline int choose_map(int mode, int map_count, draw_source& draws, int* color) {
    const int k = remainder_of<power_of_two>(draws(), map_count);
    if (mode == color_areas) {
        *color = k + 1;
    } else if (mode == color_mixed) {
        *color = mixed_color(*color, k, draws());
    }
    return k;
}

// One step of the plotting pass: the map choice with its colour rule, then
// the map. `current_color` is 1 + the index of the map that last won the
// colour choice, 0 before any; its three low bits select red (1), green (2)
// and blue (4) for the plotter.
template <typename draw_source>
void apply_random_map(const std::vector<affine_map>& maps, int color_mode, draw_source& draws,
                      int* current_color, double* new_x, double* new_y, double x, double y) {
    const int k = choose_map(color_mode, static_cast<int>(maps.size()), draws, current_color);
    apply_map(maps[k], new_x, new_y, x, y);
}
