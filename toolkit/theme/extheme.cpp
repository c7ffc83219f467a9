#include "extheme.h"

#include <cmath>

#include "../../settings/registry.h"
#include "../draw/drawservices.h"
#include "../window/changes.h"
#include "../window/exwnd.h"

namespace {

constexpr double kLargeFontScale = 1.45;

std::vector<ColorScheme> MakeSchemes() {
    return {
        {L"Light", 0xF0F0F0, 0xADADAD, 0xCC7A00, 0xDEDEDE, 0xF8E7D1, 0xEEC593, 0xCCCCCC, 0x000000, 0x808080,
         0xFFFFFF, 0xCC0000, 0x808080},
        {L"Dark", 0x252525, 0x858585, 0xCC7A00, 0x333333, 0x4D4D4D, 0x686868, 0x333333, 0xDADADA, 0x858585,
         0x1E1E1E, 0xCC7A00, 0xDADADA},
        {L"Blue", 0x6C3C00, 0xD8B180, 0x35B735, 0x8A4D00, 0x9B5500, 0xD57500, 0x6C3C00, 0xFFFFFF, 0x808080,
         0x4F2D00, 0x35B735, 0xE1C49F},
        {L"Green", 0x0C5C0C, 0x88BE88, 0xFFFFFF, 0x107C10, 0x288928, 0x2E9E2E, 0x0C5C0C, 0xFFFFFF, 0x88BE88,
         0x094209, 0xFFFFFF, 0xBADABA},
        {L"System Default", 0xF0F0F0, 0xADADAD, 0xCC7A00, 0xDEDEDE, 0xF8E7D1, 0xEEC593, 0xCCCCCC, 0x000000,
         0x808080, 0xFFFFFF, 0xCC0000, 0x808080},
    };
}

constexpr int kSystemDefaultIndex = 4;
constexpr int kDarkIndex = 1;

// Stored as the English item texts, whatever language the menu shows.
const wchar_t* const kAppearanceNames[kAppearanceCount] = {L"Follow Windows", L"System Colours", L"Light",
                                                            L"Dark", L"Blue", L"Green"};

// Posted, not sent: a window that is busy painting takes it in turn.
BOOL CALLBACK PostSchemeMarker(HWND window, LPARAM marker) {
    PostMessageW(window, WM_SYSCOLORCHANGE, 0, marker);
    return TRUE;
}

void ReplaceBrush(UniqueBrush& brush, COLORREF color) {
    brush.Reset(CreateSolidBrush(color));
}

} // namespace

const std::vector<ColorScheme>& BuiltInSchemes() {
    static const std::vector<ColorScheme> schemes = MakeSchemes();
    return schemes;
}

int SchemeIndexFromAppsUseLightTheme(const void* data, DWORD size, DWORD type) {
    if (data == nullptr || size != sizeof(DWORD) || type != REG_DWORD) return 0;
    DWORD value = 0;
    memcpy(&value, data, sizeof(value));
    return value == 0 ? 1 : 0;
}

const wchar_t* AppearanceName(Appearance choice) {
    const int index = static_cast<int>(choice);
    return index >= 0 && index < kAppearanceCount ? kAppearanceNames[index] : kAppearanceNames[0];
}

Appearance AppearanceFromName(const exstring& name) {
    for (int i = 0; i < kAppearanceCount; ++i)
        if (name.EqualsNoCase(kAppearanceNames[i])) return static_cast<Appearance>(i);
    return Appearance::kFollowWindows;
}

int SchemeIndexFor(Appearance choice, bool highContrast, int systemSchemeIndex) {
    if (highContrast) return kSystemDefaultIndex;
    switch (choice) {
    case Appearance::kLight: return 0;
    case Appearance::kDark: return kDarkIndex;
    case Appearance::kBlue: return 2;
    case Appearance::kGreen: return 3;
    case Appearance::kFollowWindows: return systemSchemeIndex == kDarkIndex ? kDarkIndex : kSystemDefaultIndex;
    default: return kSystemDefaultIndex;
    }
}

bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void SetDarkTitleBar(HWND window, bool dark) {
    using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    static const auto setAttribute = reinterpret_cast<SetAttributeFn>(
        reinterpret_cast<void*>(drawservices::LookUpEntryPoint(L"dwmapi.dll", "DwmSetWindowAttribute")));
    if (setAttribute == nullptr || window == nullptr) return;
    const BOOL value = dark ? TRUE : FALSE;
    // 20 is the attribute's number since Windows 10 20H1; earlier builds knew it as 19.
    if (FAILED(setAttribute(window, 20, &value, sizeof(value)))) setAttribute(window, 19, &value, sizeof(value));
}

