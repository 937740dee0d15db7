// Arbitrary argument vectors through parse_options. The input is cut at NUL
// bytes into the arguments after the program's name. Every outcome must be one
// of: the help or version text on a closed standard output with status 0; one
// of the refusal messages with status 1; or settings within the limits that
// the later steps index their tables by, with only the clamp notices said.
//
// parse_options ends the process on help, version and refusals. This target
// is linked with --wrap=exit: while the parser runs, exit() records the status
// and jumps back here instead. That is sound because the frames it unwinds
// (parse_options and its helpers) hold nothing with a destructor, and the one
// side effect the parser has before exit, writing and closing standard output
// or writing standard error, lands in memory streams put in place of stdout
// and stderr for the run (glibc lets a program assign them). A fork per input
// would be sound too, but the coverage that guides the fuzzer would stay in
// the child and the search would go blind.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "options.hpp"
#include "tessadox/tessadox.h"

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" int __real_fclose(FILE* stream);

namespace {

std::jmp_buf* exit_target = nullptr; // set while the parser runs
int exit_status = 0;
FILE* captured_stdout = nullptr;
bool stdout_closed = false;

const char* const refusals[] = {
    "invalid background on command line",
    "invalid intensity on command line",
    "invalid checksum length on command line",
    "invalid checksum length on command line \n",
    "invalid resolution on command line \n",
    "Unknown command line switch. Try -? or --help for more information.\n",
};

struct outcome {
    bool exited;
    int status;  // -1 when the parser returned
    bool closed; // whether the parser closed standard output
    std::string out, err;
    tessadox_options* run; // what the parser set
};

void check(bool condition, const char* what, const outcome& o) {
    if (!condition) {
        std::fprintf(stderr, "command line: %s (exited %d, status %d, out [%s], err [%s])\n", what,
                     o.exited, o.status, o.out.c_str(), o.err.c_str());
        std::abort();
    }
}

// Returns true when the parser ended the run through exit(); otherwise the
// settings it made are in `run`.
bool parse(int argc, char** argv, tessadox_options* run) {
    std::jmp_buf target;
    if (setjmp(target) != 0) {
        exit_target = nullptr;
        return true;
    }
    exit_target = &target;
    parse_options(argc, argv, run);
    exit_target = nullptr;
    return false;
}

outcome run_parser(std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>("tessadox")};
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    char *out_bytes = nullptr, *err_bytes = nullptr;
    std::size_t out_size = 0, err_size = 0;
    FILE* const real_stdout = stdout;
    FILE* const real_stderr = stderr;
    captured_stdout = open_memstream(&out_bytes, &out_size);
    stdout_closed = false;
    FILE* const captured_stderr = open_memstream(&err_bytes, &err_size);
    stdout = captured_stdout;
    stderr = captured_stderr;

    outcome o{};
    o.run = tessadox_options_new();
    o.exited = parse(static_cast<int>(argv.size() - 1), argv.data(), o.run);
    o.status = o.exited ? exit_status : -1;
    o.closed = stdout_closed;

    stdout = real_stdout;
    stderr = real_stderr;
    if (!stdout_closed) {
        __real_fclose(captured_stdout);
    }
    __real_fclose(captured_stderr);
    o.out.assign(out_bytes, out_size);
    o.err.assign(err_bytes, err_size);
    std::free(out_bytes);
    std::free(err_bytes);
    return o;
}

// Takes off the front of `err` one notice "<value><text><assumed>.\n" whose
// value is one that the clamp must catch; returns whether there was one.
bool take_notice(std::string& err, const std::string& text, bool (*caught)(long), int assumed) {
    char* end = nullptr;
    const long value = std::strtol(err.c_str(), &end, 10);
    const std::string line = std::to_string(value) + text + std::to_string(assumed) + ".\n";
    if (end == err.c_str() || !err.starts_with(line) || !caught(value)) {
        return false;
    }
    err.erase(0, line.size());
    return true;
}

void check_settings(const outcome& o) {
    check(o.out.empty() && !o.closed, "a run that goes on used standard output", o);
    std::string err = o.err;
    const bool clamped_resolution = take_notice(
        err, " is too high a resolution.  Assuming ", [](long r) { return r > 1000; }, 1000);
    const bool long_checksum = take_notice(
        err, " checksumlength is too big.  Assuming ", [](long l) { return l > 128; }, 32);
    const bool short_checksum =
        !long_checksum &&
        take_notice(
            err, " checksumlength is too small.  Assuming ", [](long l) { return l < 8; }, 32);
    check(err.empty(), "standard error holds more than the clamp notices", o);
    long long resolution = 0, checksum_length = 0, color_mode = 0, flip_bgr = 0, transparent = 0;
    tessadox_options_get(o.run, TESSADOX_RESOLUTION, &resolution);
    tessadox_options_get(o.run, TESSADOX_CHECKSUM_LENGTH, &checksum_length);
    tessadox_options_get(o.run, TESSADOX_COLOR_MODE, &color_mode);
    tessadox_options_get(o.run, TESSADOX_FLIP_BGR, &flip_bgr);
    tessadox_options_get(o.run, TESSADOX_TRANSPARENT, &transparent);
    const int map_count = tessadox_checksum_bytes(o.run) / 8;
    check(!clamped_resolution || resolution == 1000, "resolution clamped elsewhere", o);
    check(!(long_checksum || short_checksum) || checksum_length == 32, "length clamped elsewhere",
          o);
    check(resolution >= 1 && resolution <= 1000, "resolution past the largest picture", o);
    check(checksum_length >= 8 && checksum_length <= 128,
          "checksum length, never the checksum's own", o);
    check(map_count == checksum_length / 8 && map_count >= 1 && map_count <= 16,
          "map count out of range", o);
    check(color_mode == TESSADOX_GRAY || color_mode == TESSADOX_MIXED ||
              color_mode == TESSADOX_AREAS,
          "unknown colouring", o);
    check((flip_bgr == 0 || flip_bgr == 1) && (transparent == 0 || transparent == 1), "flags", o);
}

} // namespace

extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (exit_target == nullptr) {
        __real_exit(status);
    }
    exit_status = status;
    std::longjmp(*exit_target, 1);
}

extern "C" int __wrap_fclose(FILE* stream) {
    if (stream == captured_stdout && exit_target != nullptr) {
        stdout_closed = true;
    }
    return __real_fclose(stream);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size > 0) {
        args.emplace_back();
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == '\0') {
                args.emplace_back();
            } else {
                args.back() += static_cast<char>(data[i]);
            }
        }
    }
    const outcome o = run_parser(args);
    if (!o.exited) {
        check_settings(o);
    } else if (o.status == 0) {
        check(o.out == usage_text || o.out == version_text, "status 0 without help or version", o);
        check(o.err.empty() && o.closed, "help or version left more to say", o);
    } else {
        check(o.status == 1 && o.out.empty(), "a refusal with output or a status other than 1", o);
        bool listed = false;
        for (const char* refusal : refusals) {
            listed |= o.err == refusal;
        }
        check(listed, "a refusal message that is not listed", o);
    }
    tessadox_options_free(o.run);
    return 0;
}
