// Drawing into mirrored device contexts, those of right-to-left windows.
// Plain GDI mirrors by itself; text, icons and GDI+ need a hand.
#pragma once

#include <windows.h>

bool IsMirrored(HDC dc);
// DT_RTLREADING in a mirrored DC, so that text reads right to left there.
UINT ReadingOrderFormat(HDC dc);
// An icon the right way round, in a mirrored DC too.
void DrawIconUnmirrored(HDC dc, int x, int y, HICON icon, int width, int height);
// Where a logical rectangle of `dc` lies in device coordinates: the same
// rectangle in a plain DC, its mirror image in a mirrored one.
RECT DeviceRect(HDC dc, const RECT& rect);

// Sets a DC's layout aside for a painter that draws in device coordinates
// (GDI+ ignores mirroring); puts it back when it goes.
class PlainLayoutScope {
public:
    explicit PlainLayoutScope(HDC dc);
    ~PlainLayoutScope();
    PlainLayoutScope(const PlainLayoutScope&) = delete;
    PlainLayoutScope& operator=(const PlainLayoutScope&) = delete;

private:
    HDC dc_;
    DWORD layout_;
};
