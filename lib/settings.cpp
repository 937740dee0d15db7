#include "settings.hpp"

namespace {

bool is_flag(int value) {
    return value == 0 || value == 1;
}

} // namespace

unsigned tessadox_clamp_options(tessadox_options* options) {
    unsigned changed = 0;
    if (options->resolution > max_resolution) {
        options->resolution = max_resolution;
        changed |= TESSADOX_LOWERED_RESOLUTION;
    }
    // Too long falls back to md5's 32, as does too short: fewer than 8
    // characters would leave no map to choose from.
    if (options->checksum_length > max_checksum_length) {
        options->checksum_length = 32;
        changed |= TESSADOX_LOWERED_CHECKSUM_LENGTH;
    } else if (options->checksum_length < 8) {
        options->checksum_length = 32;
        changed |= TESSADOX_RAISED_CHECKSUM_LENGTH;
    }
    return changed;
}

bool options_in_range(const tessadox_options& options) {
    return (options.color_mode == color_gray || options.color_mode == color_mixed ||
            options.color_mode == color_areas) &&
           is_flag(options.flip_bgr) && is_flag(options.transparent) && options.threads >= 0 &&
           options.threads <= TESSADOX_MAX_THREADS;
}

settings settings_of(tessadox_options options) {
    tessadox_clamp_options(&options);
    settings run;
    run.resolution = options.resolution;
    run.background = options.background;
    run.intensity = options.intensity;
    run.checksum_length = options.checksum_length;
    run.map_count = options.checksum_length / 8;
    run.color_mode = options.color_mode;
    run.flip_bgr = options.flip_bgr;
    run.transparent = options.transparent;
    return run;
}
