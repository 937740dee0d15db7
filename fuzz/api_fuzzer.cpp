// The public C API on arbitrary options and checksums: options set by
// number and by name with any value, a draw bounded in work through
// max_steps, and sometimes stopped from its progress function. Every answer
// must be one the header promises, every value read back must lie in its
// option's range, and a picture that is drawn must encode.
//
// Input: a byte with the number of settings (low 4 bits) and whether to stop
// the draw (bit 4); then 9 bytes a setting: a selector (below 16 an option
// number, from 16 on a name from a list that holds wrong names too) and a
// value of 8 bytes, little-endian; then the checksum's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tessadox/tessadox.h"

namespace {

// Little enough work and pixels that an input takes a millisecond or so,
// even under the sanitizers: the PNG encoding of a large picture would
// take most of the time.
constexpr long long largest_work = 100'000;
constexpr long long largest_picture = 200;

const char* const names[] = {
    "resolution",  "background", "intensity",  "checksum_length", "color_mode", "flip_bgr",
    "transparent", "seed",       "threads",    "max_steps",       "",           "Resolution",
    "colour_mode", "seed\n",     "max_steps ", "threads2"};

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "api: %s\n", what);
        std::abort();
    }
}

long long value_at(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    long long signed_value;
    std::memcpy(&signed_value, &value, sizeof value);
    return signed_value;
}

void set_and_check(tessadox_options* options, int option, long long value) {
    long long before = 0;
    const bool known = tessadox_options_get(options, option, &before) == TESSADOX_OK;
    const int answer = tessadox_options_set(options, option, value);
    if (!known) {
        check(answer == TESSADOX_E_UNKNOWN_OPTION, "an unknown option was set");
        return;
    }
    long long stored = 0, lowest = 0, highest = 0;
    tessadox_options_get(options, option, &stored);
    tessadox_option_range(option, nullptr, &lowest, &highest);
    check(answer == TESSADOX_OK || answer == TESSADOX_CLAMPED || answer == TESSADOX_E_RANGE,
          "an answer the header does not promise");
    check(answer != TESSADOX_OK || stored == value, "a value set is not the value stored");
    check(answer != TESSADOX_E_RANGE || stored == before, "a refused value changed the option");
    check((stored >= lowest && stored <= highest) ||
              (option == TESSADOX_CHECKSUM_LENGTH && stored == 0),
          "a value outside its range");
}

int stop_at_once(long long, long long, void*) {
    return 1;
}

void draw_and_check(const std::uint8_t* checksum, std::size_t length, tessadox_options* options,
                    bool stop) {
    tessadox_picture* picture = nullptr;
    const int answer =
        tessadox_draw(checksum, length, options, stop ? stop_at_once : nullptr, nullptr, &picture);
    check(answer == TESSADOX_OK || answer == TESSADOX_E_TRANSPARENT_BACKGROUND ||
              answer == TESSADOX_E_TOO_MUCH_WORK || (stop && answer == TESSADOX_E_STOPPED),
          "a draw answered what it may not");
    check((answer == TESSADOX_OK) == (picture != nullptr), "a picture without success");
    if (picture == nullptr) {
        return;
    }
    long long resolution = 0, drawn_length = 0;
    tessadox_options_get(options, TESSADOX_RESOLUTION, &resolution);
    tessadox_picture_option(picture, TESSADOX_CHECKSUM_LENGTH, &drawn_length);
    check(tessadox_picture_size(picture) == resolution, "a picture of another size");
    check(drawn_length >= 8 && drawn_length <= 128, "a checksum length the draw cannot read");
    unsigned char* png = nullptr;
    std::size_t png_size = 0;
    check(tessadox_encode_png(picture, &png, &png_size) == TESSADOX_OK,
          "a picture that failed to encode");
    check(png_size > 8 && std::memcmp(png, "\x89PNG\r\n\x1a\n", 8) == 0, "no PNG signature");
    tessadox_png_free(png);
    tessadox_picture_free(picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int settings = data[0] & 0x0F;
    const bool stop = (data[0] & 0x10) != 0;
    std::size_t at = 1;
    tessadox_options* options = tessadox_options_new();
    check(options != nullptr, "no options");
    for (int i = 0; i < settings && at + 9 <= size; ++i, at += 9) {
        const int selector = data[at];
        const int option = selector < 16 ? selector : tessadox_option_by_name(names[selector % 16]);
        set_and_check(options, option, value_at(data + at + 1));
    }
    // Bounded work, pixels and threads, whatever the input set.
    long long bound = 0, threads = 0, resolution = 0;
    tessadox_options_get(options, TESSADOX_MAX_STEPS, &bound);
    tessadox_options_get(options, TESSADOX_THREADS, &threads);
    tessadox_options_get(options, TESSADOX_RESOLUTION, &resolution);
    set_and_check(options, TESSADOX_RESOLUTION, std::min(resolution, largest_picture));
    set_and_check(options, TESSADOX_MAX_STEPS,
                  bound > 0 && bound < largest_work ? bound : largest_work);
    set_and_check(options, TESSADOX_THREADS, threads % 4);
    draw_and_check(data + at, size - at, options, stop);
    tessadox_options_free(options);
    return 0;
}
