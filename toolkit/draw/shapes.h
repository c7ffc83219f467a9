// Pixel-exact shapes shared by every control. A colour at or above
// kNoColor means "no colour": that element is not drawn. Every primitive does
// nothing for a null DC.
#pragma once

#include <windows.h>

#include <vector>

constexpr COLORREF kNoColor = 0x1000000;
inline bool IsColor(COLORREF color) {
    return color < kNoColor;
}

enum BorderSides : unsigned {
    kSideLeft = 1,
    kSideTop = 2,
    kSideRight = 4,
    kSideBottom = 8,
    kAllSides = 15,
};

void SolidFill(HDC dc, const RECT& rect, COLORREF color);
// Strips of `thickness` inside the rectangle.
void BorderStrips(HDC dc, const RECT& rect, COLORREF color, unsigned sides, int thickness);
// A one-pixel edge: `first` left and top, `second` right and bottom.
void Edge3D(HDC dc, const RECT& rect, COLORREF first, COLORREF second);
void FocusFrame(HDC dc, const RECT& rect, COLORREF color);
void NonClientFrame(HWND window, COLORREF fill, COLORREF left, COLORREF top, COLORREF right, COLORREF bottom);
void NonClientFrame(HWND window, COLORREF fill, COLORREF line);
// A box with a tick in it; no tick when `mark` is no colour.
void CheckMark(HDC dc, RECT rect, COLORREF fill, COLORREF border, COLORREF mark, double scale = 0);
void Arrow(HDC dc, RECT rect, COLORREF color, double scale = 0);
void Chevron(HDC dc, const RECT& rect, COLORREF fill, COLORREF edge, int size, bool up);

// A colour that stands out against `background`: the hue and saturation of
// orange RGB(204, 102, 0) at a lightness at least 0.4 away.
COLORREF ContrastColor(COLORREF background);

// The system's link colour, unless it is hardly distinguishable from
// `background` (as in some themes, where it is a pale grey): then a blue
// that reads on it, or the contrast colour.
COLORREF SystemLinkColor(COLORREF background);

// The points of a dotted frame: every second pixel of the edge, up the left
// side from the bottom, along the top, down the right and back along the bottom.
std::vector<POINT> FocusFramePoints(const RECT& rect);
// Rectangle helpers.
RECT MakeSquare(RECT rect);
RECT CenterRectIn(const RECT& inner, const RECT& outer);
// The check mark's box after scaling and making width and height odd.
RECT CheckMarkBox(RECT rect, double scale);
