// The public C API: options in, a picture out, PNG bytes from it. Each call
// checks its arguments, turns the engine's failures into codes, and lets no
// C++ exception out.
#include "tessadox/tessadox.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "fingerprint.hpp"
#include "options_table.hpp"
#include "png_output.hpp"
#include "random_stream.hpp"
#include "render.hpp"
#include "settings.hpp"

struct tessadox_options {
    option_values values;
};

struct tessadox_picture {
    picture drawn;
    option_values options; // as the draw resolved them
};

namespace {

png_look look_of(const option_values& options) {
    return png_look{static_cast<int>(options[TESSADOX_BACKGROUND]),
                    options[TESSADOX_TRANSPARENT] == 1};
}

// Why a draw with these options would be refused before it starts, or OK.
int refusal_of(const option_values& options) {
    if (png_refuses(static_cast<int>(options[TESSADOX_RESOLUTION]),
                    options[TESSADOX_TRANSPARENT] == 1,
                    static_cast<int>(options[TESSADOX_BACKGROUND]))) {
        return TESSADOX_E_TRANSPARENT_BACKGROUND;
    }
    const long long bound = options[TESSADOX_MAX_STEPS];
    if (bound > 0 && plotting_steps_of(options) > bound) {
        return TESSADOX_E_TOO_MUCH_WORK;
    }
    return TESSADOX_OK;
}

tessadox_picture* draw_picture(std::string_view checksum, const option_values& given,
                               tessadox_progress_fn progress, void* context) {
    const option_values options = resolved_for(given, checksum);
    const settings run = settings_of(options);
    const std::vector<affine_map> maps = build_maps(digit_groups_of(checksum, run.map_count));
    // The generator keeps the seconds modulo 2^32.
    random_stream draws(static_cast<unsigned>(options[TESSADOX_SEED]));
    const thread_plan plan =
        plan_threads(static_cast<int>(options[TESSADOX_THREADS]), plotting_steps(run));
    picture drawn = render(run, maps, draws, plan, {progress, context});
    if (run.flip_bgr == 1) {
        flip_to_bgr(&drawn);
    }
    return new tessadox_picture{std::move(drawn), options};
}

} // namespace

tessadox_options* tessadox_options_new(void) {
    return new (std::nothrow) tessadox_options{default_option_values()};
}

tessadox_options* tessadox_options_copy(const tessadox_options* options) {
    return options == nullptr ? nullptr : new (std::nothrow) tessadox_options{*options};
}

void tessadox_options_free(tessadox_options* options) {
    delete options;
}

int tessadox_options_set(tessadox_options* options, int option, long long value) {
    return options == nullptr ? TESSADOX_E_ARGUMENT : set_option(&options->values, option, value);
}

