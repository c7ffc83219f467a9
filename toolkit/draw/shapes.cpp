#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "../../base/uniquehandle.h"

namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    const RECT box{left, top, right, bottom};
    SolidFill(dc, box, color);
}

// Centres a square of the rectangle and shrinks it to `scale` when 0 < scale < 1.
RECT ScaledSquare(RECT rect, double scale) {
    rect = MakeSquare(rect);
    if (scale > 0 && scale < 1) {
        const int inset = static_cast<int>(Width(rect) * (1 - scale) * 0.5);
        InflateRect(&rect, -inset, -inset);
    }
    return rect;
}

struct Hsl {
    double h, s, l;
};

Hsl ToHsl(COLORREF color) {
    const double r = GetRValue(color) / 255.0, g = GetGValue(color) / 255.0, b = GetBValue(color) / 255.0;
    const double high = std::max({r, g, b}), low = std::min({r, g, b});
    Hsl out{0, 0, (high + low) / 2};
    const double range = high - low;
    if (range == 0) return out;
    out.s = out.l > 0.5 ? range / (2 - high - low) : range / (high + low);
    if (high == r) out.h = (g - b) / range + (g < b ? 6 : 0);
    else if (high == g) out.h = (b - r) / range + 2;
    else out.h = (r - g) / range + 4;
    out.h /= 6;
    return out;
}

double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

COLORREF FromHsl(const Hsl& hsl) {
    double r = hsl.l, g = hsl.l, b = hsl.l;
    if (hsl.s != 0) {
        const double q = hsl.l < 0.5 ? hsl.l * (1 + hsl.s) : hsl.l + hsl.s - hsl.l * hsl.s;
        const double p = 2 * hsl.l - q;
        r = HueToChannel(p, q, hsl.h + 1.0 / 3);
        g = HueToChannel(p, q, hsl.h);
        b = HueToChannel(p, q, hsl.h - 1.0 / 3);
    }
    auto channel = [](double v) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return RGB(channel(r), channel(g), channel(b));
}

} // namespace

RECT MakeSquare(RECT rect) {
    const int width = Width(rect), height = Height(rect);
    if (width == height || IsRectEmpty(&rect)) return rect;
    const int longer = std::max(width, height), shorter = std::min(width, height);
    const int inset = static_cast<int>(longer / 2.0 - shorter / 2.0);
    if (width > height) InflateRect(&rect, -inset, 0);
    else InflateRect(&rect, 0, -inset);
    return rect;
}

RECT CenterRectIn(const RECT& inner, const RECT& outer) {
    const int width = Width(inner), height = Height(inner);
    const int left = outer.left + Width(outer) / 2 - width / 2;
    const int top = outer.top + Height(outer) / 2 - height / 2;
    return RECT{left, top, left + width, top + height};
}

void SolidFill(HDC dc, const RECT& rect, COLORREF color) {
    if (dc == nullptr || !IsColor(color)) return;
    const COLORREF previous = SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, previous);
}

void BorderStrips(HDC dc, const RECT& rect, COLORREF color, unsigned sides, int thickness) {
    if (dc == nullptr || !IsColor(color) || thickness <= 0) return;
    const RECT strips[4] = {
        {rect.left, rect.top, rect.left + thickness, rect.bottom},
        {rect.left, rect.top, rect.right, rect.top + thickness},
        {rect.right - thickness, rect.top, rect.right, rect.bottom},
        {rect.left, rect.bottom - thickness, rect.right, rect.bottom},
    };
    for (unsigned side = 0; side < 4; ++side)
        if (sides & (1u << side)) SolidFill(dc, strips[side], color);
}

void Edge3D(HDC dc, const RECT& rect, COLORREF first, COLORREF second) {
    if (dc == nullptr) return;
    FillBox(dc, rect.left, rect.top, rect.left + 1, rect.bottom, first);
    FillBox(dc, rect.left, rect.top, rect.right, rect.top + 1, first);
    FillBox(dc, rect.right - 1, rect.top, rect.right, rect.bottom, second);
    FillBox(dc, rect.left, rect.bottom - 1, rect.right, rect.bottom, second);
}

std::vector<POINT> FocusFramePoints(const RECT& rect) {
    std::vector<POINT> path;
    if (Width(rect) <= 0 || Height(rect) <= 0) return path;
    const LONG right = rect.right - 1, bottom = rect.bottom - 1;
    for (LONG y = bottom; y >= rect.top; --y) path.push_back({rect.left, y});
    for (LONG x = rect.left + 1; x <= right; ++x) path.push_back({x, rect.top});
    if (right > rect.left)
        for (LONG y = rect.top + 1; y <= bottom; ++y) path.push_back({right, y});
    if (bottom > rect.top)
        for (LONG x = right - 1; x > rect.left; --x) path.push_back({x, bottom});
    std::vector<POINT> dots;
    for (size_t i = 0; i < path.size(); i += 2) dots.push_back(path[i]);
    return dots;
}

void FocusFrame(HDC dc, const RECT& rect, COLORREF color) {
    if (dc == nullptr || !IsColor(color)) return;
    for (const POINT& point : FocusFramePoints(rect)) SetPixel(dc, point.x, point.y, color);
}

