#include "hints.hpp"

#include <algorithm>
#include <cctype>

#include "tessadox/tessadox.h"

namespace {

constexpr int group_size = 8; // characters per map: -l reads whole groups only

const std::string pipe_advice = "e.g. sha256sum FILE | tessadox -l 64 > FILE.png";

bool is_hex_digit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool is_blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t leading_hex_digits(std::string_view text) {
    return static_cast<std::size_t>(std::find_if_not(text.begin(), text.end(), is_hex_digit) -
                                    text.begin());
}

// "NAME (FILE) = CHECKSUM", as checksum tools write with --tag.
bool is_tagged_line(std::string_view text) {
    const auto name_end = std::find_if_not(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
    });
    return name_end != text.begin() && std::string_view(name_end, text.end()).starts_with(" (");
}

// The -l that fits a checksum of `digits` hexadecimal digits whose end has
// been seen, when it reads another number of characters than `read_length`.
std::optional<std::string> length_hint(std::size_t digits, int read_length) {
    long long longest = 0;
    tessadox_option_range(TESSADOX_CHECKSUM_LENGTH, nullptr, nullptr, &longest);
    const int fitting =
        static_cast<int>(std::min<std::size_t>(digits, static_cast<std::size_t>(longest))) /
        group_size * group_size;
    if (fitting < group_size || fitting == read_length) {
        return std::nullopt;
    }
    const std::string length = std::to_string(fitting);
    return "tessadox: the checksum has " + std::to_string(digits) + " hexadecimal digits; -l " +
           length +
           (static_cast<std::size_t>(fitting) == digits ? " reads them all"
                                                        : " reads the first " + length);
}

} // namespace

std::optional<std::string> input_hint(std::string_view read, std::string_view following,
                                      int checksum_length, bool input_is_terminal) {
    if (input_is_terminal) {
        return "tessadox: standard input is a terminal; pipe a checksum in, " + pipe_advice;
    }
    if (read.empty()) {
        return "tessadox: standard input is empty; pipe a checksum in, " + pipe_advice;
    }
    const int read_length = checksum_length / group_size * group_size;
    const std::string text = std::string(read) + std::string(following);
    const std::size_t digits = leading_hex_digits(text);
    // The checksum's end is known where a blank follows it or the input
    // ended, which a read of fewer characters than asked for shows.
    const bool input_ended = read.size() < static_cast<std::size_t>(read_length);
    if (digits < text.size() ? is_blank(text[digits]) : input_ended) {
        if (std::optional<std::string> hint = length_hint(digits, read_length)) {
            return hint;
        }
    }
    if (digits >= read.size() && digits >= group_size) {
        return std::nullopt; // every character read is a digit of the checksum
    }
    if (read.front() == '\\') {
        return "tessadox: the line starts with a backslash, which checksum tools put before an "
               "escaped file name; give the tool the file on standard input, e.g. sha256sum < "
               "FILE";
    }
    if (is_tagged_line(text)) {
        return "tessadox: the input is a tagged line, NAME (FILE) = CHECKSUM; run the checksum "
               "tool without --tag";
    }
    return "tessadox: the input does not start with a hexadecimal checksum; pipe one in, " +
           pipe_advice;
}
