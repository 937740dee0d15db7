/* The places of the options in the flat array that tessadox_web_draw and
 * tessadox_web_encode_png read. web/src/module.js writes them in this order
 * and checks their number against tessadox_web_field_count(). */
#ifndef TESSADOX_WEB_API_H
#define TESSADOX_WEB_API_H

enum tessadox_web_field {
    tessadox_web_resolution,
    tessadox_web_background,
    tessadox_web_intensity,
    tessadox_web_checksum_length,
    tessadox_web_color_mode,
    tessadox_web_flip_bgr,
    tessadox_web_transparent,
    tessadox_web_seed_low,
    tessadox_web_seed_high,
    tessadox_web_field_count_
};

#endif
