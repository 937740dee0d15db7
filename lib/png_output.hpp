// The PNG encoder: hands the picture to libpng, which writes one PNG stream
// to a stdio stream or into memory. libpng's errors and warnings come back
// as codes, never as a message printed or an exit.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdio>

#include "picture.hpp"

// How the PNG shows the picture, whose pixels are already in the order
// the PNG holds them.
struct png_look {
    int background;   // its low 16 bits are the transparent gray
    bool transparent; // mark the background gray transparent
};

// Why an encoding failed: a TESSADOX_E_* code, and libpng's own message for
// an error or a warning.
struct png_failure {
    int code = 0;
    char message[256] = "";
};

// Whether libpng refuses these settings with a warning: a side of 0 or
// below, or a transparent gray whose low 16 bits, the level written, lie
// above 255.
bool png_refuses(int size, bool transparent, int background);

// Writes the picture to `out` with libpng's own stdio writer. Returns 0, or
// a TESSADOX_E_* code with the reason in *failure.
int write_png(const picture& drawn, const png_look& look, std::FILE* out, png_failure* failure);

// PNG bytes in memory, from malloc: the caller frees `data`, also after a
// failure.
struct png_bytes {
    unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
};

// Encodes the picture into *bytes. Returns 0, or a TESSADOX_E_* code with
// the reason in *failure.
int encode_png(const picture& drawn, const png_look& look, png_bytes* bytes, png_failure* failure);
