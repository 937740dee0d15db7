// Advice on standard error when the input suggests a mistake: a checksum of
// another length than the one read, a line that is no plain checksum, or no
// input piped in at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// One line of advice starting "tessadox: ", without its newline, or nothing.
// `read` holds the characters that the run read (fewer than the length in
// use only when the input ended); `following` the characters after them
// that were already at hand without another read, possibly none;
// `checksum_length` the -l in use. The first that applies wins: standard
// input is a terminal, the input is empty, a longer or shorter -l fits the
// checksum, the input is no hexadecimal checksum.
std::optional<std::string> input_hint(std::string_view read, std::string_view following,
                                      int checksum_length, bool input_is_terminal);
