#include "access_log.hpp"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

std::string now_in_utc() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// A client's bytes in the log are escaped, so none moves the cursor of a
// terminal or splits a line.
std::string escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c > 0x20 && c < 0x7f && c != '"' && c != '%') {
            out += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            out += code;
        }
    }
    return out;
}

void write_line(const std::string& line) {
    // A full or closed standard error loses the line, never a request.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace

void log_request(const logged_request& request) {
    // Enough of a URI to tell it, never a client's megabyte.
    constexpr std::size_t longest_logged = 2048;
    const std::string_view uri = request.uri.substr(0, longest_logged);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %d %llu %.4f\n", request.status, request.body_bytes,
                  std::chrono::duration<double>(request.took).count());
    write_line(now_in_utc() + " " + escaped(request.client) + " \"" + escaped(request.method) +
               " " + escaped(uri) + (uri.size() < request.uri.size() ? "..." : "") + " " +
               escaped(request.version) + "\"" + numbers);
}

void log_event(std::string_view text) {
    write_line(now_in_utc() + " tessadox-server: " + std::string(text) + "\n");
}
