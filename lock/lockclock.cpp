#include "lockclock.h"

#include <algorithm>

#include "../base/uniquehandle.h"

namespace {

const COLORREF kTextColor = RGB(255, 255, 255);
const COLORREF kShadowColor = RGB(0, 0, 0);
// Dark enough under white type on a white picture, light enough to keep the
// picture visible through it.
const BYTE kPlateAlpha = 110;

exstring Formatted(int (*format)(const wchar_t*, DWORD, const SYSTEMTIME*, const wchar_t*, wchar_t*, int),
                   DWORD flags, const SYSTEMTIME& when) {
    wchar_t buffer[128] = {};
    const int length = format(LOCALE_NAME_USER_DEFAULT, flags, &when, nullptr, buffer, 128);
    return length > 1 ? exstring(buffer, static_cast<size_t>(length - 1)) : exstring();
}

int TimeFormat(const wchar_t* locale, DWORD flags, const SYSTEMTIME* when, const wchar_t* picture, wchar_t* out,
               int size) {
    return GetTimeFormatEx(locale, flags, when, picture, out, size);
}

int DateFormat(const wchar_t* locale, DWORD flags, const SYSTEMTIME* when, const wchar_t* picture, wchar_t* out,
               int size) {
    return GetDateFormatEx(locale, flags, when, picture, out, size, nullptr);
}

LOGFONTW ClockFont(LONG height, LONG weight) {
    LOGFONTW font{};
    font.lfHeight = -height;
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynW(font.lfFaceName, L"Segoe UI", LF_FACESIZE);
    return font;
}

SIZE TextSize(HDC dc, HFONT font, const exstring& text) {
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size;
}

// White text over a one-pixel dark offset: the edge stays visible where the
// plate is light.
void ShadowedText(HDC dc, HFONT font, int x, int y, const exstring& text) {
    const HGDIOBJ previous = SelectObject(dc, font);
    const int length = static_cast<int>(text.size());
    SetTextColor(dc, kShadowColor);
    TextOutW(dc, x + 2, y + 2, text.c_str(), length);
    SetTextColor(dc, kTextColor);
    TextOutW(dc, x, y, text.c_str(), length);
    SelectObject(dc, previous);
}

void DarkenPlate(HDC dc, const RECT& plate) {
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) return;
    const UniqueBitmap pixel(CreateCompatibleBitmap(dc, 1, 1));
    const HGDIOBJ previous = SelectObject(source, pixel.Get());
    SetPixel(source, 0, 0, kShadowColor);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, kPlateAlpha, 0};
    GdiAlphaBlend(dc, plate.left, plate.top, plate.right - plate.left, plate.bottom - plate.top, source, 0, 0, 1, 1,
                  blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

} // namespace

ClockText FormatClock(const SYSTEMTIME& when) {
    return ClockText{Formatted(TimeFormat, TIME_NOSECONDS, when), Formatted(DateFormat, DATE_LONGDATE, when)};
}

UINT MillisecondsToNextMinute(const SYSTEMTIME& now) {
    const UINT second = std::min<UINT>(now.wSecond, 59);
    const UINT millisecond = std::min<UINT>(now.wMilliseconds, 999);
    return 60000 - (second * 1000 + millisecond);
}

RECT ClockArea(POINT primaryOrigin, SIZE primarySize, bool fromRight) {
    const LONG margin = primarySize.cy / 24;
    const LONG height = std::min(primarySize.cy - 2 * margin, primarySize.cy / 4);
    const LONG width = std::min(primarySize.cx - 2 * margin, primarySize.cy * 4 / 5);
    if (height <= 0 || width <= 0) return RECT{0, 0, 0, 0};
    const LONG left = fromRight ? primaryOrigin.x + primarySize.cx - margin - width : primaryOrigin.x + margin;
    const LONG bottom = primaryOrigin.y + primarySize.cy - margin;
    return RECT{left, bottom - height, left + width, bottom};
}

bool ClockFonts::Make(const RECT& area) {
    const LONG height = area.bottom - area.top;
    if (height <= 0) return false;
    if (height == madeForHeight_ && time_.Handle() != nullptr) return true;
    madeForHeight_ = height;
    return time_.Create(ClockFont(height * 9 / 20, FW_LIGHT)) && date_.Create(ClockFont(height / 7, FW_NORMAL));
}

void DrawClock(HDC dc, const RECT& area, const ClockText& text, const ClockFonts& fonts) {
    if (dc == nullptr || fonts.Time() == nullptr || IsRectEmpty(&area)) return;
    const SIZE time = TextSize(dc, fonts.Time(), text.time);
    const SIZE date = TextSize(dc, fonts.Date(), text.date);
    const LONG pad = (area.bottom - area.top) / 12;
    const LONG width = std::min<LONG>(area.right - area.left, std::max(time.cx, date.cx) + 2 * pad);
    const LONG height = std::min<LONG>(area.bottom - area.top, time.cy + date.cy + 2 * pad);
    // Anchored to the bottom left, so the plate grows up and to the right.
    const RECT plate{area.left, area.bottom - height, area.left + width, area.bottom};

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    DarkenPlate(dc, plate);
    SetBkMode(dc, TRANSPARENT);
    ShadowedText(dc, fonts.Time(), plate.left + pad, plate.top + pad, text.time);
    ShadowedText(dc, fonts.Date(), plate.left + pad, plate.top + pad + time.cy, text.date);
    RestoreDC(dc, saved);
}
