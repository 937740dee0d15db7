// The picture as coloured text for a terminal: two grid squares per
// character cell with half blocks, or a ramp of characters where no escape
// sequence may be sent. Pure: the picture and the view settings in, the
// lines out.
#pragma once

#include <string>
#include <vector>

#include "picture_boxes.hpp"

// What the terminal can show: 24-bit colour, the 256-colour palette, or
// plain characters without any escape sequence.
enum class terminal_colors { direct, palette, text_only };

struct terminal_view {
    terminal_colors colors;
    int columns;
    int lines; // the whole height; the picture leaves the last line for the prompt
};

// The side of the grid that the picture is averaged onto: as large as the
// window allows, a character cell being one grid square wide and two high,
// but never more squares than pixels.
int grid_side(int picture_size, int columns, int lines);

// The picture as the terminal should receive it, one string per line, each
// ending in a newline (and, in colour, an attribute reset before it).
std::vector<std::string> picture_lines(const picture_view& picture, const picture_look& look,
                                       const terminal_view& view);
