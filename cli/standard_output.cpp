#include "standard_output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "failures.hpp"

// `error` is the errno of the failure, or 0 when none was given.
[[noreturn]] static void report_lost_output(int error) {
    if (error != 0) {
        std::fprintf(stderr, "tessadox: cannot write to standard output: %s\n",
                     std::strerror(error));
    } else {
        std::fputs("tessadox: cannot write to standard output\n", stderr);
    }
    std::exit(1);
}

void write_standard_output(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            report_lost_output(written < 0 ? errno : 0);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void close_standard_output() {
    // A small picture may still sit whole in the stdio buffer: only the
    // flush at the close tells whether it arrived.
    const bool lost = std::ferror(stdout) != 0;
    errno = 0;
    if (std::fclose(stdout) != 0 || lost) {
        report_lost_output(errno);
    }
}

int write_png_to_standard_output(const tessadox_picture* drawn) {
    char png_message[256];
    const int code =
        tessadox_write_png_with_message(drawn, stdout, png_message, sizeof png_message);
    if (code != TESSADOX_OK) {
        report_failure(code, png_message);
        return 1;
    }
    close_standard_output();
    return 0;
}
