#include "backgroundlayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounded up, forgiving the last bits of floating-point noise.
LONG CeilScaled(LONG length, double scale) {
    return static_cast<LONG>(std::ceil(length * scale - 1e-7));
}

} // namespace

BackgroundLayout LayoutBackground(const RECT& virtualScreen, const RECT& primaryArea, SIZE picture) {
    BackgroundLayout layout{};
    const LONG areaWidth = primaryArea.right - primaryArea.left;
    const LONG areaHeight = primaryArea.bottom - primaryArea.top;
    layout.primaryOrigin = POINT{primaryArea.left - virtualScreen.left, primaryArea.top - virtualScreen.top};
    layout.primarySize = SIZE{areaWidth, areaHeight};
    layout.picture = RECT{0, 0, picture.cx, picture.cy};
    if (areaWidth <= 0 || areaHeight <= 0 || picture.cx <= 0 || picture.cy <= 0) return layout;

    const double scale = std::max(static_cast<double>(areaWidth) / picture.cx,
                                  static_cast<double>(areaHeight) / picture.cy);
    const LONG width = std::max(areaWidth, CeilScaled(picture.cx, scale));
    const LONG height = std::max(areaHeight, CeilScaled(picture.cy, scale));
    const LONG left = areaWidth / 2 - width / 2;
    const LONG top = areaHeight / 2 - height / 2;
    layout.picture = RECT{left, top, left + width, top + height};
    return layout;
}
