#include "keyboardlayout.h"

#include <cwctype>

#include "../lang/exmlang.h"
#include "../toolkit/controls/exbutton.h"
#include "../toolkit/window/accessibility.h"

namespace {

constexpr int kMaxLayouts = 32;

int InstalledLayouts(HKL* layouts) {
    const int count = GetKeyboardLayoutList(kMaxLayouts, layouts);
    return count > 0 ? count : 0;
}

exstring LocaleName(HKL layout) {
    const LCID locale = MAKELCID(LOWORD(reinterpret_cast<ULONG_PTR>(layout)), SORT_DEFAULT);
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return exstring();
    return name;
}

exstring LocaleInfo(const exstring& locale, LCTYPE type) {
    wchar_t text[128] = {};
    if (locale.empty() || GetLocaleInfoEx(locale.c_str(), type, text, 128) == 0) return exstring();
    return text;
}

} // namespace

exstring LayoutShortName(HKL layout) {
    exstring name = LocaleInfo(LocaleName(layout), LOCALE_SISO639LANGNAME2);
    if (name.empty())
        return exstring::Format(L"%04X", static_cast<unsigned>(LOWORD(reinterpret_cast<ULONG_PTR>(layout))));
    for (wchar_t& letter : name) letter = static_cast<wchar_t>(std::towupper(letter));
    return name;
}

HKL NextLayout(HKL current, const HKL* installed, int count) {
    for (int i = 0; i < count; ++i)
        if (installed[i] == current) return count > 1 ? installed[(i + 1) % count] : nullptr;
    // A layout the list does not know: any of the list is another.
    return count > 0 ? installed[0] : nullptr;
}

bool SwitchToNextLayout() {
    HKL installed[kMaxLayouts] = {};
    const HKL next = NextLayout(GetKeyboardLayout(0), installed, InstalledLayouts(installed));
    return next != nullptr && ActivateKeyboardLayout(next, 0) != nullptr;
}

void ShowKeyboardLayout(exButton& button, const exmlang& strings) {
    if (button.Handle() == nullptr) return;
    const HKL layout = GetKeyboardLayout(0);
    const exstring shortName = LayoutShortName(layout);
    // A change while the button is on the screen is spoken; the first name is not.
    const bool changed = IsWindowVisible(button.Handle()) && WindowTextOf(button.Handle()) != shortName;
    SetWindowTextW(button.Handle(), shortName.c_str());
    HKL installed[kMaxLayouts] = {};
    const bool another = NextLayout(layout, installed, InstalledLayouts(installed)) != nullptr;
    exstring language = LocaleInfo(LocaleName(layout), LOCALE_SLOCALIZEDDISPLAYNAME);
    if (language.empty()) language = LayoutShortName(layout);
    const exstring tip = strings.GetText(L"password", another ? L"layout_change" : L"layout", language);
    button.SetTooltipText(tip.c_str());
    SetAccessibleName(button.Handle(), strings.GetText(L"password", L"layout", language));
    MakeLiveRegion(button.Handle(), LiveSetting::kPolite);
    if (changed) AnnounceChange(button.Handle());
    EnableWindow(button.Handle(), another ? TRUE : FALSE);
    InvalidateRect(button.Handle(), nullptr, TRUE);
}
