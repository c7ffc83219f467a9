// Drawing into mirrored device contexts, those of right-to-left windows.
// Plain GDI mirrors by itself; text and icons need a hand.
#pragma once

#include <windows.h>

bool IsMirrored(HDC dc);
// DT_RTLREADING in a mirrored DC, so that text reads right to left there.
UINT ReadingOrderFormat(HDC dc);
// An icon the right way round, in a mirrored DC too.
void DrawIconUnmirrored(HDC dc, int x, int y, HICON icon, int width, int height);
