/* The entry points that the JavaScript side calls. tessadox_options is a
 * struct whose 64-bit seed has its own alignment, so the script hands the
 * options over as a flat array of ints instead, in the order of
 * tessadox_web_field; the seed comes as its low and high 32 bits. */
#include <emscripten.h>

#include "tessadox/tessadox.h"
#include "web_api.h"

static tessadox_options options_from(const int* values) {
    tessadox_options options = tessadox_default_options();
    options.resolution = values[tessadox_web_resolution];
    options.background = values[tessadox_web_background];
    options.intensity = values[tessadox_web_intensity];
    options.checksum_length = values[tessadox_web_checksum_length];
    options.color_mode = values[tessadox_web_color_mode];
    options.flip_bgr = values[tessadox_web_flip_bgr];
    options.transparent = values[tessadox_web_transparent];
    options.seed = (unsigned long long)(unsigned)values[tessadox_web_seed_high] << 32 |
                   (unsigned)values[tessadox_web_seed_low];
    /* This build has no threads: the engine must never try to start one. */
    options.threads = 1;
    return options;
}

EMSCRIPTEN_KEEPALIVE int tessadox_web_field_count(void) {
    return tessadox_web_field_count_;
}

EMSCRIPTEN_KEEPALIVE int tessadox_web_draw(const char* checksum, size_t length, const int* values,
                                           tessadox_picture** picture) {
    const tessadox_options options = options_from(values);
    return tessadox_draw(checksum, length, &options, picture);
}

EMSCRIPTEN_KEEPALIVE int tessadox_web_encode_png(const tessadox_picture* picture, const int* values,
                                                 unsigned char** png, size_t* png_size) {
    const tessadox_options options = options_from(values);
    return tessadox_encode_png(picture, &options, png, png_size);
}
