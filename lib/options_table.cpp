#include "options_table.hpp"

#include <climits>

namespace {

constexpr long long int_lowest = INT_MIN;
constexpr long long int_highest = INT_MAX;
constexpr std::nullopt_t refused = std::nullopt;

// In option number order, from TESSADOX_RESOLUTION on.
constexpr std::array<option_rule, option_count> rules{{
    // The command lowers a resolution above the largest rather than refusing it.
    {"resolution", 300, 1, 1000, refused, 1000},
    {"background", 0, int_lowest, int_highest, refused, refused},
    {"intensity", 30, int_lowest, int_highest, refused, refused},
    // Too long falls back to md5's 32, as does too short: fewer than 8
    // characters would leave no map to choose from.
    {"checksum_length", 32, 8, 128, 32, 32, true},
    {"color_mode",
     TESSADOX_MIXED,
     TESSADOX_GRAY,
     TESSADOX_AREAS,
     refused,
     refused,
     false,
     {"gray", "mixed", "areas"}},
    {"flip_bgr", 0, 0, 1, refused, refused},
    {"transparent", 0, 0, 1, refused, refused},
    {"seed", 0, 0, LLONG_MAX, refused, refused},
    {"threads", 0, 0, 256, refused, refused},
    {"max_steps", 0, 0, LLONG_MAX, refused, refused},
}};

} // namespace

const option_rule* rule_of(int option) {
    return option >= 1 && option <= option_count ? &rules[option - 1] : nullptr;
}

int option_named(std::string_view name) {
    for (int option = 1; option <= option_count; ++option) {
        if (rules[option - 1].name == name) {
            return option;
        }
    }
    return TESSADOX_E_UNKNOWN_OPTION;
}

option_values default_option_values() {
    option_values values;
    for (int option = 1; option <= option_count; ++option) {
        values.value[option] = rules[option - 1].default_value;
    }
    return values;
}

int set_option(option_values* values, int option, long long value) {
    const option_rule* rule = rule_of(option);
    if (rule == nullptr) {
        return TESSADOX_E_UNKNOWN_OPTION;
    }
    if ((value >= rule->lowest && value <= rule->highest) ||
        (value == 0 && rule->zero_is_own_length)) {
        values->value[option] = value;
        return TESSADOX_OK;
    }
    const std::optional<long long> instead = value < rule->lowest ? rule->below : rule->above;
    if (!instead) {
        return TESSADOX_E_RANGE;
    }
    values->value[option] = *instead;
    return TESSADOX_CLAMPED;
}
