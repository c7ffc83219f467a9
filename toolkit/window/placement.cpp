#include "placement.h"

namespace {

LONG CentredEdge(LONG centreLow, LONG centreHigh, LONG size, LONG boundLow, LONG boundHigh) {
    LONG edge = (centreLow + centreHigh) / 2 - size / 2;
    if (edge + size > boundHigh) edge = boundHigh - size;
    return edge < boundLow ? boundLow : edge;
}

} // namespace

POINT CenteredPosition(const RECT& window, const RECT& centre, const RECT& bounds) {
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    return POINT{CentredEdge(centre.left, centre.right, width, bounds.left, bounds.right),
                 CentredEdge(centre.top, centre.bottom, height, bounds.top, bounds.bottom)};
}
