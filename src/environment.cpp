#include "environment.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

bool seed_of_epoch(const char* text, unsigned* seed) {
    constexpr std::uint64_t latest = 253402300799; // 9999-12-31 23:59:59 UTC
    std::uint64_t seconds = 0;
    const char* digit = text;
    for (; *digit >= '0' && *digit <= '9'; ++digit) {
        seconds = seconds * 10 + static_cast<std::uint64_t>(*digit - '0');
        if (seconds > latest) {
            return false;
        }
    }
    if (digit == text || *digit != '\0') {
        return false;
    }
    *seed = static_cast<unsigned>(seconds);
    return true;
}

unsigned run_seed(const char* source_date_epoch, std::time_t now) {
    if (source_date_epoch == nullptr || *source_date_epoch == '\0') {
        // Runs within one second give identical bytes.
        return static_cast<unsigned>(now);
    }
    unsigned seed;
    if (!seed_of_epoch(source_date_epoch, &seed)) {
        std::fprintf(stderr,
                     "tessadox: SOURCE_DATE_EPOCH must be a non-negative decimal integer of "
                     "seconds, not '%s'\n",
                     source_date_epoch);
        std::exit(1);
    }
    return seed;
}
