#include "settingsmenu.h"

#include <commdlg.h>

#include "../lang/catalogue.h"
#include "../lang/exmlang.h"
#include "../res/resource.h"
#include "../settings/mgtsettings.h"
#include "../toolkit/controls/exmenu.h"
#include "../toolkit/theme/extheme.h"

namespace {

constexpr size_t kFileBufferChars = 520;
const wchar_t kImagePatterns[] = L"*.bmp;*.png;*.jpg;*.jpeg;*.gif";
const wchar_t kSystemImage[] = L"system";

bool UsesSystemColor(uint32_t color) {
    return (color & 0xFF000000u) != 0;
}

void AppendText(exMenu& menu, UINT id, const exmlang& strings, const wchar_t* key) {
    menu.AppendItem(id, strings.GetText(L"settings", key));
}

void AppendSeparator(exMenu& menu) {
    menu.AppendItem(0, exstring());
}

struct IdleChoice {
    UINT command;
    uint32_t seconds;
};
const IdleChoice kIdleChoices[] = {{IDM_IDLE_NEVER, 0},   {IDM_IDLE_1, 60},        {IDM_IDLE_5, 5 * 60},
                                   {IDM_IDLE_10, 10 * 60}, {IDM_IDLE_15, 15 * 60}, {IDM_IDLE_30, 30 * 60}};

// Sets the idle timeout of an idle-lock command; false for other commands.
bool ChooseIdleLock(UINT command, mgtSettings& settings, bool& changed) {
    for (const IdleChoice& choice : kIdleChoices) {
        if (choice.command != command) continue;
        changed = settings.idleLock != choice.seconds;
        // Locking before sleep comes on with idle locking, as its default.
        if (settings.idleLock == 0 && choice.seconds != 0) settings.lockOnSleep = true;
        settings.idleLock = choice.seconds;
        return true;
    }
    return false;
}

void AppendAppearanceMenu(exMenu& menu, const exmlang& strings) {
    exMenu* looks = menu.AppendPopup(strings.GetText(L"settings", L"appearance"));
    if (looks == nullptr) return;
    for (UINT i = 0; i < kAppearanceCount; ++i)
        looks->AppendItem(IDM_APPEARANCE_FIRST + i,
                          strings.GetText(L"settings", exstring::Format(L"appearance_%u", i)));
}

UINT AppearanceCommand(const mgtSettings& settings) {
    return IDM_APPEARANCE_FIRST + static_cast<UINT>(AppearanceFromName(settings.appearance));
}

// Stores and applies an Appearance choice; false for other commands.
bool ChooseAppearance(UINT command, mgtSettings& settings, bool& changed) {
    if (command < IDM_APPEARANCE_FIRST || command > IDM_APPEARANCE_LAST) return false;
    const auto choice = static_cast<Appearance>(command - IDM_APPEARANCE_FIRST);
    changed = !settings.appearance.EqualsNoCase(AppearanceName(choice));
    settings.appearance = AppearanceName(choice);
    Theme().SetAppearance(choice);
    return true;
}

// The language of each Language command, "" for Follow Windows; false for
// other commands and for numbers past the built-in catalogues.
bool LanguageOfCommand(UINT command, exstring& tag) {
    if (command < IDM_LANGUAGE_FIRST || command > IDM_LANGUAGE_LAST) return false;
    if (command == IDM_LANGUAGE_FIRST) {
        tag.clear();
        return true;
    }
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    const size_t index = command - IDM_LANGUAGE_FIRST - 1;
    if (index >= count) return false;
    tag = catalogues[index]->tag;
    return true;
}

// A language's own name with an access key no earlier item of the menu has:
// its first such Latin letter, or one of its tag's letters in brackets, as
// Windows writes keys for scripts without Latin letters.
exstring WithAccessKey(const exstring& name, const exstring& tag, exstring& taken) {
    const auto free = [&taken](exchar letter) {
        const exchar lower = static_cast<exchar>(letter | 0x20);
        return lower >= 'a' && lower <= 'z' && taken.find(lower) == exstring::npos;
    };
    for (size_t i = 0; i < name.size(); ++i)
        if (free(name[i])) {
            taken += static_cast<exchar>(name[i] | 0x20);
            return name.substr(0, i) + EXT("&") + name.substr(i);
        }
    for (exchar letter : tag + EXT("abcdefghijklmnopqrstuvwxyz"))
        if (free(letter)) {
            taken += static_cast<exchar>(letter | 0x20);
            return name + EXT("(&") + exstring(1, static_cast<exchar>(letter & ~0x20)) + EXT(")");
        }
    return name;
}

void AppendLanguageMenu(exMenu& menu, const exmlang& strings) {
    exMenu* languages = menu.AppendPopup(strings.GetText(L"settings", L"language"));
    if (languages == nullptr) return;
    const exstring followWindows = strings.GetText(L"settings", L"language_auto");
    languages->AppendItem(IDM_LANGUAGE_FIRST, followWindows);
    const size_t key = followWindows.find(L'&');
    exstring taken = key + 1 < followWindows.size() ? exstring(1, static_cast<exchar>(followWindows[key + 1] | 0x20))
                                                    : exstring();
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    // Each in its own name, so that someone who cannot read the current one finds theirs.
    for (size_t i = 0; i < count && IDM_LANGUAGE_FIRST + 1 + i <= IDM_LANGUAGE_LAST; ++i)
        languages->AppendItem(static_cast<UINT>(IDM_LANGUAGE_FIRST + 1 + i),
                              WithAccessKey(catalogues[i]->name, catalogues[i]->tag, taken));
}

UINT LanguageCommand(const mgtSettings& settings) {
    for (UINT command = IDM_LANGUAGE_FIRST + 1; command <= IDM_LANGUAGE_LAST; ++command) {
        exstring tag;
        if (LanguageOfCommand(command, tag) && tag.EqualsNoCase(settings.language)) return command;
    }
    // An empty or unknown stored language follows Windows.
    return IDM_LANGUAGE_FIRST;
}

// Stores a Language choice; false for other commands. The caller loads it.
bool ChooseLanguage(UINT command, mgtSettings& settings, bool& changed) {
    exstring tag;
    if (!LanguageOfCommand(command, tag)) return false;
    changed = !tag.EqualsNoCase(settings.language);
    settings.language = tag;
    return true;
}

// Whether an idle-lock choice stays within what the policies allow.
bool IdleChoiceAllowed(uint32_t seconds, const mgtSettings& settings) {
    if (settings.IsManaged(Managed::kIdleLock)) return false;
    const uint32_t ceiling = settings.IdleLockCeiling();
    return ceiling == 0 || (seconds != 0 && seconds <= ceiling);
}

// Adds the line that says why items are greyed, once, when policies apply.
void ShowManagedNote(exMenu& menu, const mgtSettings& settings, const exmlang& strings) {
    if (!settings.Policies().Any() || menu.HasItem(IDM_MANAGED_NOTE)) return;
    AppendSeparator(menu);
    menu.AppendItem(IDM_MANAGED_NOTE, strings.GetText(L"settings", L"managed"));
    menu.EnableItem(IDM_MANAGED_NOTE, false);
}

} // namespace

