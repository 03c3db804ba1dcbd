#include "platform/icons.h"

namespace kvr::platform {

namespace {

// Straight-alpha "source over destination" of one channel set.
std::uint32_t over(std::uint32_t source, std::uint32_t target) {
    const unsigned sa = source >> 24, ta = target >> 24;
    if (sa == 255 || ta == 0) return source;
    if (sa == 0) return target;
    const unsigned outA = sa + ta * (255 - sa) / 255;
    std::uint32_t out = outA << 24;
    for (int shift : {16, 8, 0}) {
        const unsigned s = source >> shift & 0xFF, t = target >> shift & 0xFF;
        const unsigned c = (s * sa + t * ta * (255 - sa) / 255) / outA;
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

}  // namespace

void drawOver(Bitmap& bitmap, int x, int y, const std::vector<std::uint32_t>& pixels, int size) {
    if (size <= 0 ||
        pixels.size() < static_cast<std::size_t>(size) * static_cast<std::size_t>(size))
        return;
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const int tx = x + column, ty = y + row;
            if (tx < 0 || ty < 0 || tx >= bitmap.width || ty >= bitmap.height) continue;
            const auto at = static_cast<std::size_t>(ty * bitmap.width + tx);
            if (at >= bitmap.pixels.size()) continue;
            bitmap.pixels[at] =
                over(pixels[static_cast<std::size_t>(row * size + column)], bitmap.pixels[at]);
        }
    }
}

}  // namespace kvr::platform
