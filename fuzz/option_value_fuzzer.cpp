// The option-value scan on arbitrary text, against an independent reading:
// strtoll says where the number ends and whether it fits, and a "%d" scan,
// the classic reading of an option value, must agree wherever it is defined.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "options.hpp"

namespace {

void check(bool condition, const char* what, const std::string& text) {
    if (!condition) {
        std::fprintf(stderr, "option value [%s]: %s\n", text.c_str(), what);
        std::abort();
    }
}

bool is_blank(const char* text) {
    while (std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    return *text == '\0';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An argument cannot hold a NUL byte: the text ends at the first one.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* value = text.c_str();

    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value, &end, 10);
    const bool no_number = end == value;
    const bool fits = errno != ERANGE && number >= INT_MIN && number <= INT_MAX;
    int classic = 0;
    const int classic_result = std::sscanf(value, "%d", &classic);

    // Two different starting values, so that "unchanged" cannot pass by chance.
    for (const int before : {20240601, -7}) {
        int setting = before;
        const bool accepted = scan_option_value(value, &setting);
        if (is_blank(value)) {
            check(classic_result == EOF, "blank text, yet the classic scan read something", text);
            check(accepted && setting == before, "blank text must be accepted unchanged", text);
        } else if (no_number) {
            check(classic_result == 0, "no number, yet the classic scan read one", text);
            check(!accepted && setting == before, "text without a number must be refused", text);
        } else if (!fits) {
            check(!accepted && setting == before, "a number past the int range must be refused",
                  text);
        } else {
            check(classic_result == 1 && classic == number, "the classic scan disagrees", text);
            check(accepted && setting == number, "a number in range must be taken", text);
        }
    }
    return 0;
}
