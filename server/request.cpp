// The URL scheme: /v1/<hex>.png with each setting as a query parameter, or
// as a path segment name=value before the checksum. Names, defaults, ranges
// and value names are the library's own.
#include "request.hpp"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// The options that change the picture; the server alone sets the threads
// and the work bound of a draw.
bool is_picture_option(int option) {
    return option != TESSADOX_THREADS && option != TESSADOX_MAX_STEPS;
}

std::vector<int> picture_options() {
    std::vector<int> options;
    for (int option = 1; tessadox_option_name(option) != nullptr; ++option) {
        if (is_picture_option(option)) {
            options.push_back(option);
        }
    }
    return options;
}

std::string all_picture_option_names() {
    std::string names;
    for (int option : picture_options()) {
        names += names.empty() ? "" : ", ";
        names += tessadox_option_name(option);
    }
    return names;
}

// A stranger's text inside a refusal: printable ASCII only, and short, so
// the refusal stays one line.
std::string shown(std::string_view text) {
    constexpr std::size_t longest = 40;
    std::string out;
    for (char c : text.substr(0, longest)) {
        out += (c >= 0x20 && c < 0x7f) ? c : '?';
    }
    return text.size() > longest ? out + "..." : out;
}

std::optional<long long> whole_number(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

bool has_value_names(int option) {
    long long lowest = 0;
    tessadox_option_range(option, nullptr, &lowest, nullptr);
    return tessadox_option_value_name(option, lowest) != nullptr;
}

std::string value_names(int option) {
    long long lowest = 0, highest = 0;
    tessadox_option_range(option, nullptr, &lowest, &highest);
    std::string names;
    for (long long value = lowest; value <= highest; ++value) {
        if (const char* name = tessadox_option_value_name(option, value)) {
            names += names.empty() ? "" : ", ";
            names += name;
        }
    }
    return names;
}

// Sets one setting of the URL; the refusal's text when it cannot be set.
std::optional<std::string> apply_setting(tessadox_options* options, std::vector<bool>& given,
                                         std::string_view name,
                                         std::optional<std::string_view> text) {
    // The library reads C strings: a NUL inside would cut the name short.
    if (name.find('\0') != std::string_view::npos ||
        (text && text->find('\0') != std::string_view::npos)) {
        return "a parameter holds a NUL byte";
    }
    const int option = tessadox_option_by_name(std::string(name).c_str());
    if (option < 0) {
        return "unknown parameter '" + shown(name) + "'; the parameters are " +
               all_picture_option_names();
    }
    if (!is_picture_option(option)) {
        return std::string(name) + " is the server's to set, not a picture's";
    }
    if (!text) {
        return std::string(name) + " needs a value";
    }
    if (given.size() <= static_cast<std::size_t>(option)) {
        given.resize(option + 1);
    }
    if (given[option]) {
        return std::string(name) + " is given twice";
    }
    given[option] = true;

    long long value = 0;
    const std::string value_text(*text);
    if (tessadox_option_value_by_name(option, value_text.c_str(), &value) != TESSADOX_OK) {
        const auto number = whole_number(*text);
        if (!number) {
            if (has_value_names(option)) {
                return std::string(name) + "='" + shown(*text) + "' is none of " +
                       value_names(option);
            }
            return std::string(name) + "='" + shown(*text) + "' is not a whole number";
        }
        value = *number;
    }
    // A value that the command replaces (a resolution above 1000) is
    // replaced alike, and the URL names the picture of the value stored.
    const int code = tessadox_options_set(options, option, value);
    if (code == TESSADOX_E_RANGE) {
        long long lowest = 0, highest = 0;
        tessadox_option_range(option, nullptr, &lowest, &highest);
        return std::string(name) + "=" + shown(*text) + " is outside " + std::to_string(lowest) +
               " to " + std::to_string(highest);
    }
    if (code < 0) {
        return std::string(name) + "=" + shown(*text) + ": " + tessadox_error_text(code);
    }
    return std::nullopt;
}

std::optional<std::string> checksum_fault(std::string_view hex) {
    constexpr std::size_t most_digits = 128;
    if (hex.empty()) {
        return "the checksum is empty";
    }
    if (hex.size() > most_digits) {
        return "the checksum has " + std::to_string(hex.size()) + " digits; at most " +
               std::to_string(most_digits);
    }
    for (char c : hex) {
        const bool digit =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit) {
            return "the checksum '" + shown(hex) + "' holds '" + shown({&c, 1}) +
                   "', which is no hexadecimal digit";
        }
    }
    return std::nullopt;
}

