// One line per request on standard error, written with one write(2) so
// that lines from different threads never mix.
#pragma once

#include <chrono>
#include <string_view>

struct logged_request {
    std::string_view client; // the address, or "-"
    std::string_view method; // "-" when libmicrohttpd answered before the method was read
    std::string_view uri;
    std::string_view version;
    int status;
    unsigned long long body_bytes;
    std::chrono::steady_clock::duration took;
};

void log_request(const logged_request& request);

// A line of the server's own on standard error: starting, stopping.
void log_event(std::string_view text);