bool IsLanguageCommand(UINT command) {
    exstring tag;
    return LanguageOfCommand(command, tag);
}

bool SettingFixedByPolicy(UINT command, const mgtSettings& settings) {
    if (IsLanguageCommand(command)) return settings.IsManaged(Managed::kLanguage);
    for (const IdleChoice& choice : kIdleChoices)
        if (choice.command == command) return !IdleChoiceAllowed(choice.seconds, settings);
    switch (command) {
    case IDM_BGCOLOR_SYSTEM:
    case IDM_BGCOLOR_CUSTOM:
        return settings.IsManaged(Managed::kBgColor);
    case IDM_BGIMAGE_NONE:
    case IDM_BGIMAGE_SYSTEM:
    case IDM_BGIMAGE_CUSTOM:
        return settings.IsManaged(Managed::kBgImage) || settings.IsManaged(Managed::kBackgroundKind);
    case IDM_USE_ORIGINAL_SCREEN:
        return settings.IsManaged(Managed::kBackgroundKind);
    case IDM_SHOW_CLOCK:
        return settings.IsManaged(Managed::kShowClock);
    case IDM_AUTO_START:
        return settings.IsManaged(Managed::kAutoStart);
    case IDM_LOCK_ON_SLEEP:
        return settings.IsManaged(Managed::kLockOnSleep);
    case IDM_TRAY_EXIT:
        return !settings.HelperExitAllowed();
    default:
        return false;
    }
}

void AppendIdleLockMenu(exMenu& menu, const exmlang& strings) {
    exMenu* idle = menu.AppendPopup(strings.GetText(L"settings", L"idlelock"));
    if (idle == nullptr) return;
    for (const IdleChoice& choice : kIdleChoices) {
        const uint32_t minutes = choice.seconds / 60;
        exstring text = minutes == 0   ? strings.GetText(L"settings", L"idle_never")
                        : minutes == 1 ? strings.GetText(L"settings", L"idle_one")
                                       : strings.GetText(L"settings", L"idle_minutes", exstring::Format(L"%u", minutes));
        idle->AppendItem(choice.command, text);
    }
}

