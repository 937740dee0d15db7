#include "random_stream.hpp"

#include <algorithm>
#include <bit>

namespace {

// The number of sums that seeding throws away, as srand() does.
constexpr int sums_thrown_away = 310;

using window = std::array<std::uint32_t, random_stream::lag>;

// Polynomials of degree below lag, coefficients modulo 2^32: coefficient j
// is that of x^j. The sums s[i] = s[i-31] + s[i-3] obey
// x^31 = x^28 + 1, so x^n reduced by that rule tells how the sum n places
// ahead is made of the lag sums of a window.
using polynomial = std::array<std::uint32_t, random_stream::lag>;

polynomial times(const polynomial& p, const polynomial& q) {
    constexpr int lag = random_stream::lag;
    std::array<std::uint32_t, 2 * lag - 1> product{};
    for (int i = 0; i < lag; ++i) {
        for (int j = 0; j < lag; ++j) {
            product[i + j] += p[i] * q[j];
        }
    }
    // x^d = x^(d-3) + x^(d-31), from the highest power down, so that what
    // lands above x^30 is reduced in its turn.
    for (int d = 2 * lag - 2; d >= lag; --d) {
        product[d - random_stream::short_lag] += product[d];
        product[d - lag] += product[d];
    }
    polynomial reduced;
    std::copy_n(product.begin(), lag, reduced.begin());
    return reduced;
}

polynomial times_x(const polynomial& p) {
    polynomial shifted{};
    std::copy_n(p.begin(), random_stream::lag - 1, shifted.begin() + 1);
    const std::uint32_t top = p[random_stream::lag - 1]; // x^31 = x^28 + 1
    shifted[random_stream::lag - random_stream::short_lag] += top;
    shifted[0] += top;
    return shifted;
}

// x^n modulo x^31 - x^28 - 1, by squaring from the highest bit of n down.
polynomial power_of_x(std::uint64_t n) {
    polynomial result{};
    result[0] = 1;
    for (int bit = std::bit_width(n) - 1; bit >= 0; --bit) {
        result = times(result, result);
        if (n >> bit & 1) {
            result = times_x(result);
        }
    }
    return result;
}

// The lag sums that come n places after those of `before`.
window jump(const window& before, std::uint64_t n) {
    constexpr int lag = random_stream::lag;
    // The window and the lag - 1 sums after it: every sum of the new window
    // is the same combination of lag consecutive ones among them.
    std::array<std::uint32_t, 2 * lag - 1> sums;
    std::copy(before.begin(), before.end(), sums.begin());
    for (int i = lag; i < 2 * lag - 1; ++i) {
        sums[i] = sums[i - lag] + sums[i - random_stream::short_lag];
    }
    const polynomial combination = power_of_x(n);
    window after{};
    for (int k = 0; k < lag; ++k) {
        for (int j = 0; j < lag; ++j) {
            after[k] += combination[j] * sums[k + j];
        }
    }
    return after;
}

} // namespace

void random_stream::refill() {
    std::copy(sums.end() - lag, sums.end(), sums.begin());
    // Three running sums, one per residue of the short lag, stay in registers.
    std::uint32_t first = sums[lag - 3], second = sums[lag - 2], third = sums[lag - 1];
    for (int i = lag; i < lag + block; i += short_lag) {
        sums[i] = first += sums[i - lag];
        sums[i + 1] = second += sums[i + 1 - lag];
        sums[i + 2] = third += sums[i + 2 - lag];
    }
    next = lag;
}

void random_stream::seed(unsigned value) {
    // The minimal standard generator, 16807 x modulo 2^31 - 1, computed as
    // srand() computes it: on a signed 32-bit word, which a seed from 2^31 up
    // starts negative, without overflow.
    std::int32_t words[lag];
    words[0] = static_cast<std::int32_t>(value == 0 ? 1 : value);
    for (int i = 1; i < lag; ++i) {
        const std::int64_t high = words[i - 1] / 127773;
        const std::int64_t low = words[i - 1] % 127773;
        std::int32_t word = static_cast<std::int32_t>(16807 * low - 2836 * high);
        if (word < 0) {
            word += 2147483647;
        }
        words[i] = word;
    }
    // The first sum adds words 3 and 0: the window before it is words 3 to
    // 30, then 0, 1 and 2.
    for (int j = 0; j < lag; ++j) {
        sums[block + j] = static_cast<std::uint32_t>(words[(j + short_lag) % lag]);
    }
    refill();
    discard(sums_thrown_away);
}

void random_stream::discard(std::uint64_t n) {
    // A few blocks ahead are quicker made than jumped to.
    constexpr std::uint64_t nearby = 64 * block;
    for (;;) {
        const std::uint64_t left = static_cast<std::uint64_t>(lag + block - next);
        if (n <= left) {
            next += static_cast<int>(n);
            return;
        }
        if (n > nearby) {
            break;
        }
        n -= left;
        refill();
    }
    window before;
    std::copy_n(sums.begin() + next - lag, lag, before.begin());
    const window after = jump(before, n);
    std::copy(after.begin(), after.end(), sums.end() - lag);
    refill();
}
