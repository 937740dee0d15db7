// Reads a PNG stream back with libpng, for checking what tessadox wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct decoded_png {
    bool valid = false;
    std::string error;
    std::uint32_t width = 0, height = 0;
    int bit_depth = 0, color_type = 0, interlace = 0;
    bool has_trns = false;
    int trns_red = 0, trns_green = 0, trns_blue = 0;
    std::vector<std::uint8_t> pixels; // rows of red, green, blue

    const std::uint8_t* pixel(std::uint32_t row, std::uint32_t column) const {
        return &pixels[(row * width + column) * 3];
    }
};

decoded_png decode_png(const std::string& bytes);

// FNV-1a over the pixels: a short name for a whole picture.
std::uint64_t pixel_digest(const decoded_png& png);
