// The process-wide theme: colour schemes, the painting mode, brushes, the
// toolkit fonts and the margins derived from them.
#pragma once

#include <windows.h>

#include <vector>

#include "../../base/uniquehandle.h"
#include "../../text/exstring.h"
#include "../draw/exfont.h"

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

// The look the user chose, in the order the menu offers it; stored by name.
enum class Appearance { kFollowWindows, kSystemColours, kLight, kDark, kBlue, kGreen };
constexpr int kAppearanceCount = 6;

// The stored name of a choice: its English menu text ("Follow Windows", "System Colours", "Light", ...).
const wchar_t* AppearanceName(Appearance choice);
// Any name not among them, the empty one included, is Follow Windows.
Appearance AppearanceFromName(const exstring& name);
// Index in the scheme list for a choice given the system's state: high
// contrast always takes the system colours; Follow Windows is "Dark" in the
// dark app mode and the system colours otherwise.
int SchemeIndexFor(Appearance choice, bool highContrast, int systemSchemeIndex);
// Whether the user has high contrast on.
bool HighContrastOn();

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
    // Applies the scheme the choice stands for now; remembered for FollowSystem.
    void SetAppearance(Appearance choice);
    Appearance Choice() const { return choice_; }
    // After a change of the system's app mode or high contrast: applies the
    // scheme the current choice stands for, when that is another one.
    void FollowSystem();
    // Whether the current scheme paints light text on a dark ground.
    bool IsDark() const;
    void CreateFonts(const LOGFONTW& base, double scale);

    const ColorScheme& Scheme() const { return scheme_; }
    const std::vector<ColorScheme>& Schemes() const { return schemes_; }
    bool SystemColors() const { return systemColors_; }
    HBRUSH BackgroundBrush() const { return backgroundBrush_.Get(); }
    HBRUSH FieldBrush() const { return fieldBrush_.Get(); }
    HBRUSH BorderBrush() const { return borderBrush_.Get(); }
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
    int index_ = -1;
    Appearance choice_ = Appearance::kFollowWindows;
    std::vector<ColorScheme> schemes_;
    bool includeSystemDefault_ = true;
    bool systemColors_ = false;
    UniqueBrush backgroundBrush_;
    UniqueBrush fieldBrush_;
    UniqueBrush borderBrush_;
    exfont dialogFont_;
    exfont boldFont_;
    exfont largeFont_;
    ThemeMetrics metrics_;
    FontMetrics dialogMetrics_, boldMetrics_, largeMetrics_;
    bool metricsCached_ = false;
};

// The theme, set up on first use (the scheme applied, the fonts made).
ThemeState& Theme();

// Asks the window manager for dark title bars where it offers them, and for
// light ones again; nothing happens where it does not.
void SetDarkTitleBar(HWND window, bool dark);

// 1 ("Dark") when the user's apps use the dark mode, else 0 ("Light").
int SystemSchemeIndex();
// The same rule on a value read from the registry.
int SchemeIndexFromAppsUseLightTheme(const void* data, DWORD size, DWORD type);
