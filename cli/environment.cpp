#include "environment.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tessadox/tessadox.h"

namespace {

// A decimal integer from 0 to `largest`, digits only.
bool decimal_up_to(const char* text, std::uint64_t largest, std::uint64_t* value) {
    std::uint64_t number = 0;
    const char* digit = text;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        number = number * 10 + static_cast<std::uint64_t>(*digit - '0');
        if (number > largest) {
            return false;
        }
    }
    if (digit == text || *digit != '\0') {
        return false;
    }
    *value = number;
    return true;
}

bool set_and_not_empty(const char* value) {
    return value != nullptr && *value != '\0';
}

[[noreturn]] void refuse(const char* variable, const char* must_be, const char* value) {
    std::fprintf(stderr, "tessadox: %s must be %s, not '%s'\n", variable, must_be, value);
    std::exit(1);
}

} // namespace

bool seed_of_epoch(const char* text, unsigned* seed) {
    constexpr std::uint64_t latest = 253402300799; // 9999-12-31 23:59:59 UTC
    std::uint64_t seconds;
    if (!decimal_up_to(text, latest, &seconds)) {
        return false;
    }
    *seed = static_cast<unsigned>(seconds);
    return true;
}

unsigned run_seed(const char* source_date_epoch, std::time_t now) {
    if (!set_and_not_empty(source_date_epoch)) {
        // Runs within one second give identical bytes.
        return static_cast<unsigned>(now);
    }
    unsigned seed;
    if (!seed_of_epoch(source_date_epoch, &seed)) {
        refuse("SOURCE_DATE_EPOCH", "a non-negative decimal integer of seconds", source_date_epoch);
    }
    return seed;
}

static long long most_threads() {
    long long highest = 0;
    tessadox_option_range(TESSADOX_THREADS, nullptr, nullptr, &highest);
    return highest;
}

bool threads_of(const char* text, int* threads) {
    std::uint64_t count;
    if (!decimal_up_to(text, static_cast<std::uint64_t>(most_threads()), &count) || count == 0) {
        return false;
    }
    *threads = static_cast<int>(count);
    return true;
}

int requested_threads(const char* tessadox_threads) {
    if (!set_and_not_empty(tessadox_threads)) {
        return 0;
    }
    int threads;
    if (!threads_of(tessadox_threads, &threads)) {
        const std::string must_be = "a decimal integer from 1 to " + std::to_string(most_threads());
        refuse("TESSADOX_THREADS", must_be.c_str(), tessadox_threads);
    }
    return threads;
}