void NonClientFrame(HWND window, COLORREF fill, COLORREF left, COLORREF top, COLORREF right, COLORREF bottom) {
    RECT windowRect{}, client{};
    if (!GetWindowRect(window, &windowRect) || !GetClientRect(window, &client)) return;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -windowRect.left, -windowRect.top);
    OffsetRect(&windowRect, -windowRect.left, -windowRect.top);
    if (EqualRect(&client, &windowRect)) return;
    const UniqueWindowDc windowDc(window, GetWindowDC(window));
    const HDC dc = windowDc.Get();
    if (dc == nullptr) return;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    SolidFill(dc, windowRect, fill);
    FillBox(dc, windowRect.left, windowRect.top, windowRect.left + 1, windowRect.bottom, left);
    FillBox(dc, windowRect.left, windowRect.top, windowRect.right, windowRect.top + 1, top);
    FillBox(dc, windowRect.right - 1, windowRect.top, windowRect.right, windowRect.bottom, right);
    FillBox(dc, windowRect.left, windowRect.bottom - 1, windowRect.right, windowRect.bottom, bottom);
    RestoreDC(dc, saved);
}

void NonClientFrame(HWND window, COLORREF fill, COLORREF line) {
    if (!IsColor(fill) && !IsColor(line)) return;
    NonClientFrame(window, fill, line, line, line, line);
}

RECT CheckMarkBox(RECT rect, double scale) {
    if (scale > 0 && scale < 1) {
        const int inset = static_cast<int>(Width(rect) * (1 - scale) * 0.5);
        InflateRect(&rect, -inset, -inset);
    }
    if (Width(rect) % 2 == 0) --rect.right;
    if (Height(rect) % 2 == 0) --rect.bottom;
    return rect;
}

void CheckMark(HDC dc, RECT rect, COLORREF fill, COLORREF border, COLORREF mark, double scale) {
    if (dc == nullptr) return;
    rect = CheckMarkBox(rect, scale);
    SolidFill(dc, rect, fill);
    BorderStrips(dc, rect, border, kAllSides, 1);
    if (!IsColor(mark)) return;
    const int inset = std::max(static_cast<int>(Width(rect) * 0.15), 2) + 1;
    RECT inner = rect;
    InflateRect(&inner, -inset, -inset);
    if (IsRectEmpty(&inner)) return;
    const int w = Width(inner);
    const int columns = w - (w % 2 == 0 ? 1 : 0);
    const int shortStroke = static_cast<int>((columns - 1) * 0.4) + 1;
    const int tickHeight = columns - shortStroke + 3;  // three-pixel stamps, rising after the short stroke
    const int lowestTop = inner.top + (Height(inner) - tickHeight) / 2 + (columns - shortStroke);
    for (int i = 0; i < columns; ++i) {
        const int stampTop = i < shortStroke ? lowestTop - (shortStroke - 1 - i) : lowestTop - (i - (shortStroke - 1));
        FillBox(dc, inner.left + i, stampTop, inner.left + i + 1, stampTop + 3, mark);
    }
}

void Arrow(HDC dc, RECT rect, COLORREF color, double scale) {
    if (dc == nullptr || !IsColor(color)) return;
    rect = ScaledSquare(rect, scale);
    const int height = Width(rect) / 2;
    if (height <= 0) return;
    const int columns = (height + 1) / 2;
    const RECT bounds{0, 0, columns, height};
    const RECT placed = CenterRectIn(bounds, rect);
    for (int k = 0; k < columns; ++k)
        FillBox(dc, placed.left + k, placed.top + k, placed.left + k + 1, placed.bottom - k, color);
}

void Chevron(HDC dc, const RECT& rect, COLORREF fill, COLORREF edge, int size, bool up) {
    if (dc == nullptr) return;
    int width = std::min(size, static_cast<int>(Width(rect)));
    if (width % 2 == 0) --width;
    if (width <= 0) return;
    const int rows = (width + 1) / 2;
    const RECT bounds{0, 0, width, rows};
    const RECT placed = CenterRectIn(bounds, rect);
    for (int row = 0; row < rows; ++row) {
        const int length = width - 2 * row;
        const int y = up ? placed.bottom - 1 - row : placed.top + row;
        const int left = placed.left + row;
        FillBox(dc, left, y, left + length, y + 1, fill);
        if (edge != fill && IsColor(edge)) {
            SetPixel(dc, left, y, edge);
            SetPixel(dc, left + length - 1, y, edge);
        }
    }
}

COLORREF ContrastColor(COLORREF background) {
    static std::map<COLORREF, COLORREF> cache;
    const auto known = cache.find(background);
    if (known != cache.end()) return known->second;
    Hsl accent = ToHsl(RGB(204, 102, 0));
    const double backgroundLightness = ToHsl(background).l;
    if (std::fabs(accent.l - backgroundLightness) < 0.4)
        accent.l = backgroundLightness <= 0.5 ? backgroundLightness + 0.4 : backgroundLightness - 0.4;
    const COLORREF result = FromHsl(accent);
    cache.emplace(background, result);
    return result;
}

namespace {

// Relative luminance (0 to 1) with the sRGB weights, without gamma: enough
// to tell a readable colour from an unreadable one.
double Luminance(COLORREF color) {
    return (0.2126 * GetRValue(color) + 0.7152 * GetGValue(color) + 0.0722 * GetBValue(color)) / 255.0;
}

bool Legible(COLORREF color, COLORREF background) {
    const double difference = Luminance(color) - Luminance(background);
    return difference > 0.3 || difference < -0.3;
}

} // namespace

COLORREF SystemLinkColor(COLORREF background) {
    const COLORREF system = GetSysColor(COLOR_HOTLIGHT);
    if (Legible(system, background)) return system;
    const COLORREF blue = RGB(0, 102, 204);
    return Legible(blue, background) ? blue : ContrastColor(background);
}
