#include "png_output.hpp"

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tessadox/tessadox.h"

namespace {

void keep_message(png_structp png, int code, png_const_charp message) {
    png_failure* failure = static_cast<png_failure*>(png_get_error_ptr(png));
    failure->code = code;
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
}

// libpng's callbacks never return: both go back to the encoder's recovery
// point, a warning too. A draw refuses beforehand the settings that libpng
// warns of, so a warning here is a failure like an error.
[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
    keep_message(png, TESSADOX_E_PNG_ERROR, message);
    png_longjmp(png, 1);
}

[[noreturn]] void on_png_warning(png_structp png, png_const_charp message) {
    keep_message(png, TESSADOX_E_PNG_ERROR, message);
    png_longjmp(png, 1);
}

// Where the stream goes: libpng's stdio writer on `file`, or else `write`
// with `sink` as its io pointer.
struct png_destination {
    std::FILE* file;
    png_rw_ptr write;
    void* sink;
};

void flush_nothing(png_structp) {}

// The one place that drives libpng. Between the recovery point and the
// jumps back to it run only libpng and the callbacks above, none of which
// holds anything with a destructor; what this function needs after a jump
// lives in its caller's *failure, or was made before the recovery point.
int write_stream(const picture& drawn, const png_look& look, const png_destination& to,
                 png_failure* failure) {
    // libpng reads the rows in place, one address per row.
    std::vector<png_bytep> row_pointers;
    for (int y = 0; y < drawn.resolution; ++y) {
        const std::size_t row_start = 3 * static_cast<std::size_t>(y) * drawn.resolution;
        row_pointers.push_back(const_cast<png_bytep>(&drawn.image[row_start]));
    }
    // A warning while the structure is made (a version mismatch) comes back
    // as a null structure, with the warning in *failure.
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, failure, on_png_error, on_png_warning);
    if (png == nullptr) {
        return failure->code != 0 ? failure->code : TESSADOX_E_PNG_WRITE_STRUCT;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return TESSADOX_E_PNG_INFO_STRUCT;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return failure->code;
    }
    if (to.file != nullptr) {
        png_init_io(png, to.file);
    } else {
        png_set_write_fn(png, to.sink, to.write, flush_nothing);
    }
    // A width of 0 or below is refused here, through the warning callback.
    png_set_IHDR(png, info, static_cast<png_uint_32>(drawn.resolution),
                 static_cast<png_uint_32>(drawn.resolution), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (look.transparent) {
        // The low 16 bits of the background; above 255 libpng warns.
        const png_uint_16 level = static_cast<png_uint_16>(look.background);
        png_color_16 color{0, level, level, level, 0};
        png_set_tRNS(png, info, nullptr, 0, &color);
    }
    png_set_rows(png, info, row_pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}

// libpng's write function for bytes in memory: doubles the buffer as it
// fills, and fails the encoding, not the process, when memory runs out.
void append_bytes(png_structp png, png_bytep data, std::size_t length) {
    png_bytes* bytes = static_cast<png_bytes*>(png_get_io_ptr(png));
    if (length > bytes->capacity - bytes->size) {
        std::size_t capacity = bytes->capacity > 0 ? bytes->capacity : 4096;
        while (capacity - bytes->size < length) {
            capacity *= 2;
        }
        void* grown = std::realloc(bytes->data, capacity);
        if (grown == nullptr) {
            png_error(png, "Out of memory");
        }
        bytes->data = static_cast<unsigned char*>(grown);
        bytes->capacity = capacity;
    }
    std::memcpy(bytes->data + bytes->size, data, length);
    bytes->size += length;
}

} // namespace

bool png_refuses(int size, bool transparent, int background) {
    return size < 1 || (transparent && static_cast<png_uint_16>(background) > 255);
}

int write_png(const picture& drawn, const png_look& look, std::FILE* out, png_failure* failure) {
    return write_stream(drawn, look, png_destination{out, nullptr, nullptr}, failure);
}

int encode_png(const picture& drawn, const png_look& look, png_bytes* bytes, png_failure* failure) {
    return write_stream(drawn, look, png_destination{nullptr, append_bytes, bytes}, failure);
}