int SystemSchemeIndex() {
    DWORD type = REG_NONE;
    const ByteBuffer value =
        ReadValue(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", L"AppsUseLightTheme", &type);
    return SchemeIndexFromAppsUseLightTheme(value.Data(), static_cast<DWORD>(value.Size()), type);
}

ThemeState::ThemeState() {
    const std::vector<ColorScheme>& all = BuiltInSchemes();
    schemes_.assign(all.begin(), all.begin() + 4);
    if (includeSystemDefault_) schemes_.push_back(all[4]);
    if (!ApplyScheme(-1)) ApplyScheme(SystemSchemeIndex());
    CreateFonts(SystemMenuFont(), kLargeFontScale);
}

ThemeState::~ThemeState() = default;

ThemeState& Theme() {
    static ThemeState theme;
    return theme;
}

bool ThemeState::ApplyScheme(int index) {
    if (index == -1)
        index = includeSystemDefault_ && !schemes_.empty() ? static_cast<int>(schemes_.size()) - 1 : SystemSchemeIndex();
    if (index < 0 || index >= static_cast<int>(schemes_.size())) return false;
    scheme_ = schemes_[static_cast<size_t>(index)];
    index_ = index;
    systemColors_ = includeSystemDefault_ && index == static_cast<int>(schemes_.size()) - 1;
    RecreateBrushes();
    AnnounceChange(ToolkitChange::kScheme);
    // Every window of this thread learns of the change from this marker (the
    // scheme's address): the main window, dialogs and message boxes open over
    // it, the lock's background. Dialogs pass it on to their controls.
    EnumThreadWindows(GetCurrentThreadId(), PostSchemeMarker, reinterpret_cast<LPARAM>(&scheme_));
    return true;
}

void ThemeState::SetAppearance(Appearance choice) {
    choice_ = choice;
    FollowSystem();
}

void ThemeState::FollowSystem() {
    const int index = SchemeIndexFor(choice_, HighContrastOn(), SystemSchemeIndex());
    if (index != index_) ApplyScheme(index);
}

bool ThemeState::IsDark() const {
    if (systemColors_) return false;
    const COLORREF ground = scheme_.background;
    return GetRValue(ground) * 299 + GetGValue(ground) * 587 + GetBValue(ground) * 114 < 128 * 1000;
}

void ThemeState::RecreateBrushes() {
    ReplaceBrush(backgroundBrush_, scheme_.background);
    ReplaceBrush(fieldBrush_, scheme_.fieldBackground);
    ReplaceBrush(borderBrush_, scheme_.border);
}

void ThemeState::CreateFonts(const LOGFONTW& base, double scale) {
    if (scale <= 1.0) scale = 1.0;
    const HFONT previous = dialogFont_.Handle();
    LOGFONTW bold = base;
    bold.lfWeight = FW_BOLD;
    LOGFONTW large = base;
    large.lfHeight = static_cast<LONG>(large.lfHeight * scale);
    dialogFont_.Create(base);
    boldFont_.Create(bold);
    largeFont_.Create(large);
    metricsCached_ = false;

    const POINT margins = DialogUnitsToPixels(MetricsOf(DialogFont()), 7, 7);
    const POINT spacing = DialogUnitsToPixels(MetricsOf(DialogFont()), 4, 4);
    metrics_ = ThemeMetrics{margins.x, margins.y, margins.x / 2, margins.y / 2, spacing.x, spacing.y};

    if (DialogFont() != previous) {
        AnnounceChange(ToolkitChange::kFont);
        const exWnd* main = exWnd::MainWindow();
        if (main != nullptr && main->Handle() != nullptr)
            SendMessageW(main->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), 0);
    }
}

FontMetrics ThemeState::MetricsOf(HFONT font) {
    if (!metricsCached_) {
        dialogMetrics_ = MeasureFontMetrics(DialogFont());
        boldMetrics_ = MeasureFontMetrics(BoldFont());
        largeMetrics_ = MeasureFontMetrics(LargeFont());
        metricsCached_ = true;
    }
    if (font == DialogFont()) return dialogMetrics_;
    if (font == BoldFont()) return boldMetrics_;
    if (font == LargeFont()) return largeMetrics_;
    return MeasureFontMetrics(font);
}

COLORREF ThemeState::BackgroundColor() const {
    return systemColors_ ? GetSysColor(COLOR_BTNFACE) : scheme_.background;
}

COLORREF ThemeState::TextColor() const {
    return systemColors_ ? GetSysColor(COLOR_BTNTEXT) : scheme_.text;
}
