#include "work_queue.hpp"

namespace {

void work(work_queue& queue) {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock hold(queue.lock);
            // A place reserved but not yet filled still gets its task run.
            queue.ready.wait(
                hold, [&] { return !queue.tasks.empty() || (queue.closing && queue.taken == 0); });
            if (queue.tasks.empty()) {
                return;
            }
            task = std::move(queue.tasks.front());
            queue.tasks.pop_front();
        }
        task();
        std::lock_guard hold(queue.lock);
        if (--queue.taken == 0 && queue.closing) {
            queue.ready.notify_all();
        }
    }
}

} // namespace

void start_work_queue(work_queue& queue, int threads, std::size_t waiting) {
    queue.capacity = static_cast<std::size_t>(threads) + waiting;
    for (int i = 0; i < threads; ++i) {
        queue.workers.emplace_back([&queue] { work(queue); });
    }
}

bool reserve_work(work_queue& queue) {
    std::lock_guard hold(queue.lock);
    if (queue.closing || queue.taken >= queue.capacity) {
        return false;
    }
    ++queue.taken;
    return true;
}

void submit_reserved_work(work_queue& queue, std::function<void()> task) {
    {
        std::lock_guard hold(queue.lock);
        queue.tasks.push_back(std::move(task));
    }
    queue.ready.notify_one();
}

std::size_t work_taken(work_queue& queue) {
    std::lock_guard hold(queue.lock);
    return queue.taken;
}

void stop_work_queue(work_queue& queue) {
    {
        std::lock_guard hold(queue.lock);
        queue.closing = true;
    }
    queue.ready.notify_all();
    queue.workers.clear(); // joins
}
