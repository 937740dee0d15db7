// What the command says when a draw or the PNG of it fails.
#pragma once

// Writes to standard error the command's message for the library's error
// `code`: the PNG library's texts for its errors, warnings and set-up
// failures, with `png_message`, libpng's own words, for an error; a line
// starting "tessadox: " for any other failure.
void report_failure(int code, const char* png_message);
