// The run's random numbers: an additive feedback generator over 31 words of
// 32 bits, seeded and drawn exactly as the C library's srand() and rand() are
// on glibc, so that a seed gives the same pictures as it always has, on every
// platform and without the lock that rand() takes on every call.
//
// The generator is a plain value: copy it and both copies go on with the same
// sequence. discard(n) jumps n draws ahead in O(log n), which lets threads
// start their share of a run where it begins.
#pragma once

#include <array>
#include <cstdint>

struct random_stream {
    using result_type = std::uint32_t;

    // Each sum adds the sums `lag` and `short_lag` places before it.
    static constexpr int lag = 31;
    static constexpr int short_lag = 3;
    static constexpr int block = 480; // sums made per refill, a multiple of short_lag

    // sums[0 .. lag-1] are the lag sums before sums[lag]; the draws come
    // from sums[lag] on, each sum shifted right by one.
    std::array<std::uint32_t, lag + block> sums;
    int next; // index in sums of the next draw

    explicit random_stream(unsigned seed = 1) {
        this->seed(seed);
    }

    // Seeds as srand(value) does: the words from the seed by the minimal
    // standard generator, then the first 310 sums thrown away.
    void seed(unsigned value);

    // Skips the next n draws, as n calls would.
    void discard(std::uint64_t n);

    static constexpr result_type min() {
        return 0;
    }
    static constexpr result_type max() {
        return 0x7fffffff;
    }

    result_type operator()() {
        if (next == lag + block) {
            refill();
        }
        return sums[next++] >> 1;
    }

    // For loops that take many draws at once, with no test and no call in
    // between: the sums that the next draws come from (a draw is its sum
    // shifted right by one) up to the end of the block, of which such a loop
    // then says how many it took. None are ready when the block is used up:
    // a call of the generator refills it.
    const std::uint32_t* ready() const {
        return &sums[next];
    }
    int ready_count() const {
        return lag + block - next;
    }
    void take(int count) {
        next += count;
    }

    // Makes the next block of sums from the last lag of the block before.
    void refill();
};
