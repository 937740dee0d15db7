// Closing standard output, so that a picture or text that never reached its
// destination (a full disk, a closed descriptor) does not pass for success.
#pragma once

// Flushes and closes standard output. If anything written to it was lost,
// says so on standard error and ends the process with status 1.
void close_standard_output();