void RefreshIdleLockMarks(exMenu& menu, const mgtSettings& settings, const exmlang& strings) {
    // A timeout set by other means than this menu marks no choice.
    for (const IdleChoice& choice : kIdleChoices) {
        menu.SetCheck(choice.command, false);
        if (choice.seconds == settings.idleLock) menu.CheckRadio(IDM_IDLE_NEVER, IDM_IDLE_30, choice.command);
        menu.EnableItem(choice.command, !SettingFixedByPolicy(choice.command, settings));
    }
    menu.EnableItem(IDM_TRAY_EXIT, !SettingFixedByPolicy(IDM_TRAY_EXIT, settings));
    ShowManagedNote(menu, settings, strings);
}

bool IsHelperCommand(UINT command) {
    return command == IDM_LOCK_ON_SLEEP || (command >= IDM_IDLE_NEVER && command <= IDM_IDLE_30);
}

COLORREF* CustomColors() {
    static COLORREF colors[16] = {};
    return colors;
}

exstring ImageFilter(const exmlang& strings) {
    exstring filter = strings.GetText(L"settings", L"bgimage_filter", kImagePatterns);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    return filter;
}

void BuildOptionsMenu(exMenu& menu, const exmlang& strings) {
    if (!menu.CreatePopup()) return;
    menu.AppendItem(IDM_SHOW_HINT, strings.GetText(L"password", L"pwdhint"));
}

void BuildSettingsMenu(exMenu& menu, const exmlang& strings) {
    if (!menu.CreatePopup()) return;
    AppendText(menu, IDM_SET_PASSWORD, strings, L"password");
    AppendSeparator(menu);
    if (exMenu* color = menu.AppendPopup(strings.GetText(L"settings", L"bgcolor"))) {
        AppendText(*color, IDM_BGCOLOR_SYSTEM, strings, L"bgcolor_sys");
        AppendText(*color, IDM_BGCOLOR_CUSTOM, strings, L"bgcolor_choose");
    }
    if (exMenu* image = menu.AppendPopup(strings.GetText(L"settings", L"bgimage"))) {
        AppendText(*image, IDM_BGIMAGE_NONE, strings, L"bgimage_none");
        AppendText(*image, IDM_BGIMAGE_SYSTEM, strings, L"bgimage_sys");
        AppendText(*image, IDM_BGIMAGE_CUSTOM, strings, L"bgimage_choose");
    }
    AppendAppearanceMenu(menu, strings);
    AppendLanguageMenu(menu, strings);
    AppendSeparator(menu);
    AppendText(menu, IDM_USE_ORIGINAL_SCREEN, strings, L"useorgscreen");
    AppendText(menu, IDM_SHOW_CLOCK, strings, L"showclock");
    // The ways of locking by itself together; Auto Lock at Startup stays last.
    AppendSeparator(menu);
    AppendIdleLockMenu(menu, strings);
    AppendText(menu, IDM_LOCK_ON_SLEEP, strings, L"lockonsleep");
    AppendText(menu, IDM_AUTO_START, strings, L"autostart");
}

void RefreshSettingsMarks(exMenu& menu, const mgtSettings& settings, const exmlang& strings) {
    menu.CheckRadio(IDM_BGCOLOR_SYSTEM, IDM_BGCOLOR_CUSTOM,
                    UsesSystemColor(settings.bgColor) ? IDM_BGCOLOR_SYSTEM : IDM_BGCOLOR_CUSTOM);
    UINT image = IDM_BGIMAGE_CUSTOM;
    if (settings.bgImage.empty())
        image = IDM_BGIMAGE_NONE;
    else if (settings.bgImage.EqualsNoCase(kSystemImage))
        image = IDM_BGIMAGE_SYSTEM;
    menu.CheckRadio(IDM_BGIMAGE_NONE, IDM_BGIMAGE_CUSTOM, image);
    menu.CheckRadio(IDM_APPEARANCE_FIRST, IDM_APPEARANCE_LAST, AppearanceCommand(settings));
    menu.CheckRadio(IDM_LANGUAGE_FIRST, IDM_LANGUAGE_LAST, LanguageCommand(settings));
    menu.SetCheck(IDM_AUTO_START, settings.autoStart);
    menu.SetCheck(IDM_USE_ORIGINAL_SCREEN, settings.useOrgScreen);
    // The clock is drawn on the background, which the original screen has not.
    menu.SetCheck(IDM_SHOW_CLOCK, settings.showClock);
    const auto open = [&settings](UINT command) {
        return !settings.useOrgScreen && !SettingFixedByPolicy(command, settings);
    };
    menu.EnableItem(IDM_SHOW_CLOCK, open(IDM_SHOW_CLOCK));
    menu.EnablePopupOf(IDM_BGCOLOR_SYSTEM, open(IDM_BGCOLOR_SYSTEM));
    menu.EnablePopupOf(IDM_BGIMAGE_NONE, open(IDM_BGIMAGE_NONE));
    menu.EnablePopupOf(IDM_LANGUAGE_FIRST, !SettingFixedByPolicy(IDM_LANGUAGE_FIRST, settings));
    for (UINT command : {IDM_USE_ORIGINAL_SCREEN, IDM_AUTO_START, IDM_LOCK_ON_SLEEP})
        menu.EnableItem(command, !SettingFixedByPolicy(command, settings));
    menu.SetCheck(IDM_LOCK_ON_SLEEP, settings.lockOnSleep);
    RefreshIdleLockMarks(menu, settings, strings);
}

