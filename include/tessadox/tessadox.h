/* Tessadox: a checksum drawn as the attractor of the affine maps that its
 * hexadecimal digits define. The same checksum always gives the same shape.
 *
 * A draw makes a picture from the checksum's characters and the options;
 * the picture gives its pixels, or is encoded as PNG bytes in memory or on a
 * stdio stream. Every call works on its own arguments alone: no call prints,
 * exits, reads the environment or keeps state between calls, so any number
 * of threads may draw different pictures at once.
 *
 * Whatever the library allocates it also frees: a picture with
 * tessadox_picture_free, PNG bytes with tessadox_free_png.
 */
#ifndef TESSADOX_TESSADOX_H
#define TESSADOX_TESSADOX_H

#include <stddef.h>
#include <stdio.h>

#if defined(TESSADOX_BUILDING_LIBRARY) && defined(__GNUC__)
#define TESSADOX_API __attribute__((visibility("default")))
#else
#define TESSADOX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define TESSADOX_VERSION_MAJOR 2
#define TESSADOX_VERSION_MINOR 1
#define TESSADOX_VERSION_STRING "2.1"

/* The colourings. */
#define TESSADOX_GRAY 0  /* every point in one gray: white on black, black on white */
#define TESSADOX_MIXED 1 /* each point in the colour of the map that last won a coin toss */
#define TESSADOX_AREAS 2 /* each point in the colour of the map that brought it there */

#define TESSADOX_MAX_RESOLUTION 1000     /* a larger resolution is lowered to this */
#define TESSADOX_MAX_CHECKSUM_LENGTH 128 /* a longer checksum length falls back to 32 */
#define TESSADOX_MAX_THREADS 256

/* What a call answers: 0, or one of these. */
#define TESSADOX_OK 0
#define TESSADOX_E_ARGUMENT (-1)         /* a null pointer, or an option outside its range */
#define TESSADOX_E_RESOLUTION (-2)       /* a resolution of 0 or below */
#define TESSADOX_E_NO_MEMORY (-3)        /* memory ran out */
#define TESSADOX_E_PNG_ERROR (-4)        /* the PNG library failed, a write to the stream say */
#define TESSADOX_E_PNG_WARNING (-5)      /* the PNG library refused the settings with a warning */
#define TESSADOX_E_PNG_WRITE_STRUCT (-6) /* the PNG library made no write structure */
#define TESSADOX_E_PNG_INFO_STRUCT (-7)  /* the PNG library made no info structure */

typedef struct tessadox_options {
    int resolution, background, intensity, checksum_length;
    int color_mode;            /* TESSADOX_MIXED (1), TESSADOX_GRAY (0), TESSADOX_AREAS (2) */
    int flip_bgr, transparent; /* 0 or 1 */
    unsigned long long seed; /* seconds, as SOURCE_DATE_EPOCH; the generator takes it modulo 2^32 */
    int threads;             /* 0: the command's default rule */
} tessadox_options;

/* A drawn picture; opaque. */
typedef struct tessadox_picture tessadox_picture;

/* The command's defaults: resolution 300, background 0, intensity 30,
 * checksum length 32, the mixed colouring, no flip, no transparency, seed 0,
 * threads 0 (as many as the machine has cores, for a picture large enough to
 * gain from them). */
TESSADOX_API tessadox_options tessadox_default_options(void);

/* What a draw changes in options before it draws, as the command does after
 * reading its command line: a resolution above TESSADOX_MAX_RESOLUTION
 * becomes TESSADOX_MAX_RESOLUTION; a checksum length above
 * TESSADOX_MAX_CHECKSUM_LENGTH, or below 8, becomes 32. Applies that to
 * *options and answers which changed, as TESSADOX_LOWERED_* flags (0 for
 * none). */
#define TESSADOX_LOWERED_RESOLUTION 1u
#define TESSADOX_LOWERED_CHECKSUM_LENGTH 2u /* it was above the largest */
#define TESSADOX_RAISED_CHECKSUM_LENGTH 4u  /* it was below 8 */
TESSADOX_API unsigned tessadox_clamp_options(tessadox_options* options);

