// Whole runs of the built binary: checksum in, one PNG stream out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <optional>
#include <random>
#include <thread>

#include "png_reader.hpp"
#include "run_binary.hpp"

namespace {

const std::string md5_line = "d41d8cd98f00b204e9800998ecf8427e  -\n";

// Pictures pinned to the last pixel. Each digest was checked against the
// independent model in reference_model.py, which draws the same pictures.
TEST(Pipeline, GoldenPictures) {
    const std::string fox = "9e107d9d372bb6826bd81d3542a419d6  -\n";
    struct {
        std::vector<std::string> args;
        const std::string& input;
        std::string second;
        std::uint64_t digest;
    } cases[] = {
        {{}, md5_line, "1700000000", 12009361737138736949ull},
        {{"-r", "40"}, md5_line, "1700000000", 12764504715127941880ull},
        {{"-r", "48", "-a"}, fox, "42", 14735274372242014263ull},
        {{"-r", "36", "-g", "-b", "255"}, fox, "7", 18383497758836807134ull},
    };
    for (const auto& c : cases) {
        const run_result r =
            run_tessadox({.args = c.args, .input = c.input, .source_date_epoch = c.second});
        EXPECT_EQ(pixel_digest(decode_png(r.out)), c.digest) << testing::PrintToString(c.args);
    }
}

TEST(Pipeline, DefaultRunWritesOneValidPicture) {
    const run_result r = run_tessadox({.input = md5_line});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const decoded_png png = decode_png(r.out);
    ASSERT_TRUE(png.valid) << png.error;
    EXPECT_EQ(png.width, 300u);
    EXPECT_EQ(png.height, 300u);
    EXPECT_EQ(png.bit_depth, 8);
    EXPECT_EQ(png.color_type, 2);
    EXPECT_EQ(png.interlace, 0);
    EXPECT_FALSE(png.has_trns);
}

// Which cells of a 12 x 12 grid laid over the lit part of a picture on
// black hold a few lit pixels: the shape of the attractor, whatever the
// scatter of its points and the frame that the scatter gives.
std::vector<bool> shape_of(const decoded_png& png) {
    auto is_lit = [&](std::uint32_t row, std::uint32_t column) {
        const std::uint8_t* p = png.pixel(row, column);
        return (p[0] | p[1] | p[2]) != 0;
    };
    std::uint32_t top = png.height, bottom = 0, left = png.width, right = 0;
    for (std::uint32_t row = 0; row < png.height; ++row) {
        for (std::uint32_t column = 0; column < png.width; ++column) {
            if (is_lit(row, column)) {
                top = std::min(top, row), bottom = std::max(bottom, row);
                left = std::min(left, column), right = std::max(right, column);
            }
        }
    }
    const int cells = 12;
    std::vector<int> count(cells * cells);
    for (std::uint32_t row = top; row <= bottom; ++row) {
        for (std::uint32_t column = left; column <= right; ++column) {
            if (is_lit(row, column)) {
                const int cell_row = (row - top) * cells / (bottom - top + 1);
                const int cell_column = (column - left) * cells / (right - left + 1);
                ++count[cell_row * cells + cell_column];
            }
        }
    }
    std::vector<bool> shape(count.size());
    for (std::size_t i = 0; i < count.size(); ++i) {
        shape[i] = count[i] >= 3;
    }
    return shape;
}

TEST(Pipeline, TheSecondDecidesTheScatterNotTheShape) {
    // md5 of "The quick brown fox jumps over the lazy dog": a compact attractor
    const std::string fox = "9e107d9d372bb6826bd81d3542a419d6  -\n";
    const run_request first{.input = fox, .source_date_epoch = "1234567890"};
    const run_result a = run_tessadox(first);
    const run_result again = run_tessadox(first);
    EXPECT_EQ(a.out, again.out) << "two runs in the same second must agree byte for byte";

    run_request next = first;
    next.source_date_epoch = "1234567891";
    const run_result b = run_tessadox(next);
    EXPECT_NE(a.out, b.out);

    const std::vector<bool> in_a = shape_of(decode_png(a.out)), in_b = shape_of(decode_png(b.out));
    long both = 0, either = 0;
    for (std::size_t i = 0; i < in_a.size(); ++i) {
        both += in_a[i] && in_b[i];
        either += in_a[i] || in_b[i];
    }
    EXPECT_GT(either, 30);
    EXPECT_GT(double(both) / double(either), 0.85) << "the same attractor, scattered differently";
}

// SOURCE_DATE_EPOCH names the second that seeds the run; unset or empty,
// the clock does. A run bracketed by two readings of the clock must draw
// what one of the seconds between them draws.
TEST(Seed, UnsetOrEmptySourceDateEpochSeedsFromTheClock) {
    for (const std::optional<std::string>& unset : {std::optional<std::string>(), {""}}) {
        const std::time_t before = std::time(nullptr);
        const run_result r =
            run_tessadox({.args = {"-r", "32"}, .input = md5_line, .source_date_epoch = unset});
        const std::time_t after = std::time(nullptr);
        EXPECT_EQ(r.status, 0);
        bool found = false;
        for (std::time_t second = before; second <= after && !found; ++second) {
            found = run_tessadox({.args = {"-r", "32"},
                                  .input = md5_line,
                                  .source_date_epoch = std::to_string(second)})
                        .out == r.out;
        }
        EXPECT_TRUE(found) << "no second from " << before << " to " << after
                           << " draws what the clock drew";
    }
}

TEST(Seed, SecondsPastTwoToThe32WrapAsTheClockWould) {
    const auto drawn = [](const std::string& second) {
        return run_tessadox({.args = {"-r", "32"}, .input = md5_line, .source_date_epoch = second})
            .out;
    };
    EXPECT_EQ(drawn("6000000000"), drawn(std::to_string(6000000000 % 4294967296)));
    EXPECT_EQ(drawn("0"), drawn("4294967296"));
    EXPECT_EQ(drawn("253402300799"), drawn(std::to_string(253402300799 % 4294967296)));
}

TEST(Seed, MalformedSourceDateEpochIsRefused) {
    for (const std::string value : {"-1", "1.5", " 1", "1 ", "abc", "0x10", "+5", "253402300800",
                                    "99999999999999999999999"}) {
        const run_result r = run_tessadox({.input = md5_line, .source_date_epoch = value});
        EXPECT_EQ(r.status, 1) << value;
        EXPECT_EQ(r.out, "") << value;
        EXPECT_EQ(r.err, "tessadox: SOURCE_DATE_EPOCH must be a non-negative decimal integer of "
                         "seconds, not '" +
                             value + "'\n");
    }
    // help and version still work
    EXPECT_EQ(run_tessadox({.args = {"-v"}, .source_date_epoch = "x"}).status, 0);
    const run_result help = run_tessadox({.args = {"-h"}, .source_date_epoch = "x"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    // a refused option comes first
    EXPECT_EQ(run_tessadox({.args = {"-x"}, .source_date_epoch = "x"}).err,
              "Unknown command line switch. Try -? or --help for more information.\n");
}

// TESSADOX_THREADS changes how fast a picture comes, never its bytes.
TEST(Threads, AnyNumberOfThreadsWritesTheSameBytes) {
    const auto drawn = [](const std::vector<std::string>& args, const char* threads) {
        run_request request{.args = args, .input = md5_line};
        request.environment = {std::string("TESSADOX_THREADS=") + threads};
        return run_tessadox(request);
    };
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-r", "200", "-i", "60"}, {"-r", "150", "-g", "-b", "255"}}) {
        const run_result one = drawn(args, "1");
        EXPECT_EQ(one.status, 0);
        for (const char* threads : {"2", "7", "256", ""}) {
            const run_result many = drawn(args, threads);
            EXPECT_EQ(many.status, 0) << threads;
            EXPECT_EQ(many.out, one.out) << threads;
        }
    }
    for (const std::string value : {"0", "-1", "257", "2x", " 2", "two", "99999999999999999999"}) {
        const run_result r = drawn({}, value.c_str());
        EXPECT_EQ(r.status, 1) << value;
        EXPECT_EQ(r.out, "") << value;
        EXPECT_EQ(r.err, "tessadox: TESSADOX_THREADS must be a decimal integer from 1 to 256, "
                         "not '" +
                             value + "'\n");
    }
}

TEST(Pipeline, RealChecksumToolsDrawPictures) {
    const std::pair<const char*, const char*> tools[] = {
        {"md5sum", "32"}, {"sha1sum", "40"}, {"sha256sum", "64"}, {"sha512sum", "128"}};
    for (const auto& [tool, length] : tools) {
        const std::string line = checksum_line(tool, "a file to recognise\n");
        const run_result r = run_tessadox({.args = {"-l", length, "-r", "64"}, .input = line});
        EXPECT_EQ(r.status, 0) << tool;
        EXPECT_EQ(r.err, "") << tool;
        const decoded_png png = decode_png(r.out);
        EXPECT_TRUE(png.valid) << tool;
        EXPECT_EQ(png.width, 64u) << tool;
        // Reading past the checksum would change the picture: the file name must not count.
        std::string renamed = line;
        renamed.replace(renamed.find("  ") + 2, std::string::npos, "abcdef\n");
        EXPECT_EQ(run_tessadox({.args = {"-l", length, "-r", "64"}, .input = renamed}).out, r.out)
            << tool;
    }
}

std::string random_bytes(std::size_t size, unsigned seed) {
    std::mt19937_64 generator(seed);
    std::string bytes(size, '\0');
    for (std::size_t at = 0; at < size; at += 8) {
        const std::uint64_t word = generator();
        std::memcpy(&bytes[at], &word, std::min<std::size_t>(8, size - at));
    }
    return bytes;
}

TEST(Pipeline, AnyInputStillGivesAPicture) {
    for (const std::string& input : {std::string(), std::string("\n"), random_bytes(4096, 7)}) {
        const run_result r = run_tessadox({.args = {"-r", "32"}, .input = input});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(decode_png(r.out).valid);
    }
    // Missing characters count as zeros.
    EXPECT_EQ(run_tessadox({.args = {"-r", "32"}, .input = ""}).out,
              run_tessadox({.args = {"-r", "32"}, .input = std::string(32, 'z')}).out);
}

TEST(Pipeline, ExchangeOfRedAndBlue) {
    const decoded_png plain =
        decode_png(run_tessadox({.args = {"-r", "64"}, .input = md5_line}).out);
    const decoded_png flipped =
        decode_png(run_tessadox({.args = {"-r", "64", "-c"}, .input = md5_line}).out);
    ASSERT_EQ(plain.pixels.size(), flipped.pixels.size());
    bool any_colour = false;
    for (std::size_t i = 0; i < plain.pixels.size(); i += 3) {
        EXPECT_EQ(plain.pixels[i], flipped.pixels[i + 2]);
        EXPECT_EQ(plain.pixels[i + 1], flipped.pixels[i + 1]);
        EXPECT_EQ(plain.pixels[i + 2], flipped.pixels[i]);
        any_colour |= plain.pixels[i] != plain.pixels[i + 2];
    }
    EXPECT_TRUE(any_colour) << "the exchange must be visible somewhere";

    const auto gray = run_tessadox({.args = {"-r", "64", "-g"}, .input = md5_line}).out;
    EXPECT_EQ(run_tessadox({.args = {"-r", "64", "-g", "-c"}, .input = md5_line}).out, gray);
}

TEST(Pipeline, TransparentBackground) {
    const decoded_png png =
        decode_png(run_tessadox({.args = {"-r", "32", "-t", "-b", "30"}, .input = md5_line}).out);
    ASSERT_TRUE(png.valid);
    EXPECT_TRUE(png.has_trns);
    EXPECT_EQ(png.trns_red, 30);
    EXPECT_EQ(png.trns_green, 30);
    EXPECT_EQ(png.trns_blue, 30);
    EXPECT_EQ(png.pixel(0, 0)[0], 30);
}

struct failure_case {
    std::vector<std::string> args;
    std::string stdout_path;
    std::string err;
};

void PrintTo(const failure_case& c, std::ostream* os) {
    for (const std::string& arg : c.args) {
        *os << '[' << arg << ']';
    }
    *os << " > " << (c.stdout_path == "-" ? "closed" : c.stdout_path);
}

class Failure : public testing::TestWithParam<failure_case> {};

TEST_P(Failure, EndsWithStatusOneAndNoPicture) {
    const failure_case& c = GetParam();
    const run_result r =
        run_tessadox({.args = c.args, .input = md5_line, .stdout_path = c.stdout_path});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
}

const std::string png_warning = "warning in PNG (but exiting)\n: ";

INSTANTIATE_TEST_SUITE_P(
    Runs, Failure,
    testing::Values(
        failure_case{{"-r", "0"}, "", png_warning}, failure_case{{"-r", "-1"}, "", png_warning},
        failure_case{{"-r", "-2147483648"}, "", png_warning},
        failure_case{{"-r", "8", "-t", "-b", "256"}, "", png_warning},
        failure_case{{"-r", "8", "-t", "-b", "-1"}, "", png_warning},
        // a picture larger than the stdio buffer fails inside libpng ...
        failure_case{{}, "/dev/full", "error in PNG: Write Error\n"},
        // ... a small one only when standard output is closed
        failure_case{{"-r", "4"},
                     "/dev/full",
                     "tessadox: cannot write to standard output: No space left on device\n"},
        failure_case{
            {"-r", "4"}, "-", "tessadox: cannot write to standard output: Bad file descriptor\n"},
        failure_case{{"-v"},
                     "/dev/full",
                     "tessadox: cannot write to standard output: No space left on device\n"},
        failure_case{
            {"-h"}, "-", "tessadox: cannot write to standard output: Bad file descriptor\n"}));

TEST(Pipeline, OutOfRangeTransparentLevelsBelowTwoFiftySixAreWritten) {
    // -b 65536 + 7: the low 16 bits, 7, are a valid level and match the background fill
    const decoded_png png = decode_png(
        run_tessadox({.args = {"-r", "8", "-t", "-b", "65543", "-i0"}, .input = md5_line}).out);
    ASSERT_TRUE(png.valid);
    EXPECT_EQ(png.trns_red, 7);
    EXPECT_EQ(png.pixel(3, 3)[1], 7);
}

// A descriptor whose reads fail with EIO: the controlling side of a
// pseudo-terminal whose other side is closed.
int failing_descriptor() {
    const int controller = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (controller < 0 || grantpt(controller) != 0 || unlockpt(controller) != 0) {
        return -1;
    }
    close(open(ptsname(controller), O_RDWR | O_NOCTTY)); // opened once, then closed
    return controller;
}

// Standard input that cannot be read ends the run: a picture of characters
// that never arrived would pass for the checksum's.
TEST(ReadError, EndsTheRunWithItsReason) {
    const std::string message = "tessadox: cannot read standard input: ";
    struct {
        const char* what;
        run_request request;
        std::string err;
    } cases[] = {
        {"closed", {.stdin_path = "-"}, message + "Bad file descriptor\n"},
        {"a directory", {.stdin_path = "/tmp"}, message + "Is a directory\n"},
        {"EIO", {.stdin_fd = failing_descriptor()}, message + "Input/output error\n"},
    };
    for (auto& c : cases) {
        c.request.args = {"-r", "16"};
        const run_result r = run_tessadox(c.request);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
    }
}

// Feeds `bytes` into a pipe from another thread, `piece` bytes at a time
// after `pause` each, while tessadox reads the other end; the end it reads
// from is non-blocking when asked.
run_result run_with_input_fed(const std::string& bytes, std::size_t piece,
                              std::chrono::milliseconds pause, bool non_blocking) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    if (non_blocking) {
        fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    }
    // The run may end before the feeder does: its writes then fail instead.
    void (*const previous)(int) = std::signal(SIGPIPE, SIG_IGN);
    std::thread feeder([&] {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            std::this_thread::sleep_for(pause);
            const std::string part = bytes.substr(at, piece);
            if (write(ends[1], part.data(), part.size()) != static_cast<ssize_t>(part.size())) {
                break;
            }
        }
        close(ends[1]);
    });
    const run_result r = run_tessadox({.args = {"-r", "24", "-l", "40"}, .stdin_fd = ends[0]});
    feeder.join();
    std::signal(SIGPIPE, previous);
    return r;
}

