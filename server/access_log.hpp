// One line per request on standard error. Lines gather in a buffer that is
// written whole when it fills and at least every tenth of a second (main's
// loop calls flush_log), so a busy server makes one write(2) for many
// requests, and lines from different threads never mix.
#pragma once

#include <chrono>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

struct access_log {
    std::mutex lock;
    std::string pending;
    std::time_t stamped_second = -1;
    std::string stamp; // that second in UTC, as the lines begin
};

struct logged_request {
    std::string_view client; // the address, or "-"
    std::string_view method; // "-" when libmicrohttpd answered before the method was read
    std::string_view uri;
    std::string_view version;
    int status;
    unsigned long long body_bytes;
    std::chrono::steady_clock::duration took;
};

void log_request(access_log& log, const logged_request& request);

// A line of the server's own (starting, stopping), written at once.
void log_event(access_log& log, std::string_view text);

// Writes what the buffer holds.
void flush_log(access_log& log);
