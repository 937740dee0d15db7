#include "fingerprint.hpp"

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

std::vector<digit_group> digit_groups_of(std::string_view characters, int map_count) {
    std::vector<digit_group> digit_groups;
    for (int i = 0; i < map_count; ++i) {
        unsigned char group[8] = {};
        const std::size_t first = 8 * static_cast<std::size_t>(i);
        if (first < characters.size()) {
            characters.copy(reinterpret_cast<char*>(group), sizeof group, first);
        }
        digit_groups.push_back(decode_group(group));
    }
    return digit_groups;
}

void set_map(affine_map* map, double scale_x, double scale_y, double shear_y, double shear_x,
             double shift_x, double shift_y) {
    map->a = (shear_y * shear_x + 1) * scale_x;
    map->b = shear_x * scale_x;
    map->c = scale_y * shear_y;
    map->d = scale_y;
    map->e = shift_x;
    map->f = shift_y;
}

// The product with 0.3 first, then the exact division, then the sum: another
// order changes the last bit of the scale for some digits.
static double scale_of(int digit) {
    return digit * 0.3 / 64 + 0.3;
}

std::vector<affine_map> build_maps(const std::vector<digit_group>& digit_groups) {
    std::vector<affine_map> maps(digit_groups.size());
    for (std::size_t i = 0; i < digit_groups.size(); ++i) {
        const digit_group& g = digit_groups[i];
        set_map(&maps[i], scale_of(g.d0), scale_of(g.d1), g.d2 / 32.0 - 1, g.d3 / 32.0 - 1,
                g.d4 / 32.0 - 0.25, g.d5 / 32.0 - 0.25);
    }
    return maps;
}
