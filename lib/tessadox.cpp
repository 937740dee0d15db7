// The public C API: options in, a picture out, PNG bytes from it. Each call
// checks its arguments, turns the engine's failures into codes, and lets no
// C++ exception out.
#include "tessadox/tessadox.h"

#include <cstdlib>
#include <new>
#include <string_view>

#include "fingerprint.hpp"
#include "png_output.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "settings.hpp"

struct tessadox_picture {
    picture drawn;
};

namespace {

png_look look_of(const tessadox_options& options) {
    return png_look{options.background, options.transparent == 1, options.flip_bgr == 1};
}

// This header's progress function answers nothing: it never stops a draw.
struct progress_listener {
    tessadox_progress_fn report;
    void* context;
};

int tell_listener(long long steps_done, long long steps, void* context) {
    const progress_listener* listener = static_cast<const progress_listener*>(context);
    listener->report(steps_done, steps, listener->context);
    return 0;
}

bool can_encode(const tessadox_picture* picture, const tessadox_options* options) {
    return picture != nullptr && options != nullptr && options_in_range(*options);
}

} // namespace

tessadox_options tessadox_default_options(void) {
    const settings defaults;
    tessadox_options options{};
    options.resolution = defaults.resolution;
    options.background = defaults.background;
    options.intensity = defaults.intensity;
    options.checksum_length = defaults.checksum_length;
    options.color_mode = defaults.color_mode;
    options.flip_bgr = defaults.flip_bgr;
    options.transparent = defaults.transparent;
    options.seed = 0;
    options.threads = 0;
    return options;
}

int tessadox_checksum_bytes(const tessadox_options* options) {
    return options == nullptr ? 0 : 8 * settings_of(*options).map_count;
}

long long tessadox_plotting_steps(const tessadox_options* options) {
    return options == nullptr ? 0 : plotting_steps(settings_of(*options));
}

int tessadox_draw(const char* checksum, std::size_t length, const tessadox_options* options,
                  tessadox_picture** picture) {
    return tessadox_draw_with_progress(checksum, length, options, nullptr, nullptr, picture);
}

int tessadox_draw_with_progress(const char* checksum, std::size_t length,
                                const tessadox_options* options, tessadox_progress_fn progress,
                                void* context, tessadox_picture** picture) {
    if (picture == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    *picture = nullptr;
    if (options == nullptr || (checksum == nullptr && length > 0) || !options_in_range(*options)) {
        return TESSADOX_E_ARGUMENT;
    }
    const settings run = settings_of(*options);
    if (run.resolution < 1) {
        return TESSADOX_E_RESOLUTION;
    }
    try {
        const std::string_view characters =
            checksum == nullptr ? std::string_view{} : std::string_view(checksum, length);
        const std::vector<affine_map> maps = build_maps(digit_groups_of(characters, run.map_count));
        // The clock's seed: the generator keeps the seconds modulo 2^32.
        random_stream draws(static_cast<unsigned>(options->seed));
        const thread_plan plan = plan_threads(options->threads, plotting_steps(run));
        progress_listener listener{progress, context};
        const progress_report report =
            progress == nullptr ? progress_report{} : progress_report{tell_listener, &listener};
        *picture = new tessadox_picture{render(run, maps, draws, plan, report)};
    } catch (const std::bad_alloc&) {
        return TESSADOX_E_NO_MEMORY;
    }
    return TESSADOX_OK;
}

int tessadox_picture_size(const tessadox_picture* picture) {
    return picture == nullptr ? 0 : picture->drawn.resolution;
}

const unsigned char* tessadox_picture_pixels(const tessadox_picture* picture) {
    return picture == nullptr ? nullptr : picture->drawn.image.data();
}

void tessadox_picture_free(tessadox_picture* picture) {
    delete picture;
}

int tessadox_check_png(const tessadox_picture* picture, const tessadox_options* options) {
    if (!can_encode(picture, options)) {
        return TESSADOX_E_ARGUMENT;
    }
    return png_refuses(picture->drawn.resolution, options->transparent == 1, options->background)
               ? TESSADOX_E_PNG_WARNING
               : TESSADOX_OK;
}

int tessadox_encode_png(const tessadox_picture* picture, const tessadox_options* options,
                        unsigned char** png, std::size_t* png_size) {
    if (png == nullptr || png_size == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    *png = nullptr;
    *png_size = 0;
    if (!can_encode(picture, options)) {
        return TESSADOX_E_ARGUMENT;
    }
    png_bytes bytes;
    png_failure failure;
    int code;
    try {
        code = encode_png(picture->drawn, look_of(*options), &bytes, &failure);
    } catch (const std::bad_alloc&) {
        code = TESSADOX_E_NO_MEMORY;
    }
    if (code != TESSADOX_OK) {
        std::free(bytes.data);
        return code;
    }
    *png = bytes.data;
    *png_size = bytes.size;
    return TESSADOX_OK;
}

void tessadox_free_png(unsigned char* png) {
    std::free(png);
}

int tessadox_write_png(const tessadox_picture* picture, const tessadox_options* options,
                       FILE* out) {
    return tessadox_write_png_with_message(picture, options, out, nullptr, 0);
}

int tessadox_write_png_with_message(const tessadox_picture* picture,
                                    const tessadox_options* options, FILE* out, char* message,
                                    std::size_t message_size) {
    if (message != nullptr && message_size > 0) {
        *message = '\0';
    }
    if (!can_encode(picture, options) || out == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    png_failure failure;
    int code;
    try {
        code = write_png(picture->drawn, look_of(*options), out, &failure);
    } catch (const std::bad_alloc&) {
        return TESSADOX_E_NO_MEMORY;
    }
    if (code == TESSADOX_E_PNG_ERROR && message != nullptr && message_size > 0) {
        std::snprintf(message, message_size, "%s", failure.message);
    }
    return code;
}

const char* tessadox_error_text(int code) {
    switch (code) {
    case TESSADOX_OK:
        return "no error";
    case TESSADOX_E_ARGUMENT:
        return "an argument is a null pointer or an option lies outside its range";
    case TESSADOX_E_RESOLUTION:
        return "the resolution is 0 or below: a picture needs at least one pixel";
    case TESSADOX_E_NO_MEMORY:
        return "there is not enough memory for the picture";
    case TESSADOX_E_PNG_ERROR:
        return "the PNG library failed while writing the picture";
    case TESSADOX_E_PNG_WARNING:
        return "the PNG library refused the settings: a transparent background must lie "
               "between 0 and 255";
    case TESSADOX_E_PNG_WRITE_STRUCT:
        return "the PNG library could not create its write structure";
    case TESSADOX_E_PNG_INFO_STRUCT:
        return "the PNG library could not create its info structure";
    default:
        return "unknown error code";
    }
}

const char* tessadox_version(void) {
    return TESSADOX_VERSION_STRING;
}
