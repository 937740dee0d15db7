// The command line: defaults, options from left to right, clamps, and the
// help and version texts.
#pragma once

#include "tessadox/tessadox.h"

extern const char usage_text[];
extern const char version_text[];

// Reads a decimal option value the way a "%d" scan does: leading white space
// skipped, an optional sign, digits, anything after them ignored. Returns
// false when the text holds no leading integer or one outside the int range.
// Empty or blank-only text is accepted and leaves the setting unchanged.
bool scan_option_value(const char* text, int* setting);

// The options that the arguments give, clamped as a draw clamps them, with
// a notice on standard error for each value replaced; or the end of the
// process after help, version (status 0) or a refused argument (status 1).
// The seed and the threads stay at their defaults.
tessadox_options parse_options(int argc, char** argv);
