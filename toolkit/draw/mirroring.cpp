#include "mirroring.h"

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
