// The process-wide theme: colour schemes, the painting mode, brushes, the
// toolkit fonts and the margins derived from them.
#pragma once

#include <windows.h>

#include <vector>

#include "../text/exstring.h"
#include "exfont.h"

struct ColorScheme {
    exstring name;
    COLORREF background;
    COLORREF border;
    COLORREF accent;
    COLORREF face;
    COLORREF faceHot;
    COLORREF facePressed;
    COLORREF faceDisabled;
    COLORREF text;
    COLORREF textDisabled;
    COLORREF fieldBackground;
    COLORREF link;
    COLORREF line;
};

// "Light", "Dark", "Blue", "Green", then "System Default".
const std::vector<ColorScheme>& BuiltInSchemes();

struct ThemeMetrics {
    int marginX = 12;
    int marginY = 13;
    int halfMarginX = 6;
    int halfMarginY = 6;
    int spacingX = 7;
    int spacingY = 8;
};

class ThemeState {
public:
    ThemeState();
    ~ThemeState();
    ThemeState(const ThemeState&) = delete;
    ThemeState& operator=(const ThemeState&) = delete;

    // -1: the default choice ("System Default"). False for an index outside
    // the list, which then changes nothing.
    bool ApplyScheme(int index);
    void CreateFonts(const LOGFONTW& base, double scale);

    const ColorScheme& Scheme() const { return scheme_; }
    const std::vector<ColorScheme>& Schemes() const { return schemes_; }
    bool SystemColors() const { return systemColors_; }
    HBRUSH BackgroundBrush() const { return backgroundBrush_; }
    HBRUSH FieldBrush() const { return fieldBrush_; }
    HBRUSH BorderBrush() const { return borderBrush_; }
    HFONT DialogFont() const { return dialogFont_.Handle(); }
    HFONT BoldFont() const { return boldFont_.Handle(); }
    HFONT LargeFont() const { return largeFont_.Handle(); }
    const ThemeMetrics& Metrics() const { return metrics_; }
    // Cached for the three toolkit fonts; measured for any other.
    FontMetrics MetricsOf(HFONT font);

    // The colour a role has in the current painting mode.
    COLORREF BackgroundColor() const;
    COLORREF TextColor() const;

private:
    void RecreateBrushes();

    ColorScheme scheme_{};
    std::vector<ColorScheme> schemes_;
    bool includeSystemDefault_ = true;
    bool systemColors_ = false;
    HBRUSH backgroundBrush_ = nullptr;
    HBRUSH fieldBrush_ = nullptr;
    HBRUSH borderBrush_ = nullptr;
    exfont dialogFont_;
    exfont boldFont_;
    exfont largeFont_;
    ThemeMetrics metrics_;
    FontMetrics dialogMetrics_, boldMetrics_, largeMetrics_;
    bool metricsCached_ = false;
};

// The theme, set up on first use (the scheme applied, the fonts made).
ThemeState& Theme();

// 1 ("Dark") when the user's apps use the dark mode, else 0 ("Light").
int SystemSchemeIndex();
// The same rule on a value read from the registry.
int SchemeIndexFromAppsUseLightTheme(const void* data, DWORD size, DWORD type);
