#include "home_page.hpp"

#include "tessadox/tessadox.h"

namespace {

constexpr char example[] = "9e107d9d372bb6826bd81d3542a419d6";

std::string options_rows() {
    std::string rows;
    for (int option = 1; const char* name = tessadox_option_name(option); ++option) {
        if (option == TESSADOX_THREADS || option == TESSADOX_MAX_STEPS) {
            continue;
        }
        long long fallback = 0, lowest = 0, highest = 0;
        tessadox_option_range(option, &fallback, &lowest, &highest);
        std::string values = std::to_string(lowest) + " to " + std::to_string(highest);
        if (tessadox_option_value_name(option, lowest)) {
            values.clear();
            for (long long value = lowest; value <= highest; ++value) {
                values += (values.empty() ? "" : ", ") +
                          std::string(tessadox_option_value_name(option, value));
            }
        }
        // The server's own default: a checksum at its own length.
        if (option == TESSADOX_CHECKSUM_LENGTH) {
            values = "0 (the checksum's own), " + values;
        }
        std::string shown = option == TESSADOX_CHECKSUM_LENGTH ? "0"
                            : tessadox_option_value_name(option, fallback)
                                ? tessadox_option_value_name(option, fallback)
                                : std::to_string(fallback);
        rows += "<tr><td><code>" + std::string(name) + "</code></td><td>" + values + "</td><td>" +
                shown + "</td></tr>\n";
    }
    return rows;
}

std::string picture(const std::string& url) {
    std::string html;
    for (char c : url) {
        html += c == '&' ? std::string("&amp;") : std::string(1, c);
    }
    return "<figure><img src=\"" + html + "\" width=\"128\" height=\"128\" alt=\"\">" +
           "<figcaption><a href=\"" + html + "\"><code>" + html +
           "</code></a></figcaption></figure>\n";
}

} // namespace

std::string home_page() {
    const std::string hex = example;
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
           "<title>tessadox-server</title>\n"
           "<style>body{font-family:sans-serif;max-width:48em;margin:2em auto;padding:0 1em}"
           "figure{display:inline-block;margin:0 1em 1em 0}td,th{padding:.2em .6em;text-align:left}"
           "</style></head><body>\n"
           "<h1>Checksums as pictures, by URL</h1>\n"
           "<p>Each URL names a picture that never changes: the same URL gives the same PNG "
           "bytes from every copy of this server, in every version with the major number of this "
           "one, "
           "<code>" +
           std::string(tessadox_version()) +
           "</code>.</p>\n"
           "<table><tr><th>form</th><th>example</th></tr>\n"
           "<tr><td><code>/v1/&lt;hex&gt;.png</code></td><td><code>/v1/" +
           hex +
           ".png</code></td></tr>\n"
           "<tr><td><code>/v1/&lt;hex&gt;.png?name=value&amp;...</code></td><td><code>/v1/" +
           hex +
           ".png?resolution=128&amp;color_mode=areas</code></td></tr>\n"
           "<tr><td><code>/v1/name=value/.../&lt;hex&gt;.png</code></td><td><code>/v1/"
           "resolution=128/color_mode=areas/" +
           hex +
           ".png</code></td></tr>\n"
           "</table>\n"
           "<p>The checksum is 1 to 128 hexadecimal digits, in either case, drawn at its own "
           "length. The settings:</p>\n"
           "<table><tr><th>name</th><th>values</th><th>default</th></tr>\n" +
           options_rows() + "</table>\n<h2>Examples</h2>\n" +
           picture("/v1/" + hex + ".png?resolution=128") +
           picture("/v1/" + hex + ".png?resolution=128&color_mode=areas") +
           picture("/v1/resolution=128/background=255/color_mode=gray/" + hex + ".png") +
           "<p><a href=\"/metrics\">/metrics</a> &middot; <a href=\"/healthz\">/healthz</a></p>\n"
           "</body></html>\n";
}
