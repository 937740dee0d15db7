// What /metrics tells, in Prometheus' text format: requests by status, the
// draws' seconds as a histogram, the cache's hits and misses, the requests
// in flight. Counted with atomics, so no request waits on another.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <string>

#include "answer_cache.hpp"

// The statuses the server answers; the last place counts any other.
inline constexpr std::array<int, 9> counted_statuses = {200, 304, 400, 404, 405, 414, 500, 503, 0};
// The histogram's upper bounds in seconds: a small picture takes a few
// milliseconds, the largest a good part of a second.
inline constexpr std::array<double, 12> draw_second_bounds = {
    0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 10};

struct server_metrics {
    std::array<std::atomic<unsigned long long>, counted_statuses.size()> requests{};
    std::array<std::atomic<unsigned long long>, draw_second_bounds.size() + 1> draw_buckets{};
    std::atomic<unsigned long long> draw_nanoseconds{0};
    std::atomic<unsigned long long> cache_hits{0};
    std::atomic<unsigned long long> cache_misses{0};
    std::atomic<long long> in_flight{0};
};

void count_answer(server_metrics& metrics, int status);
void count_draw(server_metrics& metrics, std::chrono::nanoseconds took);

struct metrics_extras {
    std::size_t draws_queued; // drawing or waiting for a thread
    cache_size cache;
};
std::string metrics_text(const server_metrics& metrics, const metrics_extras& extras);
