#include "backgroundlayout.h"

#include <algorithm>
#include <cstdint>

#include "coverfit.h"

namespace {

// Differences of edges as the system may report them, held within LONG.
LONG Span(LONG from, LONG to) {
    const int64_t span = static_cast<int64_t>(to) - from;
    return static_cast<LONG>(std::min<int64_t>(std::max<int64_t>(span, INT32_MIN), INT32_MAX));
}

} // namespace

BackgroundLayout LayoutBackground(const RECT& virtualScreen, const RECT& primaryArea, SIZE picture) {
    BackgroundLayout layout{};
    const LONG areaWidth = Span(primaryArea.left, primaryArea.right);
    const LONG areaHeight = Span(primaryArea.top, primaryArea.bottom);
    layout.primaryOrigin = POINT{Span(virtualScreen.left, primaryArea.left), Span(virtualScreen.top, primaryArea.top)};
    layout.primarySize = SIZE{areaWidth, areaHeight};
    const CoverRect cover = CoverArea(areaWidth, areaHeight, picture.cx, picture.cy);
    layout.picture = RECT{cover.left, cover.top, cover.right, cover.bottom};
    return layout;
}
