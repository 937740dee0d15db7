// Takes the place of the C library's rand() in the unit tests: it counts
// every call, and answers scripted values while a script lasts, the real
// sequence after that.
#pragma once

#include <initializer_list>

void script_rand(std::initializer_list<int> values);
void script_rand_repeat(int value, int times); // appends `times` copies of value
long rand_calls();                             // since the last reset_rand
void reset_rand();                             // drops the script, zeroes the count
