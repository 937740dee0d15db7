// The run settings: filled once by parse_options, read by every later step.
//
// They are process-wide so that the steps of the run meet only through them
// and the fixed tables. Defined here (C++17 inline variables) rather than in
// main.cpp so that the library, the tests and the fuzzers all share one copy.
#pragma once

inline constexpr int max_resolution = 1000;     // the frame buffer holds 1000 x 1000 pixels
inline constexpr int max_checksum_length = 128; // 16 maps of 8 characters
inline constexpr int max_maps = max_checksum_length / 8;

inline constexpr int color_gray = 0;
inline constexpr int color_mixed = 1;
inline constexpr int color_areas = 2;

inline int resolution = 300;     // width and height of the picture, at most 1000
inline int background = 0;       // 0 black, 255 white; any int stands
inline int intensity = 30;       // plotting steps per pixel of the picture
inline int checksum_length = 32; // hexadecimal characters to read, at most 128
inline int map_count = 4;        // checksum_length / 8, from 1 to 16 once parsed
inline int color_mode = color_mixed;
inline int flip_bgr = 0;    // 1: write blue-green-red
inline int transparent = 0; // 1: mark the background colour transparent
