#include "fingerprint.hpp"

#include <cstdio>

digit_group digit_groups[max_maps];
affine_map maps[max_maps];
int current_color;

int hex_nibble(unsigned char byte) {
    if (byte >= '0' && byte <= '9') {
        return byte - '0';
    }
    if (byte >= 'a' && byte <= 'f') {
        return byte - 'a' + 10;
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    return 0;
}

digit_group decode_group(const unsigned char characters[8]) {
    std::uint32_t h = 0;
    for (int i = 0; i < 8; ++i) {
        h = h << 4 | static_cast<std::uint32_t>(hex_nibble(characters[i]));
    }
    return digit_group{
        static_cast<std::uint8_t>(h >> 26 & 63), static_cast<std::uint8_t>(h >> 20 & 63),
        static_cast<std::uint8_t>(h >> 14 & 63), static_cast<std::uint8_t>(h >> 8 & 63),
        static_cast<std::uint8_t>(h >> 4 & 15),  static_cast<std::uint8_t>(h & 15),
    };
}

std::string read_checksum() {
    std::string read;
    for (int i = 0; i < map_count; ++i) {
        // Read byte by byte counted, so that what a short read did deliver is
        // well defined; what it did not deliver stays 0, like end of input.
        unsigned char characters[8] = {};
        const std::size_t delivered = std::fread(characters, 1, sizeof characters, stdin);
        read.append(reinterpret_cast<const char*>(characters), delivered);
        digit_groups[i] = decode_group(characters);
    }
    return read;
}

void set_map(int index, double scale_x, double scale_y, double shear_y, double shear_x,
             double shift_x, double shift_y) {
    affine_map& map = maps[index];
    map.a = (shear_y * shear_x + 1) * scale_x;
    map.b = shear_x * scale_x;
    map.c = scale_y * shear_y;
    map.d = scale_y;
    map.e = shift_x;
    map.f = shift_y;
}

// The product with 0.3 first, then the exact division, then the sum: another
// order changes the last bit of the scale for some digits.
static double scale_of(int digit) {
    return digit * 0.3 / 64 + 0.3;
}

void build_maps() {
    for (int i = 0; i < map_count; ++i) {
        const digit_group& g = digit_groups[i];
        set_map(i, scale_of(g.d0), scale_of(g.d1), g.d2 / 32.0 - 1, g.d3 / 32.0 - 1,
                g.d4 / 32.0 - 0.25, g.d5 / 32.0 - 0.25);
    }
}
