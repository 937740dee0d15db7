#include "terminal_picture.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "palette.hpp"

int grid_side(int picture_size, int columns, int lines) {
    // A cell is about twice as tall as wide, so a square picture takes twice
    // as many half-cell rows as columns.
    const long long half_rows = 2 * static_cast<long long>(std::max(lines - 1, 1));
    const long long side = std::min(
        {static_cast<long long>(picture_size), static_cast<long long>(columns), half_rows});
    return static_cast<int>(std::max(side, 1LL));
}

namespace {

// What the terminal is told for one half cell: 0xRRGGBB in direct colour, a
// palette index otherwise; nothing for the terminal's own background.
using shade = std::optional<std::uint32_t>;

shade shade_of(std::optional<rgb_color> color, terminal_colors colors) {
    if (!color) {
        return std::nullopt;
    }
    if (colors == terminal_colors::direct) {
        return std::uint32_t{color->red} << 16 | std::uint32_t{color->green} << 8 | color->blue;
    }
    return static_cast<std::uint32_t>(palette_index(*color));
}

// A line being built, with the colours already set on it: after the reset
// that ends the previous line both are the terminal's own.
struct line_builder {
    terminal_colors colors;
    std::string text{};
    shade foreground{};
    shade background{};
};

// "38;..." or "48;...": the select-graphic-rendition parameters of a colour.
void append_color(std::string& parameters, const char* ground, std::uint32_t code,
                  terminal_colors colors) {
    if (!parameters.empty()) {
        parameters += ';';
    }
    parameters += ground;
    if (colors == terminal_colors::direct) {
        parameters += ";2;" + std::to_string(code >> 16) + ';' + std::to_string(code >> 8 & 0xFF) +
                      ';' + std::to_string(code & 0xFF);
    } else {
        parameters += ";5;" + std::to_string(code);
    }
}

// Sends one sequence for whatever changes. A foreground of nothing means
// that the glyph shows none, so the one set stays.
void set_colors(line_builder& line, shade foreground, shade background) {
    std::string parameters;
    if (foreground && foreground != line.foreground) {
        append_color(parameters, "38", *foreground, line.colors);
        line.foreground = foreground;
    }
    if (background != line.background) {
        if (background) {
            append_color(parameters, "48", *background, line.colors);
        } else {
            parameters += parameters.empty() ? "49" : ";49";
        }
        line.background = background;
    }
    if (!parameters.empty()) {
        line.text += "\x1b[" + parameters + "m";
    }
}

constexpr std::string_view upper_half_block = "\xe2\x96\x80"; // U+2580 in UTF-8
constexpr std::string_view lower_half_block = "\xe2\x96\x84"; // U+2584 in UTF-8

// A see-through half takes the terminal's own background, so the other
// half is drawn as the foreground of the half block that covers it.
void put_cell(line_builder& line, shade top, shade bottom) {
    if (top) {
        set_colors(line, top, bottom);
        line.text += upper_half_block;
    } else if (bottom) {
        set_colors(line, bottom, std::nullopt);
        line.text += lower_half_block;
    } else {
        set_colors(line, std::nullopt, std::nullopt);
        line.text += ' ';
    }
}

std::string colored_line(const picture_view& picture, const picture_look& look,
                         terminal_colors colors, int n, int line) {
    line_builder builder{colors};
    const int top = 2 * line;
    for (int column = 0; column < n; ++column) {
        const shade upper = shade_of(box_mean(picture, look, n, top, column), colors);
        // A grid of odd side leaves the lower half of the last line empty.
        const shade lower =
            top + 1 < n ? shade_of(box_mean(picture, look, n, top + 1, column), colors) : shade{};
        put_cell(builder, upper, lower);
    }
    // Reset before the newline, so that no colour fills the next line when
    // the terminal scrolls.
    return builder.text + "\x1b[0m\n";
}

// From blank to dense. A character stands for the two grid squares of a
// cell, one wide and two high, so the picture stays square.
constexpr std::string_view ramp = " .:-=+*#%@";

// Density follows how far the brightness lies from the background's: on
// black as on white the background is blank, and any ink shows.
char ramp_character(std::optional<rgb_color> mean, std::uint8_t background) {
    if (!mean) {
        return ramp.front();
    }
    const int brightness = (299 * mean->red + 587 * mean->green + 114 * mean->blue + 500) / 1000;
    const int distance = std::abs(brightness - background);
    if (distance == 0) {
        return ramp.front();
    }
    return ramp[1 + static_cast<std::size_t>(distance - 1) * (ramp.size() - 2) / 254];
}

std::string text_line(const picture_view& picture, const picture_look& look, int n, int line) {
    std::string text;
    const int top = 2 * line;
    for (int column = 0; column < n; ++column) {
        const int rows = std::min(2, n - top);
        text += ramp_character(box_mean(picture, look, n, top, column, rows), look.background);
    }
    return text + '\n';
}

} // namespace

std::vector<std::string> picture_lines(const picture_view& picture, const picture_look& look,
                                       const terminal_view& view) {
    const int n = grid_side(picture.size, view.columns, view.lines);
    std::vector<std::string> lines;
    for (int line = 0; 2 * line < n; ++line) {
        lines.push_back(view.colors == terminal_colors::text_only
                            ? text_line(picture, look, n, line)
                            : colored_line(picture, look, view.colors, n, line));
    }
    return lines;
}