std::string lower_case(std::string_view hex) {
    std::string out(hex);
    for (char& c : out) {
        if (c >= 'A' && c <= 'F') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// FNV-1a: any function would do that every copy of the server computes
// alike; the key itself is what the cache compares.
std::string strong_etag(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char quoted[24];
    std::snprintf(quoted, sizeof quoted, "\"%016llx\"", static_cast<unsigned long long>(hash));
    return quoted;
}

std::string normalised_key(const tessadox_options* options, std::string_view checksum) {
    std::string key(picture_path_prefix);
    for (int option : picture_options()) {
        long long value = 0;
        tessadox_options_get(options, option, &value);
        key += std::string(tessadox_option_name(option)) + "=" + std::to_string(value) + "/";
    }
    return key + std::string(checksum) + ".png";
}

refusal bad(std::string text) {
    return {400, std::move(text)};
}

} // namespace

request_reading read_picture_request(std::string_view path, std::span<const query_parameter> query,
                                     long long max_steps) {
    constexpr std::string_view suffix = ".png";
    if (!path.starts_with(picture_path_prefix) || !path.ends_with(suffix)) {
        return refusal{404, "no such page; a picture is at /v1/<hex>.png"};
    }
    path.remove_prefix(picture_path_prefix.size());
    path.remove_suffix(suffix.size());

    owned_options options(tessadox_options_new());
    if (!options) {
        return refusal{503, tessadox_error_text(TESSADOX_E_NO_MEMORY)};
    }
    // A URL's checksum draws at its own length: a sha256 digest as 64 digits.
    tessadox_options_set(options.get(), TESSADOX_CHECKSUM_LENGTH, 0);

    std::vector<bool> given;
    std::size_t slash;
    while ((slash = path.find('/')) != std::string_view::npos) {
        const std::string_view segment = path.substr(0, slash);
        path.remove_prefix(slash + 1);
        const std::size_t equals = segment.find('=');
        if (equals == std::string_view::npos) {
            return bad("the path's setting '" + shown(segment) + "' is not name=value");
        }
        if (auto fault = apply_setting(options.get(), given, segment.substr(0, equals),
                                       segment.substr(equals + 1))) {
            return bad(*fault);
        }
    }
    for (const query_parameter& parameter : query) {
        if (auto fault = apply_setting(options.get(), given, parameter.name, parameter.value)) {
            return bad(*fault);
        }
    }
    if (auto fault = checksum_fault(path)) {
        return bad(*fault);
    }

    long long steps = 0;
    const int counted = tessadox_plotting_steps(options.get(), &steps);
    if (counted < 0) {
        return bad(tessadox_error_text(counted));
    }
    if (max_steps > 0 && steps > max_steps) {
        return bad("the picture takes " + std::to_string(steps) +
                   " plotting steps; this server draws at most " + std::to_string(max_steps));
    }

    picture_request request;
    request.checksum = lower_case(path);
    request.key = normalised_key(options.get(), request.checksum);
    request.etag = strong_etag(std::string(tessadox_version()) + " " + request.key);
    request.steps = steps;
    // Each request draws on one thread: the server's threads draw side by side.
    tessadox_options_set(options.get(), TESSADOX_THREADS, 1);
    tessadox_options_set(options.get(), TESSADOX_MAX_STEPS, max_steps);
    request.options = std::move(options);
    return request;
}

bool none_match_names(std::string_view if_none_match, std::string_view etag) {
    while (!if_none_match.empty()) {
        const std::size_t comma = if_none_match.find(',');
        std::string_view tag = if_none_match.substr(0, comma);
        if_none_match.remove_prefix(comma == std::string_view::npos ? if_none_match.size()
                                                                    : comma + 1);
        while (!tag.empty() && (tag.front() == ' ' || tag.front() == '\t')) {
            tag.remove_prefix(1);
        }
        while (!tag.empty() && (tag.back() == ' ' || tag.back() == '\t')) {
            tag.remove_suffix(1);
        }
        if (tag.starts_with("W/")) {
            tag.remove_prefix(2);
        }
        if (tag == "*" || tag == etag) {
            return true;
        }
    }
    return false;
}

long long default_max_steps() {
    owned_options options(tessadox_options_new());
    long long steps = 0;
    if (!options || tessadox_options_set(options.get(), TESSADOX_RESOLUTION, 1000) < 0 ||
        tessadox_plotting_steps(options.get(), &steps) != TESSADOX_OK) {
        return 0;
    }
    return steps;
}
