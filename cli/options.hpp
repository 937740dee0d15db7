// The command line: defaults, options from left to right, clamps, and the
// help and version texts.
#pragma once

#include "settings.hpp"

extern const char usage_text[];
extern const char version_text[];

// Reads a decimal option value the way a "%d" scan does: leading white space
// skipped, an optional sign, digits, anything after them ignored. Returns
// false when the text holds no leading integer or one outside the int range.
// Empty or blank-only text is accepted and leaves the setting unchanged.
bool scan_option_value(const char* text, int* setting);

// The run settings that the arguments give, or the end of the process after
// help, version (status 0) or a refused argument (status 1).
settings parse_options(int argc, char** argv);
