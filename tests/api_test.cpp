// The public C API of libtessadox.so, as a program that links it sees it:
// the option table through its calls, the same bytes as the command, every
// refusal as its code, and draws on many threads at once.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "address_cap.hpp"
#include "run_binary.hpp"
#include "tessadox/tessadox.h"

namespace {

const std::string md5_line = "d41d8cd98f00b204e9800998ecf8427e  -\n";
const std::string sha512_line =
    "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
    "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e  -\n";

using options_ptr = std::unique_ptr<tessadox_options, void (*)(tessadox_options*)>;
using setting = std::pair<int, long long>;

options_ptr options_with(const std::vector<setting>& settings) {
    options_ptr options(tessadox_options_new(), tessadox_options_free);
    for (const auto& [option, value] : settings) {
        const int answer = tessadox_options_set(options.get(), option, value);
        EXPECT_TRUE(answer == TESSADOX_OK || answer == TESSADOX_CLAMPED) << option << " " << value;
    }
    return options;
}

long long value_of(const tessadox_options* options, int option) {
    long long value = -12345;
    EXPECT_EQ(tessadox_options_get(options, option, &value), TESSADOX_OK);
    return value;
}

// A draw's picture, released at the end of the scope.
struct drawn_picture {
    tessadox_picture* picture = nullptr;
    int code = 0;
    drawn_picture(const std::string& checksum, const tessadox_options* options,
                  tessadox_progress_fn progress = nullptr, void* context = nullptr) {
        code =
            tessadox_draw(checksum.data(), checksum.size(), options, progress, context, &picture);
    }
    ~drawn_picture() {
        tessadox_picture_free(picture);
    }
};

// The PNG bytes that the library makes, or the code of its failure.
std::string png_of(const std::string& checksum, const tessadox_options* options, int* code) {
    drawn_picture drawn(checksum, options);
    *code = drawn.code;
    if (drawn.code != TESSADOX_OK) {
        return {};
    }
    unsigned char* png = nullptr;
    std::size_t size = 0;
    *code = tessadox_encode_png(drawn.picture, &png, &size);
    std::string bytes(reinterpret_cast<const char*>(png), size);
    tessadox_png_free(png);
    return bytes;
}

struct setting_case {
    std::vector<std::string> args;
    const std::string& input;
    std::vector<setting> settings;
};

// The clamps and edges that the command meets, through the options' calls.
TEST(Api, EncodesWhatTheCommandWrites) {
    const setting_case cases[] = {
        {{}, md5_line, {}},
        {{"-a", "-r", "64"},
         sha512_line,
         {{TESSADOX_COLOR_MODE, TESSADOX_AREAS}, {TESSADOX_RESOLUTION, 64}}},
        {{"-c", "-t", "-b", "255", "-r", "50"},
         md5_line,
         {{TESSADOX_FLIP_BGR, 1},
          {TESSADOX_TRANSPARENT, 1},
          {TESSADOX_BACKGROUND, 255},
          {TESSADOX_RESOLUTION, 50}}},
        {{"-l", "44", "-r", "30", "-a"},
         sha512_line,
         {{TESSADOX_CHECKSUM_LENGTH, 44},
          {TESSADOX_RESOLUTION, 30},
          {TESSADOX_COLOR_MODE, TESSADOX_AREAS}}},
        // Clamped as the command clamps: too long and too short become 32.
        {{"-l", "500", "-r", "30"},
         sha512_line,
         {{TESSADOX_CHECKSUM_LENGTH, 500}, {TESSADOX_RESOLUTION, 30}}},
        {{"-l", "3", "-r", "30"},
         sha512_line,
         {{TESSADOX_CHECKSUM_LENGTH, 3}, {TESSADOX_RESOLUTION, 30}}},
        {{"-l", "-9", "-r", "30"},
         sha512_line,
         {{TESSADOX_CHECKSUM_LENGTH, LLONG_MIN}, {TESSADOX_RESOLUTION, 30}}},
        {{"-r", "1500", "-i", "1"},
         md5_line,
         {{TESSADOX_RESOLUTION, 1500}, {TESSADOX_INTENSITY, 1}}},
        // The checksum's own length: a sha512 line is 128 digits and a space.
        {{"-l", "128", "-r", "40"},
         sha512_line,
         {{TESSADOX_CHECKSUM_LENGTH, 0}, {TESSADOX_RESOLUTION, 40}}},
        {{"-l", "8", "-r", "40"},
         "12345",
         {{TESSADOX_CHECKSUM_LENGTH, 0}, {TESSADOX_RESOLUTION, 40}}},
        {{"-r", "20"}, "", {{TESSADOX_RESOLUTION, 20}}},
        {{"-r", "20"}, "not a checksum at all, but bytes", {{TESSADOX_RESOLUTION, 20}}},
    };
    for (const char* second : {"1700000000", "4294967297"}) {
        for (const setting_case& c : cases) {
            const std::string what = testing::PrintToString(c.args) + " at " + second;
            options_ptr options = options_with(c.settings);
            tessadox_options_set(options.get(), TESSADOX_SEED, std::strtoll(second, nullptr, 10));
            int code = -100;
            const std::string bytes = png_of(c.input, options.get(), &code);
            ASSERT_EQ(code, TESSADOX_OK) << what;
            const run_result r =
                run_tessadox({.args = c.args, .input = c.input, .source_date_epoch = second});
            EXPECT_EQ(r.status, 0) << what;
            EXPECT_TRUE(bytes == r.out) << what << ": other PNG bytes than the command's";
        }
    }
}

// The stdio writer gives the bytes that the memory encoder gives.
TEST(Api, WritesToAStreamWhatItEncodes) {
    options_ptr options =
        options_with({{TESSADOX_RESOLUTION, 90}, {TESSADOX_TRANSPARENT, 1}, {TESSADOX_SEED, 99}});
    int code = -100;
    const std::string encoded = png_of(md5_line, options.get(), &code);
    drawn_picture drawn(md5_line, options.get());
    std::FILE* stream = std::tmpfile();
    ASSERT_EQ(tessadox_write_png(drawn.picture, stream), TESSADOX_OK);
    std::string written(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    EXPECT_EQ(std::fread(written.data(), 1, written.size(), stream), written.size());
    std::fclose(stream);
    EXPECT_TRUE(written == encoded);
}

// Every option's table entry, through the calls that read and set it.
TEST(ApiOptions, NamesDefaultsAndRanges) {
    const char* names[] = {
        nullptr,    "resolution",  "background", "intensity", "checksum_length", "color_mode",
        "flip_bgr", "transparent", "seed",       "threads",   "max_steps"};
    const long long expected[][3] = {{0, 0, 0},
                                     {300, 1, 1000},
                                     {0, INT_MIN, INT_MAX},
                                     {30, INT_MIN, INT_MAX},
                                     {32, 8, 128},
                                     {1, 0, 2},
                                     {0, 0, 1},
                                     {0, 0, 1},
                                     {0, 0, LLONG_MAX},
                                     {0, 0, 256},
                                     {0, 0, LLONG_MAX}};
    options_ptr defaults = options_with({});
    for (int option = TESSADOX_RESOLUTION; option <= TESSADOX_MAX_STEPS; ++option) {
        ASSERT_STREQ(tessadox_option_name(option), names[option]);
        EXPECT_EQ(tessadox_option_by_name(names[option]), option);
        long long fallback = -1, lowest = -1, highest = -1;
        ASSERT_EQ(tessadox_option_range(option, &fallback, &lowest, &highest), TESSADOX_OK);
        EXPECT_EQ(fallback, expected[option][0]) << names[option];
        EXPECT_EQ(lowest, expected[option][1]) << names[option];
        EXPECT_EQ(highest, expected[option][2]) << names[option];
        EXPECT_EQ(value_of(defaults.get(), option), fallback) << names[option];
    }
    for (int none : {0, TESSADOX_MAX_STEPS + 1, -1, INT_MAX}) {
        EXPECT_EQ(tessadox_option_name(none), nullptr);
        EXPECT_EQ(tessadox_option_range(none, nullptr, nullptr, nullptr),
                  TESSADOX_E_UNKNOWN_OPTION);
        EXPECT_EQ(tessadox_options_set(defaults.get(), none, 1), TESSADOX_E_UNKNOWN_OPTION);
        long long value = 0;
        EXPECT_EQ(tessadox_options_get(defaults.get(), none, &value), TESSADOX_E_UNKNOWN_OPTION);
    }
    for (const char* unknown : {"", "Resolution", "resolution ", "colour_mode", "r"}) {
        EXPECT_EQ(tessadox_option_by_name(unknown), TESSADOX_E_UNKNOWN_OPTION) << unknown;
    }
    long long mode = -1;
    const char* colorings[] = {"gray", "mixed", "areas"};
    for (int value = 0; value < 3; ++value) {
        EXPECT_EQ(tessadox_option_value_by_name(TESSADOX_COLOR_MODE, colorings[value], &mode), 0);
        EXPECT_EQ(mode, value);
        EXPECT_STREQ(tessadox_option_value_name(TESSADOX_COLOR_MODE, value), colorings[value]);
    }
    EXPECT_EQ(tessadox_option_value_by_name(TESSADOX_COLOR_MODE, "grey", &mode), TESSADOX_E_RANGE);
    EXPECT_EQ(tessadox_option_value_by_name(TESSADOX_RESOLUTION, "gray", &mode), TESSADOX_E_RANGE);
    EXPECT_EQ(tessadox_option_value_name(TESSADOX_COLOR_MODE, 3), nullptr);
    EXPECT_EQ(tessadox_option_value_name(TESSADOX_RESOLUTION, 0), nullptr);
}

// At each end of each option's range: the last value in is kept, the first
// value out is clamped as the command clamps it or refused without a change.
TEST(ApiOptions, BoundsClampsAndRefusals) {
    struct {
        int option;
        long long below, above; // what a value just outside becomes; -1: refused
    } cases[] = {
        {TESSADOX_RESOLUTION, -1, 1000}, {TESSADOX_BACKGROUND, -1, -1},
        {TESSADOX_INTENSITY, -1, -1},    {TESSADOX_CHECKSUM_LENGTH, 32, 32},
        {TESSADOX_COLOR_MODE, -1, -1},   {TESSADOX_FLIP_BGR, -1, -1},
        {TESSADOX_TRANSPARENT, -1, -1},  {TESSADOX_SEED, -1, -1},
        {TESSADOX_THREADS, -1, -1},      {TESSADOX_MAX_STEPS, -1, -1},
    };
    for (const auto& c : cases) {
        long long lowest = 0, highest = 0;
        tessadox_option_range(c.option, nullptr, &lowest, &highest);
        options_ptr options = options_with({});
        for (long long inside : {lowest, highest}) {
            EXPECT_EQ(tessadox_options_set(options.get(), c.option, inside), TESSADOX_OK);
            EXPECT_EQ(value_of(options.get(), c.option), inside);
        }
        // Just outside each end, and as far outside as a long long goes.
        const std::pair<long long, long long> outside[] = {
            {lowest - (lowest > LLONG_MIN), c.below},
            {LLONG_MIN, c.below},
            {highest + (highest < LLONG_MAX), c.above},
            {LLONG_MAX, c.above}};
        for (const auto& [value, becomes] : outside) {
            if (value >= lowest && value <= highest) {
                continue; // the range reaches the end of long long
            }
            const long long before = value_of(options.get(), c.option);
            const int answer = tessadox_options_set(options.get(), c.option, value);
            const std::string what =
                std::string(tessadox_option_name(c.option)) + " = " + std::to_string(value);
            if (becomes < 0) {
                EXPECT_EQ(answer, TESSADOX_E_RANGE) << what;
                EXPECT_EQ(value_of(options.get(), c.option), before) << what;
            } else {
                EXPECT_EQ(answer, TESSADOX_CLAMPED) << what;
                EXPECT_EQ(value_of(options.get(), c.option), becomes) << what;
            }
        }
    }
    // The checksum's own length is 0, below the shortest; 1 to 7 are too short.
    options_ptr options = options_with({});
    EXPECT_EQ(tessadox_options_set(options.get(), TESSADOX_CHECKSUM_LENGTH, 0), TESSADOX_OK);
    EXPECT_EQ(value_of(options.get(), TESSADOX_CHECKSUM_LENGTH), 0);
    EXPECT_EQ(tessadox_checksum_bytes(options.get()), 128);
    EXPECT_EQ(tessadox_options_set(options.get(), TESSADOX_CHECKSUM_LENGTH, 7), TESSADOX_CLAMPED);
    EXPECT_EQ(value_of(options.get(), TESSADOX_CHECKSUM_LENGTH), 32);
    EXPECT_EQ(tessadox_options_set(options.get(), TESSADOX_CHECKSUM_LENGTH, 47), TESSADOX_OK);
    EXPECT_EQ(tessadox_checksum_bytes(options.get()), 40) << "whole maps only";

    // A copy goes its own way.
    options_ptr copy(tessadox_options_copy(options.get()), tessadox_options_free);
    tessadox_options_set(copy.get(), TESSADOX_RESOLUTION, 5);
    EXPECT_EQ(value_of(copy.get(), TESSADOX_CHECKSUM_LENGTH), 47);
    EXPECT_EQ(value_of(options.get(), TESSADOX_RESOLUTION), 300);
}

TEST(ApiOptions, StepsAndTheWorkBound) {
    options_ptr options = options_with({{TESSADOX_RESOLUTION, 100}, {TESSADOX_INTENSITY, 3}});
    long long steps = 0;
    ASSERT_EQ(tessadox_plotting_steps(options.get(), &steps), TESSADOX_OK);
    EXPECT_EQ(steps, 3LL * 100 * 100);
    tessadox_options_set(options.get(), TESSADOX_INTENSITY, 0);
    tessadox_plotting_steps(options.get(), &steps);
    EXPECT_EQ(steps, 50 * 100) << "the warm-up is the least";
    tessadox_options_set(options.get(), TESSADOX_INTENSITY, 3);

    struct told {
        int calls = 0;
    } heard;
    const auto count = [](long long, long long, void* context) {
        ++static_cast<told*>(context)->calls;
        return 0;
    };
    tessadox_options_set(options.get(), TESSADOX_MAX_STEPS, 30000);
    drawn_picture exactly(md5_line, options.get());
    EXPECT_EQ(exactly.code, TESSADOX_OK) << "a bound of the steps themselves";
    tessadox_options_set(options.get(), TESSADOX_MAX_STEPS, 29999);
    drawn_picture over(md5_line, options.get(), count, &heard);
    EXPECT_EQ(over.code, TESSADOX_E_TOO_MUCH_WORK);
    EXPECT_EQ(over.picture, nullptr);
    EXPECT_EQ(heard.calls, 0) << "refused before it draws";

    // A transparent gray that the PNG cannot hold is refused before the draw too.
    for (long long background : {256, -1, 65792}) {
        options_ptr transparent = options_with({{TESSADOX_TRANSPARENT, 1},
                                                {TESSADOX_BACKGROUND, background},
                                                {TESSADOX_RESOLUTION, 40}});
        drawn_picture refused(md5_line, transparent.get(), count, &heard);
        EXPECT_EQ(refused.code, TESSADOX_E_TRANSPARENT_BACKGROUND) << background;
        EXPECT_EQ(refused.picture, nullptr);
        tessadox_options_set(transparent.get(), TESSADOX_TRANSPARENT, 0);
        EXPECT_EQ(drawn_picture(md5_line, transparent.get()).code, TESSADOX_OK) << background;
    }
    EXPECT_EQ(heard.calls, 0);
    options_ptr wrapped = options_with(
        {{TESSADOX_TRANSPARENT, 1}, {TESSADOX_BACKGROUND, 65535 + 256}, {TESSADOX_RESOLUTION, 40}});
    EXPECT_EQ(drawn_picture(md5_line, wrapped.get()).code, TESSADOX_OK) << "low 16 bits 255";
}

// The picture keeps the options it was drawn with, its length resolved,
// and its pixels in the PNG's channel order.
TEST(ApiPicture, CarriesItsLookAndLength) {
    const std::string sha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    const struct {
        std::string checksum;
        long long length;
    } own[] = {{sha256 + "  -\n", 64},
               {sha512_line, 128},
               {md5_line, 32},
               {sha256 + sha256 + sha256, 128},
               {"abcdef0123456789xyz", 16},
               {"1234567", 8},
               {"", 8},
               {"DEADBEEF", 8}};
    for (const auto& c : own) {
        options_ptr options =
            options_with({{TESSADOX_CHECKSUM_LENGTH, 0}, {TESSADOX_RESOLUTION, 24}});
        drawn_picture drawn(c.checksum, options.get());
        ASSERT_EQ(drawn.code, TESSADOX_OK);
        long long length = -1;
        ASSERT_EQ(tessadox_picture_option(drawn.picture, TESSADOX_CHECKSUM_LENGTH, &length), 0);
        EXPECT_EQ(length, c.length) << c.checksum;
        tessadox_options_set(options.get(), TESSADOX_CHECKSUM_LENGTH, c.length);
        drawn_picture told(c.checksum, options.get());
        EXPECT_EQ(std::memcmp(tessadox_picture_pixels(drawn.picture),
                              tessadox_picture_pixels(told.picture), 24 * 24 * 3),
                  0)
            << c.checksum;
    }

    options_ptr plain =
        options_with({{TESSADOX_RESOLUTION, 33}, {TESSADOX_COLOR_MODE, TESSADOX_AREAS}});
    options_ptr flipped = options_with(
        {{TESSADOX_RESOLUTION, 33}, {TESSADOX_COLOR_MODE, TESSADOX_AREAS}, {TESSADOX_FLIP_BGR, 1}});
    drawn_picture rgb(sha512_line, plain.get());
    drawn_picture bgr(sha512_line, flipped.get());
    const unsigned char* a = tessadox_picture_pixels(rgb.picture);
    const unsigned char* b = tessadox_picture_pixels(bgr.picture);
    int colored = 0;
    for (int i = 0; i < 33 * 33 * 3; i += 3) {
        ASSERT_TRUE(a[i] == b[i + 2] && a[i + 1] == b[i + 1] && a[i + 2] == b[i]) << i;
        colored += a[i] != a[i + 2];
    }
    EXPECT_GT(colored, 10) << "a picture whose flip shows";
    long long value = -1;
    EXPECT_EQ(tessadox_picture_option(bgr.picture, TESSADOX_FLIP_BGR, &value), TESSADOX_OK);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(tessadox_picture_option(bgr.picture, 99, &value), TESSADOX_E_UNKNOWN_OPTION);
}

// Every pointer position refuses NULL with a code, and every answer's
// place is cleared, so a failed call leaves nothing to free.
TEST(Api, RefusesNullPointers) {
    options_ptr options = options_with({{TESSADOX_RESOLUTION, 8}});
    long long value = 0;
    EXPECT_EQ(tessadox_options_set(nullptr, TESSADOX_RESOLUTION, 5), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_options_get(nullptr, TESSADOX_RESOLUTION, &value), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_options_get(options.get(), TESSADOX_RESOLUTION, nullptr),
              TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_options_copy(nullptr), nullptr);
    tessadox_options_free(nullptr);
    EXPECT_EQ(tessadox_option_by_name(nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_option_value_by_name(TESSADOX_COLOR_MODE, nullptr, &value),
              TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_option_value_by_name(TESSADOX_COLOR_MODE, "gray", nullptr),
              TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_checksum_bytes(nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_plotting_steps(nullptr, &value), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_plotting_steps(options.get(), nullptr), TESSADOX_E_ARGUMENT);

    tessadox_picture* picture = reinterpret_cast<tessadox_picture*>(&picture); // not null
    EXPECT_EQ(tessadox_draw("abc", 3, nullptr, nullptr, nullptr, &picture), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(picture, nullptr) << "a failed draw leaves no picture";
    EXPECT_EQ(tessadox_draw("abc", 3, options.get(), nullptr, nullptr, nullptr),
              TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_draw(nullptr, 1, options.get(), nullptr, nullptr, &picture),
              TESSADOX_E_ARGUMENT);
    // No checksum at all is the empty one.
    drawn_picture empty("", options.get());
    ASSERT_EQ(tessadox_draw(nullptr, 0, options.get(), nullptr, nullptr, &picture), TESSADOX_OK);
    EXPECT_EQ(std::memcmp(tessadox_picture_pixels(picture), tessadox_picture_pixels(empty.picture),
                          8 * 8 * 3),
              0);

    unsigned char* png = reinterpret_cast<unsigned char*>(&png);
    std::size_t size = 1;
    EXPECT_EQ(tessadox_encode_png(nullptr, &png, &size), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(png, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(tessadox_encode_png(picture, nullptr, &size), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_encode_png(picture, &png, nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_write_png(picture, nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_write_png(nullptr, stdout), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_picture_option(nullptr, TESSADOX_RESOLUTION, &value), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_picture_option(picture, TESSADOX_RESOLUTION, nullptr), TESSADOX_E_ARGUMENT);
    tessadox_picture_free(picture);
    tessadox_picture_free(nullptr);
    tessadox_png_free(nullptr);
    EXPECT_EQ(tessadox_picture_size(nullptr), 0);
    EXPECT_EQ(tessadox_picture_pixels(nullptr), nullptr);
}

TEST(Api, WriteFailuresCarryLibpngsMessage) {
    options_ptr options = options_with({{TESSADOX_RESOLUTION, 40}});
    drawn_picture drawn(md5_line, options.get());
    ASSERT_EQ(drawn.code, TESSADOX_OK);
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    char message[8];
    std::memset(message, 'x', sizeof message);
    EXPECT_EQ(tessadox_write_png_with_message(drawn.picture, full, message, sizeof message),
              TESSADOX_E_PNG_ERROR);
    EXPECT_STREQ(message, "Write E") << "cut to the buffer, NUL included";
    char whole[64];
    EXPECT_EQ(tessadox_write_png_with_message(drawn.picture, full, whole, sizeof whole),
              TESSADOX_E_PNG_ERROR);
    EXPECT_STREQ(whole, "Write Error");
    EXPECT_EQ(tessadox_write_png(drawn.picture, full), TESSADOX_E_PNG_ERROR);
    std::fclose(full);

    // A call that succeeds leaves no message.
    std::FILE* stream = std::tmpfile();
    EXPECT_EQ(tessadox_write_png_with_message(drawn.picture, stream, whole, sizeof whole),
              TESSADOX_OK);
    EXPECT_STREQ(whole, "");
    std::fclose(stream);
}

TEST(Api, EveryCodeHasItsOwnSentence) {
    std::vector<std::string> sentences;
    for (int code = TESSADOX_CLAMPED; code >= TESSADOX_E_PNG_INFO_STRUCT; --code) {
        const std::string text = tessadox_error_text(code);
        EXPECT_GT(text.size(), 5u) << code;
        EXPECT_EQ(std::count(sentences.begin(), sentences.end(), text), 0) << text;
        sentences.push_back(text);
    }
    EXPECT_STREQ(tessadox_error_text(-99), tessadox_error_text(2));
    EXPECT_EQ(std::count(sentences.begin(), sentences.end(), tessadox_error_text(-99)), 0);
}

// The version comes from the build's one place.
TEST(Api, VersionIsTheProjects) {
    EXPECT_STREQ(tessadox_version(), TESSADOX_PROJECT_VERSION);
    EXPECT_STREQ(TESSADOX_VERSION_STRING, TESSADOX_PROJECT_VERSION);
    EXPECT_EQ(std::to_string(TESSADOX_VERSION_MAJOR) + "." + std::to_string(TESSADOX_VERSION_MINOR),
              TESSADOX_PROJECT_VERSION);
}

// Memory that runs out is a code, not an abort: a child process whose
// address space is capped near what it already uses draws the largest
// picture.
TEST(Api, MemoryThatRunsOutIsACode) {
#ifdef TESSADOX_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve address space of their own";
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        cap_address_space(std::size_t{1} << 20);
        tessadox_options* options = tessadox_options_new();
        tessadox_options_set(options, TESSADOX_RESOLUTION, 1000);
        tessadox_options_set(options, TESSADOX_INTENSITY, 0);
        tessadox_options_set(options, TESSADOX_THREADS, 1);
        tessadox_picture* picture = nullptr;
        const int code = tessadox_draw("abc", 3, options, nullptr, nullptr, &picture);
        _exit(code == TESSADOX_E_NO_MEMORY && picture == nullptr ? 0 : 92);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

// Eight threads drawing eight checksums at once, each with threads of its
// own, draw what one-by-one draws do.
TEST(ApiThreads, ConcurrentDrawsEqualOneByOne) {
    constexpr int count = 8;
    std::vector<std::string> checksums;
    std::vector<options_ptr> options;
    for (int i = 0; i < count; ++i) {
        checksums.push_back(checksum_line(i % 2 ? "sha256sum" : "md5sum", std::to_string(i)));
        options.push_back(options_with({{TESSADOX_RESOLUTION, 60 + 10 * i},
                                        {TESSADOX_COLOR_MODE, i % 3},
                                        {TESSADOX_CHECKSUM_LENGTH, i % 2 ? 64 : 0},
                                        {TESSADOX_THREADS, 1 + i % 3},
                                        {TESSADOX_SEED, 1700000000 + i}}));
    }
    std::vector<std::string> alone(count), together(count);
    std::vector<int> codes(count, -100);
    for (int i = 0; i < count; ++i) {
        alone[i] = png_of(checksums[i], options[i].get(), &codes[i]);
        ASSERT_EQ(codes[i], TESSADOX_OK);
    }
    {
        std::vector<std::jthread> drawers;
        for (int i = 0; i < count; ++i) {
            drawers.emplace_back(
                [&, i] { together[i] = png_of(checksums[i], options[i].get(), &codes[i]); });
        }
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(codes[i], TESSADOX_OK) << i;
        EXPECT_TRUE(alone[i] == together[i]) << "checksum " << i << " drew another picture";
    }
}

// The progress function hears of every step, on the calling thread.
TEST(ApiThreads, ProgressIsToldOnTheCallingThread) {
    struct heard {
        std::thread::id caller = std::this_thread::get_id();
        long long last = -1, total = -1;
        bool other_thread = false, backwards = false;
    } h;
    options_ptr options =
        options_with({{TESSADOX_RESOLUTION, 400}, {TESSADOX_INTENSITY, 20}, {TESSADOX_THREADS, 3}});
    const auto listen = [](long long done, long long steps, void* context) {
        heard* h = static_cast<heard*>(context);
        h->other_thread |= std::this_thread::get_id() != h->caller;
        h->backwards |= done < h->last;
        h->last = done;
        h->total = steps;
        return 0;
    };
    drawn_picture drawn(md5_line, options.get(), listen, &h);
    ASSERT_EQ(drawn.code, TESSADOX_OK);
    EXPECT_FALSE(h.other_thread);
    EXPECT_FALSE(h.backwards);
    long long steps = 0;
    tessadox_plotting_steps(options.get(), &steps);
    EXPECT_EQ(h.total, steps);
    EXPECT_EQ(h.last, h.total);
}

// A progress function that answers non-zero stops the draw on any number of
// threads: no picture, and it is not asked again.
TEST(ApiThreads, ProgressFunctionStopsTheDraw) {
    struct heard {
        long long stop_at = 3'000'000, stopped_at = -1;
        int calls_after_stop = 0;
    };
    for (int threads : {1, 2, 8}) {
        heard h;
        options_ptr options = options_with(
            {{TESSADOX_RESOLUTION, 300}, {TESSADOX_INTENSITY, 200}, {TESSADOX_THREADS, threads}});
        const auto stop = [](long long done, long long, void* context) {
            heard* h = static_cast<heard*>(context);
            if (h->stopped_at >= 0) {
                ++h->calls_after_stop;
            } else if (done >= h->stop_at) {
                h->stopped_at = done;
            }
            return h->stopped_at >= 0 ? 1 : 0;
        };
        drawn_picture drawn(md5_line, options.get(), stop, &h);
        EXPECT_EQ(drawn.code, TESSADOX_E_STOPPED) << threads << " threads";
        EXPECT_EQ(drawn.picture, nullptr);
        EXPECT_GE(h.stopped_at, h.stop_at);
        EXPECT_LT(h.stopped_at, 18'000'000) << "stopped before the end";
        EXPECT_EQ(h.calls_after_stop, 0);
    }
}

} // namespace
