#include "lockclock.h"

#include <algorithm>

#include "../base/uniquehandle.h"

namespace {

const COLORREF kTextColor = RGB(255, 255, 255);
const COLORREF kShadowColor = RGB(0, 0, 0);
// Dark enough under white type on a white picture, light enough to keep the
// picture visible through it.
const BYTE kPlateAlpha = 110;
// Lines of the message the band keeps room for, in the date's type.
constexpr LONG kMessageLines = 5;
const UINT kMessageFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_END_ELLIPSIS;

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

// Nothing at all for no text, not a line's height.
SIZE TextSize(HDC dc, HFONT font, const exstring& text) {
    SIZE size{0, 0};
    if (text.empty()) return size;
    const HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size;
}

// The message wrapped to `width`: the size it takes.
SIZE MessageSize(HDC dc, HFONT font, const exstring& message, LONG width) {
    if (message.empty() || width <= 0) return SIZE{0, 0};
    RECT bounds{0, 0, width, 0};
    const HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, message.c_str(), static_cast<int>(message.size()), &bounds, kMessageFormat | DT_CALCRECT);
    SelectObject(dc, previous);
    return SIZE{std::min(bounds.right - bounds.left, width), bounds.bottom - bounds.top};
}

// Text over a two-pixel offset in the shadow colour: the edge stays visible
// where the plate is light. `where` holds a wrapped text; empty for one line.
void ShadowedText(HDC dc, HFONT font, RECT where, const exstring& text, const ClockColors& colors, UINT format) {
    const HGDIOBJ previous = SelectObject(dc, font);
    const int length = static_cast<int>(text.size());
    if (colors.shadow != colors.plate) {
        SetTextColor(dc, colors.shadow);
        RECT shadow = where;
        OffsetRect(&shadow, 2, 2);
        DrawTextW(dc, text.c_str(), length, &shadow, format);
    }
    SetTextColor(dc, colors.text);
    DrawTextW(dc, text.c_str(), length, &where, format);
    SelectObject(dc, previous);
}

void DarkenPlate(HDC dc, const RECT& plate, const ClockColors& colors) {
    HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) return;
    const UniqueBitmap pixel(CreateCompatibleBitmap(dc, 1, 1));
    const HGDIOBJ previous = SelectObject(source, pixel.Get());
    SetPixel(source, 0, 0, colors.plate);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, colors.plateAlpha, 0};
    GdiAlphaBlend(dc, plate.left, plate.top, plate.right - plate.left, plate.bottom - plate.top, source, 0, 0, 1, 1,
                  blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

} // namespace

ClockText FormatClock(const SYSTEMTIME& when) {
    return ClockText{Formatted(TimeFormat, TIME_NOSECONDS, when), Formatted(DateFormat, DATE_LONGDATE, when), exstring()};
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

RECT WithMessageRoom(const RECT& clockArea, POINT primaryOrigin) {
    const LONG height = clockArea.bottom - clockArea.top;
    // The date's line height, kMessageLines times, and never above the monitor.
    const LONG room = height / 7 * 6 / 5 * kMessageLines;
    RECT grown = clockArea;
    grown.top = std::max(primaryOrigin.y, clockArea.top - room);
    return grown;
}

ClockColors ClockColorsFor(bool highContrast) {
    if (highContrast) return ClockColors{GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
                                         GetSysColor(COLOR_WINDOW), 255};
    return ClockColors{kTextColor, kShadowColor, kShadowColor, kPlateAlpha};
}

bool ClockFonts::Make(const RECT& area) {
    const LONG height = area.bottom - area.top;
    if (height <= 0) return false;
    if (height == madeForHeight_ && time_.Handle() != nullptr) return true;
    madeForHeight_ = height;
    return time_.Create(ClockFont(height * 9 / 20, FW_LIGHT)) && date_.Create(ClockFont(height / 7, FW_NORMAL));
}

void DrawClock(HDC dc, const RECT& area, const ClockText& text, const ClockFonts& fonts,
               const ClockColors& colors) {
    if (dc == nullptr || fonts.Time() == nullptr || IsRectEmpty(&area)) return;
    const SIZE time = TextSize(dc, fonts.Time(), text.time);
    const SIZE date = TextSize(dc, fonts.Date(), text.date);
    const LONG pad = fonts.ClockHeight() / 12;
    const LONG areaWidth = area.right - area.left;
    const SIZE message = MessageSize(dc, fonts.Date(), text.message, areaWidth - 2 * pad);
    const LONG gap = message.cy > 0 && date.cy > 0 ? pad : 0;
    const LONG width = std::min<LONG>(areaWidth, std::max({time.cx, date.cx, message.cx}) + 2 * pad);
    const LONG height = std::min<LONG>(area.bottom - area.top, time.cy + date.cy + gap + message.cy + 2 * pad);
    // Anchored to the bottom left, so the plate grows up and to the right; a
    // message too long for the band is cut at the bottom, never the clock.
    const RECT plate{area.left, area.bottom - height, area.left + width, area.bottom};

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    DarkenPlate(dc, plate, colors);
    SetBkMode(dc, TRANSPARENT);
    const LONG left = plate.left + pad, right = plate.right - pad;
    LONG top = plate.top + pad;
    const UINT line = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
    ShadowedText(dc, fonts.Time(), RECT{left, top, right + pad, top + time.cy}, text.time, colors, line);
    top += time.cy;
    ShadowedText(dc, fonts.Date(), RECT{left, top, right + pad, top + date.cy}, text.date, colors, line);
    top += date.cy + gap;
    ShadowedText(dc, fonts.Date(), RECT{left, top, right, top + message.cy}, text.message, colors, kMessageFormat);
    RestoreDC(dc, saved);
}
