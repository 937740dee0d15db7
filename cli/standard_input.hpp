// Reading the checksum from standard input.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// Reads `count` bytes from `input`, standard input, and not a byte more,
// waiting for input that is not there yet; returns those that arrived
// before the end of input. A read error ends the process with a message and
// status 1.
std::string read_checksum(std::FILE* input, std::size_t count);

// The characters after those read that `input` already holds in its buffer,
// at hand without another read (none where the C library does not tell).
std::string_view characters_at_hand(std::FILE* input);
