// A draw source for the random steps that answers scripted values while the
// script lasts, and a seeded random_stream's after that; it counts every draw.
#pragma once

#include <cstdint>
#include <deque>
#include <initializer_list>

#include "random_stream.hpp"

struct scripted_draws {
    std::deque<std::uint32_t> script;
    random_stream rest{1700000000};
    long calls = 0;

    std::uint32_t operator()() {
        ++calls;
        if (script.empty()) {
            return rest();
        }
        const std::uint32_t value = script.front();
        script.pop_front();
        return value;
    }

    void then(std::initializer_list<std::uint32_t> values) {
        script.insert(script.end(), values);
    }

    void then_repeat(std::uint32_t value, int times) {
        script.insert(script.end(), static_cast<std::size_t>(times), value);
    }
};
