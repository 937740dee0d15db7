#include "palette.hpp"

#include <array>
#include <cstdlib>

namespace {

constexpr std::array<int, 6> cube_levels{0, 95, 135, 175, 215, 255};

int nearest_cube_step(int value) {
    int best = 0;
    for (int step = 1; step < static_cast<int>(cube_levels.size()); ++step) {
        if (std::abs(value - cube_levels[step]) < std::abs(value - cube_levels[best])) {
            best = step;
        }
    }
    return best;
}

int squared_distance(rgb_color color, int red, int green, int blue) {
    return (color.red - red) * (color.red - red) + (color.green - green) * (color.green - green) +
           (color.blue - blue) * (color.blue - blue);
}

} // namespace

int palette_index(rgb_color color) {
    // The cube is searched channel by channel, which finds its nearest entry
    // because its distance is a sum over the channels.
    const int red = nearest_cube_step(color.red);
    const int green = nearest_cube_step(color.green);
    const int blue = nearest_cube_step(color.blue);
    int best = 16 + 36 * red + 6 * green + blue;
    int best_distance =
        squared_distance(color, cube_levels[red], cube_levels[green], cube_levels[blue]);
    for (int gray = 0; gray < 24; ++gray) {
        const int level = 8 + 10 * gray;
        const int distance = squared_distance(color, level, level, level);
        if (distance < best_distance) {
            best = 232 + gray;
            best_distance = distance;
        }
    }
    return best;
}