int tessadox_options_get(const tessadox_options* options, int option, long long* value) {
    if (options == nullptr || value == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    if (rule_of(option) == nullptr) {
        return TESSADOX_E_UNKNOWN_OPTION;
    }
    *value = options->values[option];
    return TESSADOX_OK;
}

int tessadox_option_by_name(const char* name) {
    return name == nullptr ? TESSADOX_E_ARGUMENT : option_named(name);
}

const char* tessadox_option_name(int option) {
    const option_rule* rule = rule_of(option);
    return rule == nullptr ? nullptr : rule->name.data();
}

int tessadox_option_range(int option, long long* default_value, long long* lowest,
                          long long* highest) {
    const option_rule* rule = rule_of(option);
    if (rule == nullptr) {
        return TESSADOX_E_UNKNOWN_OPTION;
    }
    if (default_value != nullptr) {
        *default_value = rule->default_value;
    }
    if (lowest != nullptr) {
        *lowest = rule->lowest;
    }
    if (highest != nullptr) {
        *highest = rule->highest;
    }
    return TESSADOX_OK;
}

int tessadox_option_value_by_name(int option, const char* name, long long* value) {
    const option_rule* rule = rule_of(option);
    if (rule == nullptr) {
        return TESSADOX_E_UNKNOWN_OPTION;
    }
    if (name == nullptr || value == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    for (std::size_t i = 0; i < rule->value_names.size(); ++i) {
        if (!rule->value_names[i].empty() && rule->value_names[i] == name) {
            *value = static_cast<long long>(i);
            return TESSADOX_OK;
        }
    }
    return TESSADOX_E_RANGE;
}

const char* tessadox_option_value_name(int option, long long value) {
    const option_rule* rule = rule_of(option);
    if (rule == nullptr || value < 0 || value >= static_cast<long long>(rule->value_names.size()) ||
        rule->value_names[value].empty()) {
        return nullptr;
    }
    return rule->value_names[value].data();
}

int tessadox_checksum_bytes(const tessadox_options* options) {
    if (options == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    const long long length = options->values[TESSADOX_CHECKSUM_LENGTH];
    return 8 * static_cast<int>((length == 0 ? max_checksum_length : length) / 8);
}

int tessadox_plotting_steps(const tessadox_options* options, long long* steps) {
    if (options == nullptr || steps == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    *steps = plotting_steps_of(options->values);
    return TESSADOX_OK;
}

int tessadox_draw(const void* checksum, std::size_t length, const tessadox_options* options,
                  tessadox_progress_fn progress, void* context, tessadox_picture** picture) {
    if (picture == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    *picture = nullptr;
    if (options == nullptr || (checksum == nullptr && length > 0)) {
        return TESSADOX_E_ARGUMENT;
    }
    const int refusal = refusal_of(options->values);
    if (refusal != TESSADOX_OK) {
        return refusal;
    }
    const std::string_view characters =
        checksum == nullptr ? std::string_view{}
                            : std::string_view(static_cast<const char*>(checksum), length);
    try {
        *picture = draw_picture(characters, options->values, progress, context);
    } catch (const std::bad_alloc&) {
        return TESSADOX_E_NO_MEMORY;
    } catch (const draw_stopped&) {
        return TESSADOX_E_STOPPED;
    }
    return TESSADOX_OK;
}

int tessadox_picture_size(const tessadox_picture* picture) {
    return picture == nullptr ? 0 : picture->drawn.resolution;
}

const unsigned char* tessadox_picture_pixels(const tessadox_picture* picture) {
    return picture == nullptr ? nullptr : picture->drawn.image.data();
}

int tessadox_picture_option(const tessadox_picture* picture, int option, long long* value) {
    if (picture == nullptr || value == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    if (rule_of(option) == nullptr) {
        return TESSADOX_E_UNKNOWN_OPTION;
    }
    *value = picture->options[option];
    return TESSADOX_OK;
}

void tessadox_picture_free(tessadox_picture* picture) {
    delete picture;
}

int tessadox_encode_png(const tessadox_picture* picture, unsigned char** png,
                        std::size_t* png_size) {
    if (png == nullptr || png_size == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    *png = nullptr;
    *png_size = 0;
    if (picture == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    png_bytes bytes;
    png_failure failure;
    int code;
    try {
        code = encode_png(picture->drawn, look_of(picture->options), &bytes, &failure);
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

void tessadox_png_free(unsigned char* png) {
    std::free(png);
}

int tessadox_write_png(const tessadox_picture* picture, FILE* out) {
    return tessadox_write_png_with_message(picture, out, nullptr, 0);
}

int tessadox_write_png_with_message(const tessadox_picture* picture, FILE* out, char* message,
                                    std::size_t message_size) {
    if (message != nullptr && message_size > 0) {
        *message = '\0';
    }
    if (picture == nullptr || out == nullptr) {
        return TESSADOX_E_ARGUMENT;
    }
    png_failure failure;
    int code;
    try {
        code = write_png(picture->drawn, look_of(picture->options), out, &failure);
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
    case TESSADOX_CLAMPED:
        return "the value was replaced by the nearest one the option takes";
    case TESSADOX_E_ARGUMENT:
        return "an argument is a null pointer";
    case TESSADOX_E_UNKNOWN_OPTION:
        return "no option has that number or name";
    case TESSADOX_E_RANGE:
        return "the value lies outside the option's range";
    case TESSADOX_E_TRANSPARENT_BACKGROUND:
        return "a transparent background must lie between 0 and 255";
    case TESSADOX_E_NO_MEMORY:
        return "there is not enough memory for the picture";
    case TESSADOX_E_STOPPED:
        return "the draw was stopped";
    case TESSADOX_E_TOO_MUCH_WORK:
        return "the picture takes more plotting steps than max_steps allows";
    case TESSADOX_E_PNG_ERROR:
        return "the PNG library failed while writing the picture";
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
