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

// Sets `options` as the arguments say, by the library's table, with a
// notice on standard error for each value replaced; or ends the process
// after help, version (status 0) or a refused argument (status 1). Answers
// TESSADOX_OK, or the code that the draw must fail with: TESSADOX_E_RANGE
// for a resolution of 0 or below, which the options refuse.
int parse_options(int argc, char** argv, tessadox_options* options);
