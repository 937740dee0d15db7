// The run settings: made by parse_options, read by every later step.
#pragma once

inline constexpr int max_resolution = 1000;     // the largest picture, 1000 x 1000 pixels
inline constexpr int max_checksum_length = 128; // 16 maps of 8 characters
inline constexpr int max_maps = max_checksum_length / 8;

inline constexpr int color_gray = 0;
inline constexpr int color_mixed = 1;
inline constexpr int color_areas = 2;

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
