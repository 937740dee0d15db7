#include "access_log.hpp"

#include <unistd.h>

#include <cstdio>

namespace {

// Past this many bytes the buffer is written at once.
constexpr std::size_t flush_bytes = 16 * 1024;

// The caller holds the lock.
const std::string& stamp_of_now(access_log& log) {
    const std::time_t now = std::time(nullptr);
    if (now != log.stamped_second) {
        std::tm parts{};
        gmtime_r(&now, &parts);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
        log.stamp = text;
        log.stamped_second = now;
    }
    return log.stamp;
}

// A client's bytes in the log are escaped, so none moves the cursor of a
// terminal or splits a line.
void append_escaped(std::string& out, std::string_view text) {
    for (unsigned char c : text) {
        if (c > 0x20 && c < 0x7f && c != '"' && c != '%') {
            out += static_cast<char>(c);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", c);
            out += code;
        }
    }
}

// The caller holds the lock. A full or closed standard error loses lines,
// never a request.
void write_pending(access_log& log) {
    std::size_t written = 0;
    while (written < log.pending.size()) {
        const ssize_t now =
            ::write(STDERR_FILENO, log.pending.data() + written, log.pending.size() - written);
        if (now <= 0) {
            break;
        }
        written += static_cast<std::size_t>(now);
    }
    log.pending.clear();
}

} // namespace

void log_request(access_log& log, const logged_request& request) {
    // Enough of a URI to tell it, never a client's megabyte.
    constexpr std::size_t longest_logged = 2048;
    const std::string_view uri = request.uri.substr(0, longest_logged);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %d %llu %.4f\n", request.status, request.body_bytes,
                  std::chrono::duration<double>(request.took).count());

    std::lock_guard hold(log.lock);
    std::string& line = log.pending;
    line += stamp_of_now(log);
    line += ' ';
    append_escaped(line, request.client);
    line += " \"";
    append_escaped(line, request.method);
    line += ' ';
    append_escaped(line, uri);
    if (uri.size() < request.uri.size()) {
        line += "...";
    }
    line += ' ';
    append_escaped(line, request.version);
    line += '"';
    line += numbers;
    if (log.pending.size() >= flush_bytes) {
        write_pending(log);
    }
}

void log_event(access_log& log, std::string_view text) {
    std::lock_guard hold(log.lock);
    log.pending += stamp_of_now(log);
    log.pending += " tessadox-server: ";
    log.pending += text;
    log.pending += '\n';
    write_pending(log);
}

void flush_log(access_log& log) {
    std::lock_guard hold(log.lock);
    write_pending(log);
}
