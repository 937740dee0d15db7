// How often a chunk's guessed start is right the first time: draws the
// pictures of random md5 and sha256 checksums with their plotting pass cut
// into chunks, and counts the chunks that had to be played again because
// the point their lead-in reached was not, bit for bit, where the chunk
// before ended. Nothing here is timed.
//
//   tessadox_guess_share [PICTURES [THREADS [RESOLUTION [LEAD_IN]]]]
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "fingerprint.hpp"
#include "random_stream.hpp"
#include "render.hpp"

namespace {

std::string random_checksum(std::mt19937_64& generator, int digits) {
    static const char hex[] = "0123456789abcdef";
    std::string checksum;
    for (int i = 0; i < digits; ++i) {
        checksum += hex[generator() % 16];
    }
    return checksum;
}

std::vector<affine_map> maps_of(const std::string& checksum) {
    std::vector<digit_group> groups;
    for (std::size_t at = 0; at < checksum.size(); at += 8) {
        groups.push_back(decode_group(reinterpret_cast<const unsigned char*>(&checksum[at])));
    }
    return build_maps(groups);
}

} // namespace

int main(int argc, char** argv) {
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 8;
    const int resolution = argc > 3 ? std::atoi(argv[3]) : 64;
    const int lead_in = argc > 4 ? std::atoi(argv[4]) : thread_plan{}.lead_in_steps;
    std::mt19937_64 generator(20261209);
    for (const auto& [name, digits] : {std::pair{"md5", 32}, std::pair{"sha256", 64}}) {
        long checked = 0, replayed = 0, pictures_replayed = 0;
        for (int i = 0; i < pictures; ++i) {
            settings run;
            run.resolution = resolution;
            run.map_count = digits / 8;
            run.color_mode = i % 3; // every colouring in turn
            const std::vector<affine_map> maps = maps_of(random_checksum(generator, digits));
            random_stream draws(static_cast<unsigned>(generator()));
            int again = 0;
            render(run, maps, draws, thread_plan{threads, lead_in}, {}, &again);
            checked += threads - 1;
            replayed += again;
            pictures_replayed += again > 0;
        }
        std::printf("%s: %d pictures, %ld chunks checked, %ld right the first time (%.4f %%), "
                    "%ld played again in %ld pictures\n",
                    name, pictures, checked, checked - replayed,
                    100.0 * static_cast<double>(checked - replayed) / static_cast<double>(checked),
                    replayed, pictures_replayed);
    }
    return 0;
}
