#include "mirroring.h"

#include <algorithm>

bool IsMirrored(HDC dc) {
    const DWORD layout = dc != nullptr ? GetLayout(dc) : GDI_ERROR;
    return layout != GDI_ERROR && (layout & LAYOUT_RTL) != 0;
}

UINT ReadingOrderFormat(HDC dc) {
    return IsMirrored(dc) ? DT_RTLREADING : 0;
}

void DrawIconUnmirrored(HDC dc, int x, int y, HICON icon, int width, int height) {
    const DWORD layout = GetLayout(dc);
    const bool mirrored = layout != GDI_ERROR && (layout & LAYOUT_RTL) != 0;
    if (mirrored) SetLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    DrawIconEx(dc, x, y, icon, width, height, 0, nullptr, DI_NORMAL);
    if (mirrored) SetLayout(dc, layout);
}

RECT DeviceRect(HDC dc, const RECT& rect) {
    if (!IsMirrored(dc)) return rect;
    // A mirrored DC maps a pixel column, not an edge: the last column of the
    // rectangle becomes the first.
    POINT corners[2] = {{rect.left, rect.top}, {rect.right - 1, rect.bottom}};
    LPtoDP(dc, corners, 2);
    return RECT{std::min(corners[0].x, corners[1].x), rect.top, std::max(corners[0].x, corners[1].x) + 1,
                rect.bottom};
}

PlainLayoutScope::PlainLayoutScope(HDC dc) : dc_(dc), layout_(dc != nullptr ? GetLayout(dc) : GDI_ERROR) {
    if (layout_ != GDI_ERROR && layout_ != 0) SetLayout(dc_, 0);
}

PlainLayoutScope::~PlainLayoutScope() {
    if (layout_ != GDI_ERROR && layout_ != 0) SetLayout(dc_, layout_);
}