/* How many bytes of the checksum a draw with these options reads: 8 for
 * each map, one map for every 8 characters of the checksum length (once
 * clamped). */
TESSADOX_API int tessadox_checksum_bytes(const tessadox_options* options);

/* How many steps of the chaos game the plotting pass takes with these
 * options (once clamped): the work a draw does, and the total that a
 * progress callback is told. 0 for a resolution of 0 or below. */
TESSADOX_API long long tessadox_plotting_steps(const tessadox_options* options);

/* Draws the picture of `checksum`: raw bytes, as the command reads them on
 * standard input. The first tessadox_checksum_bytes(options) bytes count;
 * bytes missing from `length` count as 0, and so does every byte that is no
 * hexadecimal digit. On success *picture holds the new picture and the call
 * answers 0; otherwise *picture is NULL and the call answers a negative
 * TESSADOX_E_* code. `checksum` may be NULL when `length` is 0. */
TESSADOX_API int tessadox_draw(const char* checksum, size_t length, const tessadox_options* options,
                               tessadox_picture** picture);

/* Told how far a draw is: steps done of the plotting steps in all. */
typedef void (*tessadox_progress_fn)(long long steps_done, long long steps, void* context);

/* As tessadox_draw, and calls `progress` (when not NULL) now and then with
 * `context`, always on the calling thread. */
TESSADOX_API int tessadox_draw_with_progress(const char* checksum, size_t length,
                                             const tessadox_options* options,
                                             tessadox_progress_fn progress, void* context,
                                             tessadox_picture** picture);

/* The picture's width and height, R. */
TESSADOX_API int tessadox_picture_size(const tessadox_picture* picture);

/* The picture's R*R*3 bytes: red, green and blue of each pixel, row by row,
 * the top row first. Owned by the picture. */
TESSADOX_API const unsigned char* tessadox_picture_pixels(const tessadox_picture* picture);

/* Releases the picture; NULL is allowed. */
TESSADOX_API void tessadox_picture_free(tessadox_picture* picture);

/* Whether the PNG library would refuse to encode the picture with these
 * options: 0, or TESSADOX_E_PNG_WARNING for a transparent background whose
 * low 16 bits lie above 255. Encodes nothing. */
TESSADOX_API int tessadox_check_png(const tessadox_picture* picture,
                                    const tessadox_options* options);

/* Encodes the picture as PNG bytes, with the background, transparency and
 * colour order of `options`: the very bytes that the command writes. On
 * success *png holds them (release with tessadox_free_png) and *png_size
 * their number; otherwise *png is NULL and *png_size 0. */
TESSADOX_API int tessadox_encode_png(const tessadox_picture* picture,
                                     const tessadox_options* options, unsigned char** png,
                                     size_t* png_size);

/* Releases bytes from tessadox_encode_png; NULL is allowed. */
TESSADOX_API void tessadox_free_png(unsigned char* png);

/* Writes the PNG bytes to `out`, through stdio: what the stream still holds
 * in its buffer is the caller's to flush and check, as after fwrite. On a
 * failed write the call answers TESSADOX_E_PNG_ERROR, and what was written
 * before stays written. */
TESSADOX_API int tessadox_write_png(const tessadox_picture* picture,
                                    const tessadox_options* options, FILE* out);

/* As tessadox_write_png, and on TESSADOX_E_PNG_ERROR copies the PNG
 * library's own message ("Write Error", say) into `message`, cut to
 * `message_size` bytes with its terminating NUL; "" on any other answer. */
TESSADOX_API int tessadox_write_png_with_message(const tessadox_picture* picture,
                                                 const tessadox_options* options, FILE* out,
                                                 char* message, size_t message_size);

/* A fixed English sentence for each code, and one for any other value. */
TESSADOX_API const char* tessadox_error_text(int code);

/* "2.1": the version of the library that is running. */
TESSADOX_API const char* tessadox_version(void);

#ifdef __cplusplus
}
#endif

#endif
