// The run settings: made from the options of a draw, read by every step of it.
#pragma once

#include "tessadox/tessadox.h"

inline constexpr int max_resolution =
    TESSADOX_MAX_RESOLUTION; // the largest picture, 1000 x 1000 pixels
inline constexpr int max_checksum_length = TESSADOX_MAX_CHECKSUM_LENGTH; // 16 maps of 8 characters
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

// Whether every option lies in its range: a colouring that exists, flags of
// 0 or 1, threads from 0 to TESSADOX_MAX_THREADS. The values that are
// clamped instead (resolution, checksum length) pass, as does any
// background and intensity.
bool options_in_range(const tessadox_options& options);

// The run settings of options in range, clamped as tessadox_clamp_options
// clamps them, with the map count derived from the checksum length.
settings settings_of(tessadox_options options);
