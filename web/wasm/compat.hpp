// What the engine uses of C++20 and emscripten's libc++ (version 13) lacks.
// The WebAssembly build includes this before every source of the engine; the
// native build never sees it.
#pragma once

#include <version>

#ifndef __cpp_lib_bit_cast
namespace std {
template <class To, class From> constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif
