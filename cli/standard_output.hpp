// Writing and closing standard output, so that a picture or text that never
// reached its destination (a full disk, a closed descriptor) does not pass
// for success.
#pragma once

#include <string_view>

#include "tessadox/tessadox.h"

// Writes the bytes to descriptor 1 directly, in one call unless the system
// takes fewer; stdout's buffer is passed by, so it must hold nothing. If a
// write fails, says so on standard error and ends the process with status 1.
void write_standard_output(std::string_view bytes);

// Flushes and closes standard output. If anything written to it was lost,
// says so on standard error and ends the process with status 1.
void close_standard_output();

// Writes the picture's PNG to standard output and closes it; answers the
// run's status: 0, or 1 after saying on standard error what failed.
int write_png_to_standard_output(const tessadox_picture* drawn);
