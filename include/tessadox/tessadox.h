/* Tessadox: a checksum drawn as the attractor of the affine maps that its
 * hexadecimal digits define. The same checksum always gives the same shape.
 *
 * Options are an opaque object, set and read by option number or name; a
 * draw makes a picture from a checksum's bytes and the options; the picture
 * keeps its look (background, transparency, channel order) and gives its
 * pixels, or is encoded as PNG bytes in memory or on a stdio stream.
 *
 * No call prints, exits, reads the environment or keeps state between
 * calls, so any number of threads may draw different pictures at once.
 * Every call refuses a NULL where it needs a pointer with a code.
 * Whatever the library allocates it also frees: options with
 * tessadox_options_free, a picture with tessadox_picture_free, PNG bytes
 * with tessadox_png_free.
 *
 * The pictures are a contract: the same checksum, options and seed give
 * the same pixels and PNG bytes on every machine and in every version with
 * the same major number. A change to any of them is a breaking change.
 */
#ifndef TESSADOX_TESSADOX_H
#define TESSADOX_TESSADOX_H

#include <stddef.h>
#include <stdio.h>

#include "tessadox/version.h"

#if defined(TESSADOX_BUILDING_LIBRARY) && defined(__GNUC__)
#define TESSADOX_API __attribute__((visibility("default")))
#else
#define TESSADOX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What a call answers: TESSADOX_OK, TESSADOX_CLAMPED, or a negative
 * TESSADOX_E_* code. tessadox_error_text gives the sentence of each. */
#define TESSADOX_OK 0
#define TESSADOX_CLAMPED 1             /* the value was replaced; see tessadox_options_set */
#define TESSADOX_E_ARGUMENT (-1)       /* a null pointer where one is needed */
#define TESSADOX_E_UNKNOWN_OPTION (-2) /* no option has that number or name */
#define TESSADOX_E_RANGE (-3)          /* a value outside its option's range */
#define TESSADOX_E_TRANSPARENT_BACKGROUND (-4) /* transparent, with the background above 255 */
#define TESSADOX_E_NO_MEMORY (-5)              /* memory ran out */
#define TESSADOX_E_STOPPED (-6)                /* the progress function asked the draw to stop */
#define TESSADOX_E_TOO_MUCH_WORK (-7)          /* more plotting steps than TESSADOX_MAX_STEPS */
#define TESSADOX_E_PNG_ERROR (-8)        /* the PNG library failed, a write to the stream say */
#define TESSADOX_E_PNG_WRITE_STRUCT (-9) /* the PNG library made no write structure */
#define TESSADOX_E_PNG_INFO_STRUCT (-10) /* the PNG library made no info structure */

/* The options, by number. The numbers are fixed forever: a new option gets
 * a new number. Each option's name is its number's in lower case, without
 * the prefix: "resolution", "color_mode", "max_steps".
 *
 *   option            default  range             what it is
 *   RESOLUTION        300      1 .. 1000         width and height in pixels;
 *                                                above 1000 is clamped to 1000
 *   BACKGROUND        0        any int           0 black, 255 white; the low
 *                                                byte fills the picture
 *   INTENSITY         30       any int           plotting steps per pixel
 *   CHECKSUM_LENGTH   32       any int           characters read, 8 each map;
 *                                                0: the checksum's own length
 *                                                (its leading hexadecimal
 *                                                digits, rounded down to a
 *                                                multiple of 8, from 8 to
 *                                                128); another value below 8
 *                                                or above 128 is clamped to 32
 *   COLOR_MODE        1        0 .. 2            TESSADOX_GRAY, _MIXED, _AREAS
 *   FLIP_BGR          0        0 .. 1            1: blue, green, red
 *   TRANSPARENT       0        0 .. 1            1: the background is
 *                                                transparent in the PNG
 *   SEED              0        0 .. 2^63 - 1     seconds, as SOURCE_DATE_EPOCH;
 *                                                the generator takes the seed
 *                                                modulo 2^32, and 0 as 1
 *   THREADS           0        0 .. 256          0: as many as the machine
 *                                                has cores, for a picture
 *                                                large enough to gain
 *   MAX_STEPS         0        0 .. 2^63 - 1     the most plotting steps a
 *                                                draw may take; 0: no bound
 */
enum {
    TESSADOX_RESOLUTION = 1,
    TESSADOX_BACKGROUND,
    TESSADOX_INTENSITY,
    TESSADOX_CHECKSUM_LENGTH,
    TESSADOX_COLOR_MODE,
    TESSADOX_FLIP_BGR,
    TESSADOX_TRANSPARENT,
    TESSADOX_SEED,
    TESSADOX_THREADS,
    TESSADOX_MAX_STEPS
};

/* The colourings, values of TESSADOX_COLOR_MODE, named "gray", "mixed"
 * and "areas". */
#define TESSADOX_GRAY 0  /* every point in one gray: white on black, black on white */
#define TESSADOX_MIXED 1 /* each point in the colour of the map that last won a coin toss */
#define TESSADOX_AREAS 2 /* each point in the colour of the map that brought it there */

typedef struct tessadox_options tessadox_options; /* opaque */
typedef struct tessadox_picture tessadox_picture; /* opaque */

/* New options with every option at its default; NULL when memory ran out. */
TESSADOX_API tessadox_options* tessadox_options_new(void);

/* A copy of `options`; NULL for NULL or when memory ran out. */
TESSADOX_API tessadox_options* tessadox_options_copy(const tessadox_options* options);

/* Releases options; NULL is allowed. */
TESSADOX_API void tessadox_options_free(tessadox_options* options);

