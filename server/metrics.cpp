#include "metrics.hpp"

#include <cstdio>

void count_answer(server_metrics& metrics, int status) {
    std::size_t place = counted_statuses.size() - 1;
    for (std::size_t i = 0; i + 1 < counted_statuses.size(); ++i) {
        if (counted_statuses[i] == status) {
            place = i;
        }
    }
    metrics.requests[place].fetch_add(1, std::memory_order_relaxed);
}

void count_draw(server_metrics& metrics, std::chrono::nanoseconds took) {
    const double seconds = std::chrono::duration<double>(took).count();
    std::size_t bucket = 0;
    while (bucket < draw_second_bounds.size() && seconds > draw_second_bounds[bucket]) {
        ++bucket;
    }
    metrics.draw_buckets[bucket].fetch_add(1, std::memory_order_relaxed);
    metrics.draw_nanoseconds.fetch_add(took.count(), std::memory_order_relaxed);
}

namespace {

void add_line(std::string& text, const char* format, auto... values) {
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    text += line;
}

} // namespace

std::string metrics_text(const server_metrics& metrics, const metrics_extras& extras) {
    std::string text;
    text += "# HELP tessadox_requests_total Requests answered, by HTTP status.\n"
            "# TYPE tessadox_requests_total counter\n";
    for (std::size_t i = 0; i < counted_statuses.size(); ++i) {
        const unsigned long long count = metrics.requests[i].load();
        if (counted_statuses[i] == 0) {
            add_line(text, "tessadox_requests_total{status=\"other\"} %llu\n", count);
        } else {
            add_line(text, "tessadox_requests_total{status=\"%d\"} %llu\n", counted_statuses[i],
                     count);
        }
    }

    text += "# HELP tessadox_draw_seconds Time to draw and encode a picture.\n"
            "# TYPE tessadox_draw_seconds histogram\n";
    unsigned long long below = 0;
    for (std::size_t i = 0; i < draw_second_bounds.size(); ++i) {
        below += metrics.draw_buckets[i].load();
        add_line(text, "tessadox_draw_seconds_bucket{le=\"%g\"} %llu\n", draw_second_bounds[i],
                 below);
    }
    below += metrics.draw_buckets.back().load();
    add_line(text, "tessadox_draw_seconds_bucket{le=\"+Inf\"} %llu\n", below);
    add_line(text, "tessadox_draw_seconds_sum %.9f\n", metrics.draw_nanoseconds.load() * 1e-9);
    add_line(text, "tessadox_draw_seconds_count %llu\n", below);

    add_line(text,
             "# HELP tessadox_cache_hits_total Pictures answered from the in-memory cache.\n"
             "# TYPE tessadox_cache_hits_total counter\n"
             "tessadox_cache_hits_total %llu\n",
             metrics.cache_hits.load());
    add_line(text,
             "# HELP tessadox_cache_misses_total Pictures that had to be drawn.\n"
             "# TYPE tessadox_cache_misses_total counter\n"
             "tessadox_cache_misses_total %llu\n",
             metrics.cache_misses.load());
    add_line(text,
             "# HELP tessadox_cache_bytes Bytes the in-memory cache holds.\n"
             "# TYPE tessadox_cache_bytes gauge\n"
             "tessadox_cache_bytes %zu\n",
             extras.cache.bytes);
    add_line(text,
             "# HELP tessadox_cache_entries Answers the in-memory cache holds.\n"
             "# TYPE tessadox_cache_entries gauge\n"
             "tessadox_cache_entries %zu\n",
             extras.cache.entries);
    add_line(text,
             "# HELP tessadox_requests_in_flight Requests read and not yet answered.\n"
             "# TYPE tessadox_requests_in_flight gauge\n"
             "tessadox_requests_in_flight %lld\n",
             metrics.in_flight.load());
    add_line(text,
             "# HELP tessadox_draws_queued Draws running or waiting for a drawing thread.\n"
             "# TYPE tessadox_draws_queued gauge\n"
             "tessadox_draws_queued %zu\n",
             extras.draws_queued);
    return text;
}