bool SettingsChoosers::PickColor(HWND owner, COLORREF initial, COLORREF* custom, COLORREF& chosen) {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.rgbResult = initial;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return false;
    chosen = choose.rgbResult;
    return true;
}

bool SettingsChoosers::PickImage(HWND owner, const exstring& filter, const exstring& current, exstring& chosen) {
    wchar_t file[kFileBufferChars] = {};
    // A path too long for the buffer is not offered rather than cut.
    if (current.size() < kFileBufferChars) current.copy(file, current.size());
    OPENFILENAMEW open{};
    open.lStructSize = sizeof(open);
    open.hwndOwner = owner;
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file;
    open.nMaxFile = static_cast<DWORD>(kFileBufferChars);
    open.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&open)) return false;
    chosen = file;
    return true;
}

bool RunSettingsCommand(UINT command, HWND owner, mgtSettings& settings, const exmlang& strings,
                        SettingsChoosers& choosers) {
    // Greyed in the menu; a keyboard path or a posted command is refused too.
    if (SettingFixedByPolicy(command, settings)) return true;
    bool changed = false;
    switch (command) {
    case IDM_BGCOLOR_SYSTEM:
        if (!UsesSystemColor(settings.bgColor)) {
            settings.bgColor = 0xFFFFFFFFu;
            changed = true;
        }
        break;
    case IDM_BGCOLOR_CUSTOM: {
        const COLORREF initial = UsesSystemColor(settings.bgColor) ? GetSysColor(COLOR_BACKGROUND) : settings.bgColor;
        COLORREF* custom = CustomColors();
        custom[15] = initial;
        COLORREF chosen = initial;
        if (choosers.PickColor(owner, initial, custom, chosen) && chosen != settings.bgColor) {
            settings.bgColor = chosen;
            changed = true;
        }
        break;
    }
    case IDM_BGIMAGE_NONE:
        changed = !settings.bgImage.empty();
        settings.bgImage.clear();
        break;
    case IDM_BGIMAGE_SYSTEM:
        if (!settings.bgImage.EqualsNoCase(kSystemImage)) {
            settings.bgImage = kSystemImage;
            changed = true;
        }
        break;
    case IDM_BGIMAGE_CUSTOM: {
        const bool hasPath = !settings.bgImage.empty() && !settings.bgImage.EqualsNoCase(kSystemImage);
        exstring chosen;
        if (choosers.PickImage(owner, ImageFilter(strings), hasPath ? settings.bgImage : exstring(), chosen) &&
            !chosen.EqualsNoCase(settings.bgImage)) {
            settings.bgImage = chosen;
            changed = true;
        }
        break;
    }
    case IDM_USE_ORIGINAL_SCREEN:
        settings.useOrgScreen = !settings.useOrgScreen;
        changed = true;
        break;
    case IDM_AUTO_START:
        settings.autoStart = !settings.autoStart;
        changed = true;
        break;
    case IDM_LOCK_ON_SLEEP:
        settings.lockOnSleep = !settings.lockOnSleep;
        changed = true;
        break;
    case IDM_SHOW_CLOCK:
        settings.showClock = !settings.showClock;
        changed = true;
        break;
    default:
        if (!ChooseIdleLock(command, settings, changed) && !ChooseAppearance(command, settings, changed) &&
            !ChooseLanguage(command, settings, changed))
            return false;
    }
    // Not stored: the menu shows again what a restart would bring.
    if (changed && !settings.Save()) settings.Load();
    return true;
}
