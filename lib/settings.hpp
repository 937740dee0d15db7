// The run settings: made from the options of a draw, read by every step of it.
#pragma once

#include <string_view>

#include "options_table.hpp"
#include "tessadox/tessadox.h"

inline constexpr int max_resolution = 1000;     // the largest picture, 1000 x 1000 pixels
inline constexpr int max_checksum_length = 128; // 16 maps of 8 characters
inline constexpr int max_maps = max_checksum_length / 8;

inline constexpr int color_gray = TESSADOX_GRAY;
inline constexpr int color_mixed = TESSADOX_MIXED;
inline constexpr int color_areas = TESSADOX_AREAS;

struct settings {
    int resolution = 300;     // width and height of the picture, at most 1000
    int background = 0;       // 0 black, 255 white; any int stands
    int intensity = 30;       // plotting steps per pixel of the picture
    int checksum_length = 32; // hexadecimal characters to read, at most 128
    int map_count = 4;        // checksum_length / 8, from 1 to 16 once parsed
    int color_mode = color_mixed;
    int flip_bgr = 0;    // 1: write blue-green-red
    int transparent = 0; // 1: mark the background colour transparent
};

// The checksum length that 0 stands for: the checksum's leading
// hexadecimal digits, rounded down to whole maps, from one map to the most.
int own_checksum_length(std::string_view checksum);

// The options with the checksum length that a draw of `checksum` reads in
// place of 0.
option_values resolved_for(option_values options, std::string_view checksum);

// The run settings of options whose checksum length is resolved, with the
// map count derived from it.
settings settings_of(const option_values& options);

// The steps of the plotting pass of a draw with these options.
long long plotting_steps_of(const option_values& options);
