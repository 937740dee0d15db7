// tessadox-server's reading of a request: the first line is the path, each
// further line a query parameter, "name=value" or a bare "name". Whatever
// the bytes, the reading is a refusal with a one-line text, or a picture
// within the budget whose key, read back as a path, reads as itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "request.hpp"

namespace {

constexpr long long budget = 1 << 22;

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> lines;
    std::string_view rest = input;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    lines.push_back(rest);

    std::vector<query_parameter> query;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t equals = lines[i].find('=');
        if (equals == std::string_view::npos) {
            query.push_back({lines[i], std::nullopt});
        } else {
            query.push_back({lines[i].substr(0, equals), lines[i].substr(equals + 1)});
        }
    }

    const request_reading reading = read_picture_request(lines[0], query, budget);
    if (const auto* why = std::get_if<refusal>(&reading)) {
        check(why->status == 400 || why->status == 404);
        check(!why->text.empty() && why->text.find('\n') == std::string::npos);
        return 0;
    }
    const auto& picture = std::get<picture_request>(reading);
    check(!picture.checksum.empty() && picture.checksum.size() <= 128);
    check(picture.checksum.find_first_not_of("0123456789abcdef") == std::string::npos);
    check(picture.steps <= budget);
    check(picture.etag.size() == 18 && picture.etag.front() == '"' && picture.etag.back() == '"');
    check(none_match_names("W/" + picture.etag + ", \"x\"", picture.etag));

    const request_reading again = read_picture_request(picture.key, {}, budget);
    const auto* same = std::get_if<picture_request>(&again);
    check(same && same->key == picture.key && same->etag == picture.etag);
    return 0;
}
