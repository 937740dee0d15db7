#include "picture_boxes.hpp"

#include <algorithm>
#include <utility>

namespace {

// How much of pixel `pixel` lies in [begin, end) along one axis, in units of
// 1/n pixel: pixel i covers [i n, (i + 1) n).
std::int64_t overlap(std::int64_t begin, std::int64_t end, int pixel, int n) {
    const std::int64_t from = std::max(begin, std::int64_t{pixel} * n);
    const std::int64_t to = std::min(end, std::int64_t{pixel + 1} * n);
    return std::max(to - from, std::int64_t{0});
}

} // namespace

std::optional<rgb_color> box_mean(const picture_view& picture, const picture_look& look, int n,
                                  int row, int column, int rows) {
    // In units of 1/n pixel, grid square i of a picture of side R covers
    // [i R, (i + 1) R): whole numbers, so the weighted sums are exact.
    const std::int64_t side = picture.size;
    const std::int64_t top = row * side, bottom = (row + rows) * side;
    const std::int64_t left = column * side, right = (column + 1) * side;
    std::int64_t sums[3] = {};
    bool see_through = look.transparent;
    for (int y = static_cast<int>(top / n); std::int64_t{y} * n < bottom; ++y) {
        const std::int64_t height = overlap(top, bottom, y, n);
        const std::uint8_t* pixels = picture.rgb + static_cast<std::size_t>(y) * picture.row_stride;
        for (int x = static_cast<int>(left / n); std::int64_t{x} * n < right; ++x) {
            const std::int64_t weight = height * overlap(left, right, x, n);
            const std::uint8_t* pixel = pixels + 3 * static_cast<std::size_t>(x);
            for (int channel = 0; channel < 3; ++channel) {
                sums[channel] += weight * pixel[channel];
            }
            see_through = see_through && pixel[0] == look.background &&
                          pixel[1] == look.background && pixel[2] == look.background;
        }
    }
    if (see_through) {
        return std::nullopt;
    }
    const std::int64_t area = (bottom - top) * (right - left);
    auto rounded = [area](std::int64_t sum) {
        return static_cast<std::uint8_t>((sum + area / 2) / area);
    };
    rgb_color mean{rounded(sums[0]), rounded(sums[1]), rounded(sums[2])};
    if (look.swap_red_blue) {
        std::swap(mean.red, mean.blue);
    }
    return mean;
}
