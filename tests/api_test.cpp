// The public C API of libtessadox.so, as a program that links it sees it:
// the same bytes as the command, every failure as its code, and draws on
// many threads at once.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "run_binary.hpp"
#include "tessadox/tessadox.h"

namespace {

const std::string md5_line = "d41d8cd98f00b204e9800998ecf8427e  -\n";
const std::string sha512_line =
    "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
    "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e  -\n";

// A draw's picture, released at the end of the scope.
struct drawn_picture {
    tessadox_picture* picture = nullptr;
    int code = 0;
    drawn_picture(const std::string& checksum, const tessadox_options& options) {
        code = tessadox_draw(checksum.data(), checksum.size(), &options, &picture);
    }
    ~drawn_picture() {
        tessadox_picture_free(picture);
    }
};

// The PNG bytes that the library makes, or the code of its failure.
std::string png_of(const std::string& checksum, const tessadox_options& options, int* code) {
    drawn_picture drawn(checksum, options);
    *code = drawn.code;
    if (drawn.code != TESSADOX_OK) {
        return {};
    }
    unsigned char* png = nullptr;
    std::size_t size = 0;
    *code = tessadox_encode_png(drawn.picture, &options, &png, &size);
    std::string bytes(reinterpret_cast<const char*>(png), size);
    tessadox_free_png(png);
    return bytes;
}

struct setting_case {
    std::vector<std::string> args;
    const std::string& input;
    void (*set)(tessadox_options*);
};

TEST(Api, EncodesWhatTheCommandWrites) {
    const setting_case cases[] = {
        {{}, md5_line, [](tessadox_options*) {}},
        {{"-g"}, md5_line, [](tessadox_options* o) { o->color_mode = TESSADOX_GRAY; }},
        {{"-a", "-r", "64"},
         sha512_line,
         [](tessadox_options* o) { o->color_mode = TESSADOX_AREAS, o->resolution = 64; }},
        {{"-c", "-t", "-b", "255", "-r", "50"},
         md5_line,
         [](tessadox_options* o) {
             o->flip_bgr = 1, o->transparent = 1, o->background = 255, o->resolution = 50;
         }},
        {{"-b", "200", "-i", "90", "-r", "40"},
         md5_line,
         [](tessadox_options* o) { o->background = 200, o->intensity = 90, o->resolution = 40; }},
        {{"-b", "-1", "-r", "17"},
         sha512_line,
         [](tessadox_options* o) { o->background = -1, o->resolution = 17; }},
        {{"-l", "128", "-r", "80"},
         sha512_line,
         [](tessadox_options* o) { o->checksum_length = 128, o->resolution = 80; }},
        {{"-l", "44", "-r", "30", "-a"},
         sha512_line,
         [](tessadox_options* o) {
             o->checksum_length = 44, o->resolution = 30, o->color_mode = TESSADOX_AREAS;
         }},
        // Clamped as the command clamps: too long and too short become 32.
        {{"-l", "500", "-r", "30"},
         sha512_line,
         [](tessadox_options* o) { o->checksum_length = 500, o->resolution = 30; }},
        {{"-l", "3", "-r", "30"},
         sha512_line,
         [](tessadox_options* o) { o->checksum_length = 3, o->resolution = 30; }},
        {{"-r", "1500", "-i", "1"},
         md5_line,
         [](tessadox_options* o) { o->resolution = 1500, o->intensity = 1; }},
        {{"-r", "1", "-i", "60"},
         md5_line,
         [](tessadox_options* o) { o->resolution = 1, o->intensity = 60; }},
        {{"-i", "0", "-r", "20"},
         md5_line,
         [](tessadox_options* o) { o->intensity = 0, o->resolution = 20; }},
        {{"-r", "20"}, "", [](tessadox_options* o) { o->resolution = 20; }},
        {{"-r", "20"},
         "not a checksum at all, but bytes",
         [](tessadox_options* o) { o->resolution = 20; }},
    };
    for (const char* second : {"1700000000", "4294967297"}) {
        for (const setting_case& c : cases) {
            const std::string what = testing::PrintToString(c.args) + " at " + second;
            tessadox_options options = tessadox_default_options();
            c.set(&options);
            options.seed = std::strtoull(second, nullptr, 10);
            int code = -100;
            const std::string bytes = png_of(c.input, options, &code);
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
    tessadox_options options = tessadox_default_options();
    options.resolution = 90;
    options.transparent = 1;
    options.seed = 99;
    int code = -100;
    const std::string encoded = png_of(md5_line, options, &code);
    drawn_picture drawn(md5_line, options);
    std::FILE* stream = std::tmpfile();
    ASSERT_EQ(tessadox_write_png(drawn.picture, &options, stream), TESSADOX_OK);
    std::string written(static_cast<std::size_t>(std::ftell(stream)), '\0');
    std::rewind(stream);
    EXPECT_EQ(std::fread(written.data(), 1, written.size(), stream), written.size());
    std::fclose(stream);
    EXPECT_TRUE(written == encoded);
}

TEST(Api, PixelsAreTheRowsOfThePicture) {
    tessadox_options options = tessadox_default_options();
    options.resolution = 33;
    options.color_mode = TESSADOX_GRAY;
    options.background = 255;
    drawn_picture drawn(md5_line, options);
    ASSERT_EQ(drawn.code, TESSADOX_OK);
    ASSERT_EQ(tessadox_picture_size(drawn.picture), 33);
    const unsigned char* pixels = tessadox_picture_pixels(drawn.picture);
    int black = 0;
    for (int i = 0; i < 33 * 33 * 3; i += 3) {
        // gray on white: every pixel is white or black, its three bytes alike
        ASSERT_TRUE(pixels[i] == pixels[i + 1] && pixels[i + 1] == pixels[i + 2]) << i;
        ASSERT_TRUE(pixels[i] == 255 || pixels[i] == 0) << i;
        black += pixels[i] == 0;
    }
    EXPECT_GT(black, 20);
    EXPECT_LT(black, 33 * 33 / 2);
}

TEST(Api, DefaultsClampsAndCounts) {
    const tessadox_options defaults = tessadox_default_options();
    EXPECT_EQ(defaults.resolution, 300);
    EXPECT_EQ(defaults.background, 0);
    EXPECT_EQ(defaults.intensity, 30);
    EXPECT_EQ(defaults.checksum_length, 32);
    EXPECT_EQ(defaults.color_mode, TESSADOX_MIXED);
    EXPECT_EQ(defaults.flip_bgr | defaults.transparent | defaults.threads, 0);
    EXPECT_EQ(defaults.seed, 0u);
    EXPECT_EQ(tessadox_checksum_bytes(&defaults), 32);
    EXPECT_EQ(tessadox_plotting_steps(&defaults), 30LL * 300 * 300);

    struct {
        int resolution, checksum_length;
        unsigned changed;
        int clamped_resolution, clamped_length, bytes;
    } cases[] = {
        {1000, 128, 0, 1000, 128, 128},
        {1001, 129, TESSADOX_LOWERED_RESOLUTION | TESSADOX_LOWERED_CHECKSUM_LENGTH, 1000, 32, 32},
        {-7, 7, TESSADOX_RAISED_CHECKSUM_LENGTH, -7, 32, 32},
        {5, 8, 0, 5, 8, 8},
        {5, 47, 0, 5, 47, 40},
    };
    for (const auto& c : cases) {
        tessadox_options options = defaults;
        options.resolution = c.resolution;
        options.checksum_length = c.checksum_length;
        EXPECT_EQ(tessadox_checksum_bytes(&options), c.bytes) << c.checksum_length;
        EXPECT_EQ(tessadox_clamp_options(&options), c.changed) << c.resolution;
        EXPECT_EQ(options.resolution, c.clamped_resolution);
        EXPECT_EQ(options.checksum_length, c.clamped_length);
    }
    tessadox_options none = defaults;
    none.resolution = 0;
    EXPECT_EQ(tessadox_plotting_steps(&none), 0);
    EXPECT_STREQ(tessadox_version(), "2.1");
    EXPECT_STREQ(tessadox_version(), TESSADOX_VERSION_STRING);
}

TEST(Api, RefusesArgumentsOutOfRange) {
    const tessadox_options defaults = tessadox_default_options();
    tessadox_picture* picture = reinterpret_cast<tessadox_picture*>(&picture); // not null
    EXPECT_EQ(tessadox_draw("abc", 3, nullptr, &picture), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(picture, nullptr) << "a failed draw leaves no picture";
    EXPECT_EQ(tessadox_draw("abc", 3, &defaults, nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_draw(nullptr, 1, &defaults, &picture), TESSADOX_E_ARGUMENT);
    void (*const out_of_range[])(tessadox_options*) = {
        [](tessadox_options* o) { o->color_mode = 3; },
        [](tessadox_options* o) { o->color_mode = -1; },
        [](tessadox_options* o) { o->flip_bgr = 2; },
        [](tessadox_options* o) { o->transparent = -1; },
        [](tessadox_options* o) { o->threads = -1; },
        [](tessadox_options* o) { o->threads = TESSADOX_MAX_THREADS + 1; },
    };
    for (auto set : out_of_range) {
        tessadox_options options = defaults;
        set(&options);
        EXPECT_EQ(tessadox_draw("abc", 3, &options, &picture), TESSADOX_E_ARGUMENT);
        EXPECT_EQ(picture, nullptr);
    }
    for (int resolution : {0, -1, -2147483647 - 1}) {
        tessadox_options options = defaults;
        options.resolution = resolution;
        EXPECT_EQ(tessadox_draw("abc", 3, &options, &picture), TESSADOX_E_RESOLUTION);
    }

    // No checksum at all is the empty one.
    tessadox_options small = defaults;
    small.resolution = 8;
    drawn_picture empty("", small);
    ASSERT_EQ(tessadox_draw(nullptr, 0, &small, &picture), TESSADOX_OK);
    EXPECT_EQ(std::memcmp(tessadox_picture_pixels(picture), tessadox_picture_pixels(empty.picture),
                          8 * 8 * 3),
              0);

    unsigned char* png = reinterpret_cast<unsigned char*>(&png);
    std::size_t size = 1;
    EXPECT_EQ(tessadox_encode_png(nullptr, &small, &png, &size), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(png, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(tessadox_encode_png(picture, nullptr, &png, &size), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_encode_png(picture, &small, nullptr, &size), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_write_png(picture, &small, nullptr), TESSADOX_E_ARGUMENT);
    EXPECT_EQ(tessadox_check_png(nullptr, &small), TESSADOX_E_ARGUMENT);
    tessadox_options flipped = small;
    flipped.flip_bgr = 5;
    EXPECT_EQ(tessadox_encode_png(picture, &flipped, &png, &size), TESSADOX_E_ARGUMENT);
    tessadox_picture_free(picture);
    tessadox_picture_free(nullptr);
    tessadox_free_png(nullptr);
    EXPECT_EQ(tessadox_picture_size(nullptr), 0);
    EXPECT_EQ(tessadox_picture_pixels(nullptr), nullptr);
}

TEST(Api, PngRefusalsAndFailuresAreCodes) {
    tessadox_options options = tessadox_default_options();
    options.resolution = 40;
    drawn_picture drawn(md5_line, options);
    ASSERT_EQ(drawn.code, TESSADOX_OK);

    // A transparent gray beyond 8 bits: libpng's warning, as a code.
    for (int background : {256, -1, 65792}) {
        tessadox_options transparent = options;
        transparent.transparent = 1;
        transparent.background = background;
        EXPECT_EQ(tessadox_check_png(drawn.picture, &transparent), TESSADOX_E_PNG_WARNING);
        unsigned char* png = nullptr;
        std::size_t size = 0;
        EXPECT_EQ(tessadox_encode_png(drawn.picture, &transparent, &png, &size),
                  TESSADOX_E_PNG_WARNING)
            << background;
        EXPECT_EQ(png, nullptr);
        std::FILE* stream = std::tmpfile();
        EXPECT_EQ(tessadox_write_png(drawn.picture, &transparent, stream), TESSADOX_E_PNG_WARNING);
        EXPECT_EQ(std::ftell(stream), 0) << "a refused picture writes nothing";
        std::fclose(stream);
        // without transparency any background encodes
        transparent.transparent = 0;
        EXPECT_EQ(tessadox_check_png(drawn.picture, &transparent), TESSADOX_OK);
    }
    tessadox_options opaque_white = options;
    opaque_white.transparent = 1;
    opaque_white.background = 65535 + 256; // low 16 bits 255
    EXPECT_EQ(tessadox_check_png(drawn.picture, &opaque_white), TESSADOX_OK);

    // A write that fails is libpng's error, with its message.
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    char message[8];
    std::memset(message, 'x', sizeof message);
    EXPECT_EQ(
        tessadox_write_png_with_message(drawn.picture, &options, full, message, sizeof message),
        TESSADOX_E_PNG_ERROR);
    EXPECT_STREQ(message, "Write E") << "cut to the buffer, NUL included";
    char whole[64];
    EXPECT_EQ(tessadox_write_png_with_message(drawn.picture, &options, full, whole, sizeof whole),
              TESSADOX_E_PNG_ERROR);
    EXPECT_STREQ(whole, "Write Error");
    EXPECT_EQ(tessadox_write_png(drawn.picture, &options, full), TESSADOX_E_PNG_ERROR);
    std::fclose(full);

    // A call that succeeds leaves no message.
    std::FILE* stream = std::tmpfile();
    EXPECT_EQ(tessadox_write_png_with_message(drawn.picture, &options, stream, whole, sizeof whole),
              TESSADOX_OK);
    EXPECT_STREQ(whole, "");
    std::fclose(stream);
}

TEST(Api, EveryCodeHasItsOwnSentence) {
    const int codes[] = {TESSADOX_OK,
                         TESSADOX_E_ARGUMENT,
                         TESSADOX_E_RESOLUTION,
                         TESSADOX_E_NO_MEMORY,
                         TESSADOX_E_PNG_ERROR,
                         TESSADOX_E_PNG_WARNING,
                         TESSADOX_E_PNG_WRITE_STRUCT,
                         TESSADOX_E_PNG_INFO_STRUCT};
    std::vector<std::string> sentences;
    for (int code : codes) {
        const std::string text = tessadox_error_text(code);
        EXPECT_GT(text.size(), 5u) << code;
        EXPECT_EQ(std::count(sentences.begin(), sentences.end(), text), 0) << text;
        sentences.push_back(text);
    }
    EXPECT_STREQ(tessadox_error_text(-99), tessadox_error_text(1));
    EXPECT_EQ(std::count(sentences.begin(), sentences.end(), tessadox_error_text(-99)), 0);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TESSADOX_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TESSADOX_SANITIZED 1
#endif
#endif

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
        long pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) {
            _exit(90);
        }
        const rlim_t cap = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (1 << 20);
        const rlimit limit{cap, cap};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            _exit(91);
        }
        tessadox_options options = tessadox_default_options();
        options.resolution = 1000;
        options.intensity = 0;
        options.threads = 1;
        tessadox_picture* picture = nullptr;
        const int code = tessadox_draw("abc", 3, &options, &picture);
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
    std::vector<tessadox_options> options(count, tessadox_default_options());
    for (int i = 0; i < count; ++i) {
        checksums.push_back(checksum_line(i % 2 ? "sha256sum" : "md5sum", std::to_string(i)));
        options[i].resolution = 60 + 10 * i;
        options[i].color_mode = i % 3;
        options[i].checksum_length = i % 2 ? 64 : 32;
        options[i].threads = 1 + i % 3;
        options[i].seed = 1700000000u + static_cast<unsigned>(i);
    }
    std::vector<std::string> alone(count), together(count);
    std::vector<int> codes(count, -100);
    for (int i = 0; i < count; ++i) {
        alone[i] = png_of(checksums[i], options[i], &codes[i]);
        ASSERT_EQ(codes[i], TESSADOX_OK);
    }
    {
        std::vector<std::jthread> drawers;
        for (int i = 0; i < count; ++i) {
            drawers.emplace_back(
                [&, i] { together[i] = png_of(checksums[i], options[i], &codes[i]); });
        }
    }
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(codes[i], TESSADOX_OK) << i;
        EXPECT_TRUE(alone[i] == together[i]) << "checksum " << i << " drew another picture";
    }
}

// The progress callback hears of every step, on the calling thread.
TEST(ApiThreads, ProgressIsToldOnTheCallingThread) {
    struct heard {
        std::thread::id caller = std::this_thread::get_id();
        long long last = -1, total = -1;
        bool other_thread = false, backwards = false;
    } h;
    tessadox_options options = tessadox_default_options();
    options.resolution = 400;
    options.intensity = 20;
    options.threads = 3;
    tessadox_picture* picture = nullptr;
    const auto listen = [](long long done, long long steps, void* context) {
        heard* h = static_cast<heard*>(context);
        h->other_thread |= std::this_thread::get_id() != h->caller;
        h->backwards |= done < h->last;
        h->last = done;
        h->total = steps;
    };
    ASSERT_EQ(tessadox_draw_with_progress(md5_line.data(), md5_line.size(), &options, listen, &h,
                                          &picture),
              TESSADOX_OK);
    tessadox_picture_free(picture);
    EXPECT_FALSE(h.other_thread);
    EXPECT_FALSE(h.backwards);
    EXPECT_EQ(h.total, tessadox_plotting_steps(&options));
    EXPECT_EQ(h.last, h.total);
}

} // namespace