// Input that is slow to come is waited for, on a blocking pipe and on a
// non-blocking one alike, and gives the picture of the same input at once.
TEST(SlowInput, IsWaitedForAndDrawsTheSamePicture) {
    const std::string line = checksum_line("sha1sum", "slow\n");
    const std::string at_once = run_tessadox({.args = {"-r", "24", "-l", "40"}, .input = line}).out;
    using std::chrono::milliseconds;
    struct {
        const char* what;
        std::size_t piece;
        milliseconds pause;
        bool non_blocking;
    } cases[] = {
        {"non-blocking, late", line.size(), milliseconds(500), true},
        {"non-blocking, in pieces", 3, milliseconds(20), true},
        {"blocking, in pieces", 5, milliseconds(20), false},
    };
    for (const auto& c : cases) {
        const run_result r = run_with_input_fed(line, c.piece, c.pause, c.non_blocking);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
        EXPECT_EQ(r.out, at_once) << c.what;
    }
    // the end of input comes before a whole checksum: what came counts, the rest is 0
    const run_result short_late = run_with_input_fed("abc", 1, milliseconds(50), true);
    EXPECT_EQ(short_late.status, 0);
    EXPECT_EQ(short_late.out, run_tessadox({.args = {"-r", "24", "-l", "40"}, .input = "abc"}).out);
}

