// The library's own rate for tessadox-server's benchmark: THREADS threads,
// each drawing and encoding pictures of distinct checksums on one thread,
// with the options of a URL's query, for SECONDS; prints the draws a second.
//   usage: draws_per_second THREADS SECONDS [name=value]...
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tessadox/tessadox.h"

namespace {

// splitmix64's finaliser over the thread and the count.
unsigned long long mixed(int thread, long long count) {
    unsigned long long z = (static_cast<unsigned long long>(thread) << 40) +
                           static_cast<unsigned long long>(count) + 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: draws_per_second THREADS SECONDS [name=value]...\n");
        return 2;
    }
    const int threads = std::atoi(argv[1]);
    const double seconds = std::atof(argv[2]);
    tessadox_options* options = tessadox_options_new();
    tessadox_options_set(options, TESSADOX_CHECKSUM_LENGTH, 0);
    tessadox_options_set(options, TESSADOX_THREADS, 1);
    for (int i = 3; i < argc; ++i) {
        const std::string setting = argv[i];
        const std::size_t equals = setting.find('=');
        const int option = tessadox_option_by_name(setting.substr(0, equals).c_str());
        if (equals == std::string::npos || option < 0 ||
            tessadox_options_set(options, option, std::atoll(setting.c_str() + equals + 1)) < 0) {
            std::fprintf(stderr, "draws_per_second: cannot set %s\n", argv[i]);
            return 2;
        }
    }

    std::atomic<long long> draws{0};
    const auto started = std::chrono::steady_clock::now();
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::vector<std::jthread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            tessadox_options* own = tessadox_options_copy(options);
            for (long long n = 0; std::chrono::steady_clock::now() < end; ++n) {
                // Digits as a hash gives them: a checksum of mostly zeros
                // makes a degenerate picture that draws at another speed.
                char checksum[32];
                std::snprintf(checksum, sizeof checksum, "%016llx",
                              static_cast<unsigned long long>(mixed(t, n)));
                tessadox_picture* picture = nullptr;
                unsigned char* png = nullptr;
                std::size_t size = 0;
                if (tessadox_draw(checksum, 16, own, nullptr, nullptr, &picture) != TESSADOX_OK ||
                    tessadox_encode_png(picture, &png, &size) != TESSADOX_OK) {
                    std::abort();
                }
                tessadox_png_free(png);
                tessadox_picture_free(picture);
                draws.fetch_add(1);
            }
            tessadox_options_free(own);
        });
    }
    workers.clear();
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.1f\n", draws.load() / took);
    tessadox_options_free(options);
    return 0;
}
