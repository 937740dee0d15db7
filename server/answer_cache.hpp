// The answers drawn lately, least recently used out first, within a bound
// of bytes. An answer is a finished libmicrohttpd response: a hit queues it
// as it is, and libmicrohttpd keeps it alive while any connection sends it.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

struct MHD_Response;

struct picture_answer {
    MHD_Response* response = nullptr;
    std::size_t png_size = 0;
};
std::shared_ptr<const picture_answer> make_picture_answer(MHD_Response* response,
                                                          std::size_t png_size);

struct answer_cache {
    struct entry {
        std::string key;
        std::shared_ptr<const picture_answer> answer;
        std::size_t bytes;
    };
    std::mutex lock;
    std::list<entry> recent; // the most recently used first
    std::unordered_map<std::string, std::list<entry>::iterator> by_key;
    std::size_t bytes_held = 0;
    std::size_t byte_limit = 0; // 0: nothing is kept
};

std::shared_ptr<const picture_answer> find_answer(answer_cache& cache, const std::string& key);
void keep_answer(answer_cache& cache, const std::string& key,
                 std::shared_ptr<const picture_answer> answer);

struct cache_size {
    std::size_t entries, bytes;
};
cache_size measure_cache(answer_cache& cache);
