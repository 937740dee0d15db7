// Arbitrary checksum bytes through the whole drawing: digit groups, maps, the
// framing pass and the plotting pass, at a small size and with settings taken
// from the input. The frame buffer is a fixed table, so a stray write inside
// it escapes AddressSanitizer: every byte outside the used R x R area is
// checked to keep the value it had.
//
// Input: 12 bytes of settings (missing ones count as 0), then what standard
// input holds.
//   byte 0      resolution, -2 to 32
//   byte 1      colouring: gray, mixed or areas
//   byte 2      intensity, -63 to 63
//   byte 3      number of maps, 1 to 16
//   bytes 4-7   background, any int
//   bytes 8-11  seed of rand()
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fingerprint.hpp"
#include "render.hpp"

namespace {

constexpr std::size_t header_size = 12;
constexpr std::uint8_t untouched = 0xA5; // what the buffer holds outside the used area

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr,
                     "resolution %d, colouring %d, intensity %d, %d maps, background %d: %s\n",
                     resolution, color_mode, intensity, map_count, background, what);
        std::abort();
    }
}

bool all_bytes_are(const std::uint8_t* bytes, std::size_t count, std::uint8_t value) {
    return count == 0 || (bytes[0] == value && std::memcmp(bytes, bytes + 1, count - 1) == 0);
}

int used_side() {
    return resolution > 0 ? resolution : 0;
}

// Rows past the used ones, and the tail of every used row.
bool outside_is_untouched() {
    const int side = used_side();
    for (int row = 0; row < side; ++row) {
        if (!all_bytes_are(&image[row][3 * side], image_stride - 3 * side, untouched)) {
            return false;
        }
    }
    const std::size_t rows_left = static_cast<std::size_t>(max_resolution - side);
    return all_bytes_are(&image[side][0], rows_left * image_stride, untouched);
}

// Whether every byte of the used area is one of two values.
bool used_area_holds_only(std::uint8_t first, std::uint8_t second) {
    for (int row = 0; row < used_side(); ++row) {
        for (int byte = 0; byte < 3 * used_side(); ++byte) {
            if (image[row][byte] != first && image[row][byte] != second) {
                return false;
            }
        }
    }
    return true;
}

// Gray pixels have three equal bytes.
bool pixels_are_gray() {
    for (int row = 0; row < used_side(); ++row) {
        for (int column = 0; column < used_side(); ++column) {
            const std::uint8_t* pixel = &image[row][3 * column];
            if (pixel[0] != pixel[1] || pixel[1] != pixel[2]) {
                return false;
            }
        }
    }
    return true;
}

void take_settings(const std::uint8_t header[header_size]) {
    resolution = header[0] % 35 - 2;
    color_mode = header[1] % 3;
    intensity = static_cast<std::int8_t>(header[2]) % 64;
    map_count = header[3] % max_maps + 1;
    std::memcpy(&background, header + 4, sizeof background);
    unsigned seed;
    std::memcpy(&seed, header + 8, sizeof seed);
    std::srand(seed);
    current_color = 0;
}

// read_checksum on the given bytes as standard input; returns how many it took.
long read_checksum_from(const std::uint8_t* bytes, std::size_t size) {
    FILE* const real_stdin = stdin;
    FILE* input = fmemopen(const_cast<std::uint8_t*>(bytes), size, "rb");
    check(input != nullptr, "fmemopen failed");
    stdin = input;
    read_checksum();
    stdin = real_stdin;
    const long taken = std::ftell(input);
    std::fclose(input);
    return taken;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool first_run = true;
    if (first_run) {
        std::memset(image, untouched, sizeof image);
        first_run = false;
    }
    std::uint8_t header[header_size] = {};
    const std::size_t header_bytes = size < header_size ? size : header_size;
    std::memcpy(header, data, header_bytes);
    take_settings(header);

    const std::size_t input_size = size - header_bytes;
    const long taken = read_checksum_from(data + header_bytes, input_size);
    const std::size_t wanted = 8 * static_cast<std::size_t>(map_count);
    check(taken == static_cast<long>(input_size < wanted ? input_size : wanted),
          "the reader took other than 8 bytes per map");
    for (int i = 0; i < map_count; ++i) {
        const digit_group& g = digit_groups[i];
        check(g.d0 < 64 && g.d1 < 64 && g.d2 < 64 && g.d3 < 64 && g.d4 < 16 && g.d5 < 16,
              "a digit group field is wider than its bits");
    }
    build_maps();
    render();

    check(outside_is_untouched(), "a byte outside the used area changed");
    const std::uint8_t fill = static_cast<std::uint8_t>(background);
    // 32 bits suffice here: the size and intensity are small.
    const bool nothing_plotted = intensity * resolution * resolution <= 50 * resolution + 1;
    if (nothing_plotted) {
        check(used_area_holds_only(fill, fill), "a picture without plots is not background");
    }
    if (color_mode == color_gray) {
        const std::uint8_t ink = static_cast<std::uint8_t>(255 - (background & 0xFF));
        check(used_area_holds_only(fill, ink), "gray holds a value other than background or ink");
        check(pixels_are_gray(), "a gray pixel has unequal bytes");
    }

    for (int row = 0; row < used_side(); ++row) {
        std::memset(image[row], untouched, 3 * static_cast<std::size_t>(used_side()));
    }
    return 0;
}
