#include "settings.hpp"

#include <algorithm>
#include <cctype>

#include "plotting.hpp"

int own_checksum_length(std::string_view checksum) {
    const auto digits = std::find_if_not(
        checksum.begin(),
        checksum.begin() + std::min<std::size_t>(checksum.size(), max_checksum_length),
        [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
    const int length = static_cast<int>(digits - checksum.begin()) / 8 * 8;
    return std::max(length, 8);
}

option_values resolved_for(option_values options, std::string_view checksum) {
    if (options[TESSADOX_CHECKSUM_LENGTH] == 0) {
        options.value[TESSADOX_CHECKSUM_LENGTH] = own_checksum_length(checksum);
    }
    return options;
}

settings settings_of(const option_values& options) {
    settings run;
    run.resolution = static_cast<int>(options[TESSADOX_RESOLUTION]);
    run.background = static_cast<int>(options[TESSADOX_BACKGROUND]);
    run.intensity = static_cast<int>(options[TESSADOX_INTENSITY]);
    run.checksum_length = static_cast<int>(options[TESSADOX_CHECKSUM_LENGTH]);
    run.map_count = run.checksum_length / 8;
    run.color_mode = static_cast<int>(options[TESSADOX_COLOR_MODE]);
    run.flip_bgr = static_cast<int>(options[TESSADOX_FLIP_BGR]);
    run.transparent = static_cast<int>(options[TESSADOX_TRANSPARENT]);
    return run;
}

long long plotting_steps_of(const option_values& options) {
    // The number of steps does not depend on the checksum length.
    option_values any_length = options;
    any_length.value[TESSADOX_CHECKSUM_LENGTH] = max_checksum_length;
    return plotting_steps(settings_of(any_length));
}
