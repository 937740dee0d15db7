#include "answer_cache.hpp"

#include <microhttpd.h>

std::shared_ptr<const picture_answer> make_picture_answer(MHD_Response* response,
                                                          std::size_t png_size) {
    return std::shared_ptr<const picture_answer>(new picture_answer{response, png_size},
                                                 [](const picture_answer* answer) {
                                                     MHD_destroy_response(answer->response);
                                                     delete answer;
                                                 });
}

std::shared_ptr<const picture_answer> find_answer(answer_cache& cache, const std::string& key) {
    std::lock_guard hold(cache.lock);
    const auto found = cache.by_key.find(key);
    if (found == cache.by_key.end()) {
        return nullptr;
    }
    cache.recent.splice(cache.recent.begin(), cache.recent, found->second);
    return found->second->answer;
}

void keep_answer(answer_cache& cache, const std::string& key,
                 std::shared_ptr<const picture_answer> answer) {
    // The key twice (list and index), the headers and the bookkeeping: a
    // rough but fixed price on top of the picture.
    const std::size_t bytes = answer->png_size + 2 * key.size() + 512;
    std::lock_guard hold(cache.lock);
    if (bytes > cache.byte_limit || cache.by_key.contains(key)) {
        return;
    }
    while (cache.bytes_held + bytes > cache.byte_limit) {
        const answer_cache::entry& oldest = cache.recent.back();
        cache.bytes_held -= oldest.bytes;
        cache.by_key.erase(oldest.key);
        cache.recent.pop_back();
    }
    cache.recent.push_front({key, std::move(answer), bytes});
    cache.by_key.emplace(key, cache.recent.begin());
    cache.bytes_held += bytes;
}

cache_size measure_cache(answer_cache& cache) {
    std::lock_guard hold(cache.lock);
    return {cache.by_key.size(), cache.bytes_held};
}
