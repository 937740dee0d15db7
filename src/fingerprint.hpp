// The fingerprint: the checksum's digit groups, the affine maps built from
// them, and the random step of the chaos game that chooses and applies a map.
#pragma once

#include <cstdint>
#include <cstdlib>

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
void read_checksum();

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

// One step of the plotting pass: the map choice comes first, then the colour
// rule, which in the mixed colouring takes a second rand() value.
inline void apply_random_map(double* new_x, double* new_y, double x, double y) {
    const int k = std::rand() % map_count;
    if (color_mode == color_areas || (color_mode == color_mixed && std::rand() % 2 == 0)) {
        current_color = k + 1;
    }
    apply_map(maps[k], new_x, new_y, x, y);
}
