#include "terminal.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standard_output.hpp"

namespace {

bool set_and_not_empty(const char* value) {
    return value != nullptr && *value != '\0';
}

bool equals(const char* value, const char* expected) {
    return value != nullptr && std::strcmp(value, expected) == 0;
}

} // namespace

terminal_colors colors_for(const char* no_color, const char* term, const char* colorterm) {
    if (set_and_not_empty(no_color) || equals(term, "dumb")) {
        return terminal_colors::text_only;
    }
    if (equals(colorterm, "truecolor") || equals(colorterm, "24bit")) {
        return terminal_colors::direct;
    }
    return terminal_colors::palette;
}

int terminal_dimension(int from_window, const char* from_environment, int fallback) {
    if (from_window > 0) {
        return from_window;
    }
    if (from_environment != nullptr) {
        const char* end = from_environment + std::strlen(from_environment);
        int value = 0;
        const auto [stop, error] = std::from_chars(from_environment, end, value);
        if (error == std::errc{} && stop == end && value > 0) {
            return value;
        }
    }
    return fallback;
}

terminal_view terminal_view_of(int fd) {
    winsize window{};
    if (ioctl(fd, TIOCGWINSZ, &window) != 0) {
        window = winsize{};
    }
    return terminal_view{
        colors_for(std::getenv("NO_COLOR"), std::getenv("TERM"), std::getenv("COLORTERM")),
        terminal_dimension(window.ws_col, std::getenv("COLUMNS"), 80),
        terminal_dimension(window.ws_row, std::getenv("LINES"), 24),
    };
}

bool is_terminal(int fd) {
    return isatty(fd) == 1;
}

void draw_on_terminal(const picture_view& picture, const picture_look& look, int lines_said) {
    terminal_view view = terminal_view_of(STDOUT_FILENO);
    view.lines = std::max(view.lines - lines_said, 2);
    for (const std::string& line : picture_lines(picture, look, view)) {
        write_standard_output(line);
    }
    close_standard_output();
}

int show_picture_on_terminal(const tessadox_picture* drawn, int lines_said) {
    long long transparent = 0;
    long long background = 0;
    tessadox_picture_option(drawn, TESSADOX_TRANSPARENT, &transparent);
    tessadox_picture_option(drawn, TESSADOX_BACKGROUND, &background);
    const int size = tessadox_picture_size(drawn);
    // The pixels are in the PNG's order already, blue first where it flips.
    const picture_look look{false, transparent == 1, static_cast<std::uint8_t>(background & 0xFF)};
    draw_on_terminal(
        picture_view{tessadox_picture_pixels(drawn), size, 3 * static_cast<std::size_t>(size)},
        look, lines_said);
    return 0;
}

bool show_hint(const std::optional<std::string>& hint) {
    if (!hint || !is_terminal(STDERR_FILENO)) {
        return false;
    }
    std::fprintf(stderr, "%s\n", hint->c_str());
    return true;
}
