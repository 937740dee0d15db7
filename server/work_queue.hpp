// The drawing threads and the bounded queue in front of them. A draw holds
// its thread for its whole length, so draws never run on libmicrohttpd's
// threads, and a request that finds every thread busy and the queue full
// is refused at once rather than kept waiting without end.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct work_queue {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<std::function<void()>> tasks;
    std::size_t taken = 0; // places reserved: running, waiting or about to wait
    std::size_t capacity = 0;
    bool closing = false;
    std::vector<std::jthread> workers;
};

// Starts `threads` workers with room for `waiting` more tasks behind them.
void start_work_queue(work_queue& queue, int threads, std::size_t waiting);

// Takes a place for one task; false when every place is taken.
bool reserve_work(work_queue& queue);

// Queues a task into the place reserved for it; the place is free again
// once the task has run.
void submit_reserved_work(work_queue& queue, std::function<void()> task);

// The places taken now, for the metrics.
std::size_t work_taken(work_queue& queue);

// Runs what is queued, then ends the workers.
void stop_work_queue(work_queue& queue);
