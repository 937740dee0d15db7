// A picture's URL read into the library's options, or the refusal that says
// what was wrong with it. Nothing here draws or touches the network: the
// whole request is checked before any work, and the fuzzer drives it.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "tessadox/tessadox.h"

// One parameter of the query string, as libmicrohttpd decoded it; no value
// for a bare "?name" without "=".
struct query_parameter {
    std::string_view name;
    std::optional<std::string_view> value;
};

struct options_release {
    void operator()(tessadox_options* options) const {
        tessadox_options_free(options);
    }
};
using owned_options = std::unique_ptr<tessadox_options, options_release>;

struct picture_request {
    std::string checksum; // the hexadecimal digits, in lower case
    owned_options options;
    // Every picture option spelt out and the checksum, as a path of the
    // query-free form: equal for URLs that must give the same bytes, however
    // they were written.
    std::string key;
    std::string etag; // quoted, strong
    long long steps = 0;
};

struct refusal {
    int status;       // an HTTP status
    std::string text; // one line, without its newline
};

using request_reading = std::variant<picture_request, refusal>;

// The path prefix of every picture; the number is the pictures' version.
inline constexpr std::string_view picture_path_prefix = "/v1/";
// The longest URI the server reads: well above the longest useful one.
inline constexpr std::size_t longest_uri = 1024;

// Reads the path below picture_path_prefix and the query parameters into
// the options of a draw on one thread bounded by max_steps (0: no bound).
// A path that is no picture's is a 404; a malformed or unknown setting, a
// setting given twice, or more work than max_steps is a 400.
request_reading read_picture_request(std::string_view path, std::span<const query_parameter> query,
                                     long long max_steps);

// Whether an If-None-Match header's value names `etag` (weak comparison, as
// for GET; "*" names every answer).
bool none_match_names(std::string_view if_none_match, std::string_view etag);

// The plotting steps of the largest picture that the command draws with its
// defaults, -r 1000: the server's budget unless told another.
long long default_max_steps();
