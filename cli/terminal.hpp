// The thin layer between the pure drawing and the terminal: which colours
// and what size the terminal has, and writing the picture's lines to it.
#pragma once

#include <optional>
#include <string>

#include "terminal_picture.hpp"
#include "tessadox/tessadox.h"

// The colours to use, from the environment: none at all when NO_COLOR is
// set and not empty or TERM is "dumb", 24-bit colour when COLORTERM is
// "truecolor" or "24bit", the 256-colour palette otherwise. A null pointer
// stands for an unset variable.
terminal_colors colors_for(const char* no_color, const char* term, const char* colorterm);

// One side of the terminal: the window's size when it has one (above 0),
// else the environment's value when it is a positive number, else `fallback`.
int terminal_dimension(int from_window, const char* from_environment, int fallback);

// The view of the terminal on descriptor `fd`: TIOCGWINSZ first, then
// COLUMNS and LINES, then 80 x 24; the colours as colors_for says.
terminal_view terminal_view_of(int fd);

bool is_terminal(int fd);

// Draws the picture on standard output, a terminal, one write per line, and
// closes standard output as the PNG writer does. Nothing may be waiting in
// stdout's buffer. `lines_said` lines of the window already hold what this
// run said: the picture leaves room for them, so that they stay in sight.
void draw_on_terminal(const picture_view& picture, const picture_look& look, int lines_said);

// Draws the run's picture on standard output, a terminal, with the colours
// that its PNG would have, and answers the run's status, 0.
int show_picture_on_terminal(const tessadox_picture* drawn, int lines_said);

// Writes the hint as one line on standard error when that is a terminal;
// tells whether it did.
bool show_hint(const std::optional<std::string>& hint);
