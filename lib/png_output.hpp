// The PNG writer: hands the picture to libpng, which writes one PNG stream
// to standard output.
#pragma once

#include <png.h>

#include "picture.hpp"
#include "settings.hpp"

// libpng's error callback: prints the library's message and ends the run.
[[noreturn]] void on_png_error(png_structp png, png_const_charp message);

// libpng's warning callback: every warning ends the run too.
[[noreturn]] void on_png_warning(png_structp png, png_const_charp message);

// Whether libpng refuses these settings with a warning, which ends the run
// (see on_png_warning): a side of 0 or below, or a transparent gray whose
// low 16 bits, the level written, lie above 255.
bool png_refuses(int size, bool transparent, int background);

// Writes the picture, as the settings' background, transparency and colour
// order ask, to standard output. Returns 0, or -1 when libpng's
// structures cannot be created (then nothing has been written).
int write_png(const settings& run, const picture& drawn);
