#include "fingerprint.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// Fills `characters` from `input` up to the end of input, waiting for input
// that is not there yet; tells how many arrived. A read that fails ends the
// run: a picture of characters that were never read would pass for the
// checksum's.
static std::size_t read_group(std::FILE* input, unsigned char* characters, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size && !std::feof(input)) {
        // Counted byte by byte, so that what a short read did deliver is
        // well defined; what it did not deliver stays 0, like end of input.
        filled += std::fread(characters + filled, 1, size - filled, input);
        if (!std::ferror(input)) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A non-blocking descriptor with nothing to read yet.
            pollfd readable{fileno(input), POLLIN, 0};
            while (poll(&readable, 1, -1) < 0 && errno == EINTR) {
            }
        } else if (errno != EINTR) {
            std::fprintf(stderr, "tessadox: cannot read standard input: %s\n",
                         std::strerror(errno));
            std::exit(1);
        }
        std::clearerr(input);
    }
    return filled;
}

std::vector<digit_group> read_checksum(std::FILE* input, int map_count,
                                       std::string* characters_read) {
    std::vector<digit_group> digit_groups;
    for (int i = 0; i < map_count; ++i) {
        unsigned char characters[8] = {};
        const std::size_t arrived = read_group(input, characters, sizeof characters);
        if (characters_read != nullptr) {
            characters_read->append(reinterpret_cast<const char*>(characters), arrived);
        }
        digit_groups.push_back(decode_group(characters));
    }
    return digit_groups;
}

std::string_view characters_at_hand(std::FILE* input) {
#if defined(__GLIBC__)
    // glibc's stream keeps what it read ahead between these two pointers.
    return std::string_view(input->_IO_read_ptr,
                            static_cast<std::size_t>(input->_IO_read_end - input->_IO_read_ptr));
#else
    static_cast<void>(input);
    return {};
#endif
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
