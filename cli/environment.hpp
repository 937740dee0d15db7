// What a run takes from its environment rather than its command line.
#pragma once

#include <ctime>

// Reads SOURCE_DATE_EPOCH, the reproducible-builds convention: a
// non-negative decimal integer of seconds, at most 253402300799 (the last
// second of the year 9999), with nothing before or after the digits. True,
// with the seed that the clock would give at that second (the value modulo
// 2^32), for such a text; false for any other.
bool seed_of_epoch(const char* text, unsigned* seed);

// The seed of the run: SOURCE_DATE_EPOCH's second when the variable is set
// and not empty, else `now`. A malformed value is refused on standard error
// and ends the process with status 1.
unsigned run_seed(const char* source_date_epoch, std::time_t now);

// Reads TESSADOX_THREADS: true, with the count, for a decimal integer from 1
// to the library's most threads with nothing before or after the digits;
// false for any other text.
bool threads_of(const char* text, int* threads);

// The number of threads that TESSADOX_THREADS asks for, or 0 when it is
// unset or empty and the machine decides. A malformed value is refused on
// standard error and ends the process with status 1.
int requested_threads(const char* tessadox_threads);
