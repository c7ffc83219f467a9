#include "coverfit.h"

#include <algorithm>
#include <cmath>

namespace {

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(value, -kMaxCoverExtent), kMaxCoverExtent));
}

// Rounded up, forgiving the last bits of floating-point noise, and held
// within range before it becomes an integer.
int32_t CeilScaled(int64_t length, double scale) {
    const double scaled = std::ceil(static_cast<double>(length) * scale - 1e-7);
    return scaled >= kMaxCoverExtent ? kMaxCoverExtent : static_cast<int32_t>(scaled);
}

} // namespace

CoverRect CoverArea(int64_t areaWidth, int64_t areaHeight, int64_t pictureWidth, int64_t pictureHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return CoverRect{0, 0, Clamped(pictureWidth), Clamped(pictureHeight)};
    const int32_t width32 = Clamped(areaWidth), height32 = Clamped(areaHeight);
    const double scale = std::max(static_cast<double>(width32) / static_cast<double>(pictureWidth),
                                  static_cast<double>(height32) / static_cast<double>(pictureHeight));
    const int32_t width = std::max(width32, CeilScaled(pictureWidth, scale));
    const int32_t height = std::max(height32, CeilScaled(pictureHeight, scale));
    const int32_t left = width32 / 2 - width / 2;
    const int32_t top = height32 / 2 - height / 2;
    return CoverRect{left, top, left + width, top + height};
}
