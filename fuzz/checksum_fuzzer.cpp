// Arbitrary checksum bytes through the whole drawing: digit groups, maps, the
// framing pass and the plotting pass, at a small size and with settings taken
// from the input. The plotting loop's picture must be the one that the plain
// step functions draw, byte for byte, with as many draws.
//
// Input: 12 bytes of settings (missing ones count as 0), then what standard
// input holds.
//   byte 0      resolution, -2 to 32
//   byte 1      colouring: gray, mixed or areas
//   byte 2      intensity, -63 to 63
//   byte 3      number of maps, 1 to 16
//   bytes 4-7   background, any int
//   bytes 8-11  seed
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fingerprint.hpp"
#include "plotting.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "standard_input.hpp"
#include "step_by_step.hpp"

namespace {

constexpr std::size_t header_size = 12;

void check(bool condition, const settings& run, const char* what) {
    if (!condition) {
        std::fprintf(
            stderr, "resolution %d, colouring %d, intensity %d, %d maps, background %d: %s\n",
            run.resolution, run.color_mode, run.intensity, run.map_count, run.background, what);
        std::abort();
    }
}

settings settings_of(const std::uint8_t header[header_size]) {
    settings run;
    run.resolution = header[0] % 35 - 2;
    run.color_mode = header[1] % 3;
    run.intensity = static_cast<std::int8_t>(header[2]) % 64;
    run.map_count = header[3] % max_maps + 1;
    std::memcpy(&run.background, header + 4, sizeof run.background);
    return run;
}

// read_checksum on the given bytes as its input; tells how many it took.
std::vector<digit_group> read_checksum_from(const std::uint8_t* bytes, std::size_t size,
                                            int map_count, long* taken) {
    std::FILE* input = fmemopen(const_cast<std::uint8_t*>(bytes), size, "rb");
    if (input == nullptr) {
        std::abort();
    }
    std::vector<digit_group> groups =
        digit_groups_of(read_checksum(input, 8 * static_cast<std::size_t>(map_count)), map_count);
    *taken = std::ftell(input);
    std::fclose(input);
    return groups;
}

// Gray pixels have three equal bytes, each the background or the ink.
bool is_gray_picture(const picture& drawn, int background) {
    const std::uint8_t fill = static_cast<std::uint8_t>(background);
    const std::uint8_t ink = static_cast<std::uint8_t>(255 - (background & 0xFF));
    for (std::size_t i = 0; i + 3 < drawn.image.size(); i += 3) {
        const std::uint8_t* pixel = &drawn.image[i];
        if (pixel[0] != pixel[1] || pixel[1] != pixel[2] || (pixel[0] != fill && pixel[0] != ink)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t header[header_size] = {};
    const std::size_t header_bytes = size < header_size ? size : header_size;
    std::memcpy(header, data, header_bytes);
    const settings run = settings_of(header);
    unsigned seed;
    std::memcpy(&seed, header + 8, sizeof seed);

    const std::size_t input_size = size - header_bytes;
    long taken = 0;
    const std::vector<digit_group> groups =
        read_checksum_from(data + header_bytes, input_size, run.map_count, &taken);
    const std::size_t wanted = 8 * static_cast<std::size_t>(run.map_count);
    check(taken == static_cast<long>(input_size < wanted ? input_size : wanted), run,
          "the reader took other than 8 bytes per map");
    check(groups.size() == static_cast<std::size_t>(run.map_count), run, "one group per map");
    for (const digit_group& g : groups) {
        check(g.d0 < 64 && g.d1 < 64 && g.d2 < 64 && g.d3 < 64 && g.d4 < 16 && g.d5 < 16, run,
              "a digit group field is wider than its bits");
    }
    const std::vector<affine_map> maps = build_maps(groups);

    random_stream fast_draws(seed), step_draws(seed);
    const picture fast = render(run, maps, fast_draws);
    const picture reference = render_step_by_step(run, maps, step_draws);
    check(fast_draws() == step_draws(), run, "the plotting loop made another number of draws");
    check(fast.resolution == run.resolution, run, "a picture of another size");
    const std::size_t side = run.resolution > 0 ? static_cast<std::size_t>(run.resolution) : 0;
    check(fast.image.size() == (side > 0 ? 3 * side * side + 1 : 0), run, "the picture's bytes");
    check(reference.image.size() == fast.image.size() &&
              (fast.image.empty() ||
               std::memcmp(fast.image.data(), reference.image.data(), 3 * side * side) == 0),
          run, "the plotting loop drew another picture than the steps");
    if (run.color_mode == color_gray) {
        check(is_gray_picture(fast, run.background), run, "a gray pixel that is not gray");
    }
    return 0;
}
