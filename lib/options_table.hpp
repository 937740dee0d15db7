// The options of a draw: one table that says, for each option, its name,
// default, range and what becomes of a value outside the range. Setting,
// reading, naming and the clients' own option names all come from it.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "tessadox/tessadox.h"

inline constexpr int option_count = TESSADOX_MAX_STEPS; // numbers 1 to option_count

struct option_rule {
    std::string_view name;
    long long default_value;
    long long lowest, highest;
    // What is stored instead of a value below `lowest` or above `highest`;
    // none: such a value is refused.
    std::optional<long long> below, above;
    // 0 stands for itself although it lies below `lowest`: the checksum's
    // own length.
    bool zero_is_own_length = false;
    // The names of the values 0, 1, ... where they have names.
    std::array<std::string_view, 3> value_names{};
};

// The rule of option number `option`, or nullptr for a number that is no
// option.
const option_rule* rule_of(int option);

// The number of the option called `name`, or TESSADOX_E_UNKNOWN_OPTION.
int option_named(std::string_view name);

// Every option's value, by number; slot 0 is unused.
struct option_values {
    std::array<long long, option_count + 1> value{};

    long long operator[](int option) const {
        return value[option];
    }
};

option_values default_option_values();

// Stores `value` in `option` by its rule: TESSADOX_OK, TESSADOX_CLAMPED, or
// a refusal that leaves *values as they were.
int set_option(option_values* values, int option, long long value);