constexpr std::size_t hundred_megabytes = 100'000'000;

// A file of 100 MB on standard input, shared with this process: once the run
// has ended, the descriptor's offset tells how far the run read.
TEST(Pipeline, HugeInputFileIsReadOnlyAsFarAsTheChecksum) {
    char path[] = "/tmp/tessadox-huge-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    unlink(path);
    const std::string bytes = random_bytes(hundred_megabytes, 3);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    for (const auto& [length, taken] : {std::pair{"32", 32}, {"128", 128}}) {
        ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
        const std::vector<std::string> args{"-r", "24", "-l", length};
        const run_result r =
            run_tessadox({.args = args, .stdin_fd = fcntl(fd, F_DUPFD_CLOEXEC, 0)});
        EXPECT_EQ(r.status, 0) << length;
        EXPECT_EQ(r.err, "") << length;
        EXPECT_EQ(lseek(fd, 0, SEEK_CUR), taken) << length;
        EXPECT_EQ(r.out, run_tessadox({.args = args, .input = bytes.substr(0, taken)}).out)
            << length;
    }
    close(fd);
}

// 100 MB of random bytes offered through a pipe: the run ends after the
// checksum without draining the rest, so the writer can deliver little more
// than what the pipe holds before it finds no reader left.
TEST(Pipeline, HugeInputPipeIsLeftUndrained) {
    int pipe_ends[2];
    ASSERT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
    const std::string first_bytes = random_bytes(1 << 16, 5);
    std::size_t delivered = 0;
    void (*const previous)(int) = std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        for (unsigned chunk = 0; delivered < hundred_megabytes; ++chunk) {
            const std::string bytes = chunk == 0 ? first_bytes : random_bytes(1 << 16, chunk);
            const ssize_t written = write(pipe_ends[1], bytes.data(), bytes.size());
            if (written <= 0) {
                break; // no reader left
            }
            delivered += static_cast<std::size_t>(written);
        }
        close(pipe_ends[1]);
    });
    const run_result r = run_tessadox({.args = {"-r", "24"}, .stdin_fd = pipe_ends[0]});
    writer.join();
    std::signal(SIGPIPE, previous);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_LT(delivered, 1u << 20);
    EXPECT_EQ(r.out, run_tessadox({.args = {"-r", "24"}, .input = first_bytes.substr(0, 32)}).out);
}

} // namespace
