#include "exfont.h"

#include <cmath>
#include <cwchar>

namespace {

const wchar_t kSample[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kSampleLength = 52;

int RoundHalfAway(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

bool exfont::Create(const LOGFONTW& description) {
    Reset();
    font_.Reset(CreateFontIndirectW(&description));
    return font_.Held();
}

void exfont::Reset() {
    font_.Reset();
}

FontMetrics MetricsFromSample(int sampleWidth, int sampleHeight) {
    return FontMetrics{sampleHeight, RoundHalfAway(static_cast<double>(sampleWidth) / kSampleLength)};
}

FontMetrics MeasureFontMetrics(HFONT font) {
    const UniqueWindowDc screenDc(nullptr);
    const HDC screen = screenDc.Get();
    if (screen == nullptr) return {};
    HGDIOBJ previous = font != nullptr ? SelectObject(screen, font) : nullptr;
    RECT rect{0, 0, 1024, 768};
    DrawTextW(screen, kSample, kSampleLength, &rect, DT_CALCRECT | DT_SINGLELINE);
    if (previous != nullptr) SelectObject(screen, previous);
    return MetricsFromSample(rect.right - rect.left, rect.bottom - rect.top);
}

POINT DialogUnitsToPixels(const FontMetrics& metrics, int x, int y) {
    return POINT{RoundHalfAway(x * metrics.averageWidth * 0.25), RoundHalfAway(y * metrics.height * 0.125)};
}

POINT DialogUnitsToPixels(HFONT font, int x, int y) {
    if (font == nullptr) return POINT{x, y};
    return DialogUnitsToPixels(MeasureFontMetrics(font), x, y);
}

int MeasureText(const wchar_t* text, UINT format, HDC dc, RECT& rect) {
    if (text == nullptr || *text == L'\0' || dc == nullptr) {
        SetRectEmpty(&rect);
        return 0;
    }
    DrawTextW(dc, text, -1, &rect, format | DT_CALCRECT);
    return rect.bottom - rect.top;
}

int MeasureText(const wchar_t* text, UINT format, HWND window, HFONT font, RECT& rect) {
    const UniqueWindowDc windowDc(window);
    const HDC dc = windowDc.Get();
    if (dc == nullptr) {
        SetRectEmpty(&rect);
        return 0;
    }
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    const int height = MeasureText(text, format, dc, rect);
    if (previous != nullptr) SelectObject(dc, previous);
    return height;
}

LOGFONTW SystemMenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return metrics.lfMenuFont;
    const UniqueWindowDc screen(nullptr);
    const int dpi = screen.Held() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    LOGFONTW font{};
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy(font.lfFaceName, L"Segoe UI");
    font.lfHeight = -MulDiv(9, dpi, 72);
    if (font.lfHeight == 0) font.lfHeight = -12;
    return font;
}
