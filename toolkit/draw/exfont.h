// Fonts, text measuring and the conversion of dialog units to pixels.
#pragma once

#include <windows.h>

#include "../../base/uniquehandle.h"

// Owns one font.
class exfont {
public:
    exfont() = default;

    // Deletes the previous font first; false when creation failed.
    bool Create(const LOGFONTW& description);
    HFONT Handle() const { return font_.Get(); }
    void Reset();

private:
    UniqueFont font_;
};

struct FontMetrics {
    int height = 0;
    int averageWidth = 0;
};

// Metrics from the size of the 52-letter sample ("A".."Z", "a".."z"): the
// average width rounded to the nearest pixel, halves away from zero.
FontMetrics MetricsFromSample(int sampleWidth, int sampleHeight);
// Measured on the screen with the font selected.
FontMetrics MeasureFontMetrics(HFONT font);

// x times a quarter of the average width, y times an eighth of the height,
// each rounded halves away from zero.
POINT DialogUnitsToPixels(const FontMetrics& metrics, int x, int y);
// With no font the values come back unchanged.
POINT DialogUnitsToPixels(HFONT font, int x, int y);

// Height of `text` drawn with `format` (DT_CALCRECT is added); the rectangle
// receives the measured size. Empty or null text: empty rectangle, 0.
int MeasureText(const wchar_t* text, UINT format, HDC dc, RECT& rect);
int MeasureText(const wchar_t* text, UINT format, HWND window, HFONT font, RECT& rect);

// The system's menu font, or 9 point "Segoe UI" at the screen's resolution.
LOGFONTW SystemMenuFont();
