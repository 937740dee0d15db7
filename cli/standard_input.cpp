#include "standard_input.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

// Fills `characters` from `input` up to the end of input, waiting for input
// that is not there yet; tells how many arrived. A read that fails ends the
// run: a picture of characters that were never read would pass for the
// checksum's.
static std::size_t read_all(std::FILE* input, unsigned char* characters, std::size_t size) {
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

std::string read_checksum(std::FILE* input, std::size_t count) {
    std::string characters(count, '\0');
    characters.resize(read_all(input, reinterpret_cast<unsigned char*>(characters.data()), count));
    return characters;
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
