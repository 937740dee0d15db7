#include "scripted_rand.hpp"

#include <dlfcn.h>

#include <deque>

namespace {
std::deque<int> script;
long calls = 0;

int real_rand() {
    using rand_function = int (*)();
    static const auto real = reinterpret_cast<rand_function>(dlsym(RTLD_NEXT, "rand"));
    return real();
}
} // namespace

// Defined in the test executable, so every call of rand() in the library
// linked into it lands here.
extern "C" int rand() noexcept {
    ++calls;
    if (script.empty()) {
        return real_rand();
    }
    const int value = script.front();
    script.pop_front();
    return value;
}

void script_rand(std::initializer_list<int> values) {
    script.insert(script.end(), values);
}

void script_rand_repeat(int value, int times) {
    script.insert(script.end(), static_cast<std::size_t>(times), value);
}

long rand_calls() {
    return calls;
}

void reset_rand() {
    script.clear();
    calls = 0;
}