/* Sets `option` to `value`: TESSADOX_OK; TESSADOX_CLAMPED when the value
 * was replaced as the command replaces it (a resolution above 1000, a
 * checksum length below 8 or above 128), tessadox_options_get telling the
 * value stored; or a refusal (TESSADOX_E_UNKNOWN_OPTION, TESSADOX_E_RANGE,
 * TESSADOX_E_ARGUMENT), which changes nothing. */
TESSADOX_API int tessadox_options_set(tessadox_options* options, int option, long long value);

/* The value that `option` holds, into *value. */
TESSADOX_API int tessadox_options_get(const tessadox_options* options, int option,
                                      long long* value);

/* The number of the option named `name` ("resolution" ... "max_steps"), or
 * TESSADOX_E_UNKNOWN_OPTION (TESSADOX_E_ARGUMENT for NULL). */
TESSADOX_API int tessadox_option_by_name(const char* name);

/* The option's name; NULL for a number that is no option. */
TESSADOX_API const char* tessadox_option_name(int option);

/* The option's default, lowest and highest value; any pointer may be NULL
 * for a value not wanted. */
TESSADOX_API int tessadox_option_range(int option, long long* default_value, long long* lowest,
                                       long long* highest);

/* The value that `name` stands for where an option's values have names
 * ("gray", "mixed", "areas" for TESSADOX_COLOR_MODE), into *value:
 * TESSADOX_OK, or TESSADOX_E_RANGE for a name that is none of them. */
TESSADOX_API int tessadox_option_value_by_name(int option, const char* name, long long* value);

/* The name of an option's value; NULL where it has none. */
TESSADOX_API const char* tessadox_option_value_name(int option, long long value);

/* How many bytes of a checksum a draw with these options reads, at most:
 * 8 for each map, the checksum length (128 for the checksum's own), or a
 * negative code. */
TESSADOX_API int tessadox_checksum_bytes(const tessadox_options* options);

/* How many steps of the chaos game the plotting pass of a draw with these
 * options takes, its warm-up included, into *steps: the work a draw does,
 * what TESSADOX_MAX_STEPS bounds, and the total that the progress function
 * is told. */
TESSADOX_API int tessadox_plotting_steps(const tessadox_options* options, long long* steps);

/* Told how far a draw is: steps done of the plotting steps in all. Called
 * on the thread that draws, at least every 2^20 steps of the plotting pass.
 * Answering non-zero stops the draw: every thread of it stops within 2^20
 * more steps, and the draw answers TESSADOX_E_STOPPED with no picture. */
typedef int (*tessadox_progress_fn)(long long steps_done, long long steps, void* context);

/* Draws the picture of `checksum`: bytes, as the command reads them on
 * standard input. Of them the first tessadox_checksum_bytes count; bytes
 * missing from `length` count as 0, and so does every byte that is no
 * hexadecimal digit. `checksum` may be NULL when `length` is 0; `progress`
 * may be NULL. On success *picture holds the new picture and the call
 * answers TESSADOX_OK; otherwise *picture is NULL. A draw whose picture
 * could not be encoded (a transparent background whose low 16 bits lie
 * above 255) or whose steps exceed TESSADOX_MAX_STEPS is refused before it
 * draws. */
TESSADOX_API int tessadox_draw(const void* checksum, size_t length, const tessadox_options* options,
                               tessadox_progress_fn progress, void* context,
                               tessadox_picture** picture);

/* The picture's width and height, R; 0 for NULL. */
TESSADOX_API int tessadox_picture_size(const tessadox_picture* picture);

/* The picture's R*R*3 bytes, row by row, the top row first, each pixel's
 * channels in the order the PNG holds them: red, green and blue, or blue,
 * green and red with TESSADOX_FLIP_BGR. Owned by the picture; NULL for
 * NULL. */
TESSADOX_API const unsigned char* tessadox_picture_pixels(const tessadox_picture* picture);

/* The options the picture was drawn with, as they stood after the draw had
 * resolved them: TESSADOX_CHECKSUM_LENGTH is the length it read. */
TESSADOX_API int tessadox_picture_option(const tessadox_picture* picture, int option,
                                         long long* value);

/* Encodes the picture as PNG bytes: the very bytes that the command
 * writes. On success *png holds them (release with tessadox_png_free) and
 * *png_size their number; otherwise *png is NULL and *png_size 0. */
TESSADOX_API int tessadox_encode_png(const tessadox_picture* picture, unsigned char** png,
                                     size_t* png_size);

/* Writes the PNG bytes to `out`, through stdio: what the stream still holds
 * in its buffer is the caller's to flush and check, as after fwrite. On a
 * failed write the call answers TESSADOX_E_PNG_ERROR, and what was written
 * before stays written. */
TESSADOX_API int tessadox_write_png(const tessadox_picture* picture, FILE* out);

/* As tessadox_write_png, and on TESSADOX_E_PNG_ERROR copies the PNG
 * library's own message ("Write Error", say) into `message`, cut to
 * `message_size` bytes with its terminating NUL; "" on any other answer. */
TESSADOX_API int tessadox_write_png_with_message(const tessadox_picture* picture, FILE* out,
                                                 char* message, size_t message_size);

/* Releases the picture; NULL is allowed. */
TESSADOX_API void tessadox_picture_free(tessadox_picture* picture);

/* Releases bytes from tessadox_encode_png; NULL is allowed. */
TESSADOX_API void tessadox_png_free(unsigned char* png);

/* A fixed English sentence for each code, and one for any other value. */
TESSADOX_API const char* tessadox_error_text(int code);

/* The version of the library that is running, TESSADOX_VERSION_STRING of
 * the header it was built with. */
TESSADOX_API const char* tessadox_version(void);

#ifdef __cplusplus
}
#endif

#endif
