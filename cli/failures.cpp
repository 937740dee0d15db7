#include "failures.hpp"

#include <cstdio>

#include "tessadox/tessadox.h"

void report_failure(int code, const char* png_message) {
    switch (code) {
    case TESSADOX_E_PNG_ERROR:
        std::fprintf(stderr, "error in PNG: %s\n", png_message);
        break;
    // libpng refuses a picture without pixels, and a transparent gray it
    // cannot write, with its warning, and the command has always let it say
    // so. Out of range is the resolution: no other value the command sets
    // can be.
    case TESSADOX_E_RANGE:
    case TESSADOX_E_TRANSPARENT_BACKGROUND:
        std::fputs("warning in PNG (but exiting)\n: ", stderr);
        break;
    case TESSADOX_E_PNG_WRITE_STRUCT:
        std::fwrite("png_create_write_struct() failed\n", 1, 33, stderr);
        break;
    case TESSADOX_E_PNG_INFO_STRUCT:
        std::fwrite("png_create_info_struct() failed\n", 1, 32, stderr);
        break;
    default:
        std::fprintf(stderr, "tessadox: %s\n", tessadox_error_text(code));
        break;
    }
}
