#include "standard_output.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void close_standard_output() {
    // A small picture may still sit whole in the stdio buffer: only the
    // flush at the close tells whether it arrived.
    const bool lost = std::ferror(stdout) != 0;
    errno = 0;
    if (std::fclose(stdout) != 0 || lost) {
        if (errno != 0) {
            std::fprintf(stderr, "tessadox: cannot write to standard output: %s\n",
                         std::strerror(errno));
        } else {
            std::fputs("tessadox: cannot write to standard output\n", stderr);
        }
        std::exit(1);
    }
}
