// The settings menu: what each command stores, and the marks it shows.
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "lang/catalogue.h"
#include "lang/displaylanguages.h"
#include "lang/mgtmlang.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "settings/registry.h"
#include "testsupport.h"
#include "ui/mgtmaindlg.h"
#include "../../toolkit/controls/exmenu.h"
#include "../../toolkit/theme/extheme.h"
#include "ui/settingsmenu.h"

namespace {

const uint32_t kSystemColor = 0xFFFFFFFFu;

// Answers the choosers for the user and records how they were opened.
struct ScriptedChoosers : SettingsChoosers {
    bool confirm = false;
    COLORREF color = 0;
    exstring image;
    COLORREF openedWithColor = 0, customLast = 0;
    exstring openedWithImage, filter;
    bool PickColor(HWND, COLORREF initial, COLORREF* custom, COLORREF& chosen) override {
        openedWithColor = initial;
        customLast = custom[15];
        chosen = color;
        return confirm;
    }
    bool PickImage(HWND, const exstring& filterText, const exstring& current, exstring& chosen) override {
        filter = filterText;
        openedWithImage = current;
        chosen = image;
        return confirm;
    }
};

class SettingsMenu : public ::testing::Test {
protected:
    SettingsMenu() { BuildSettingsMenu(menu, strings); }
    SettingsStore Store() const { return SettingsStore{roots.Machine(), roots.User()}; }
    ScratchRoots roots{L"menu"};
    mgtMLang strings;
    exMenu menu;
    ScriptedChoosers choosers;
};

struct CommandCase {
    const char* what;
    UINT command;
    uint32_t color;
    const wchar_t* image;
    bool confirm;
    COLORREF chosenColor;
    const wchar_t* chosenImage;
    bool stores;
    uint32_t storedColor;
    const wchar_t* storedImage;
};

const CommandCase kCommands[] = {
    {"system colour replaces a custom one", IDM_BGCOLOR_SYSTEM, 0x123456, L"", false, 0, L"", true, kSystemColor, L""},
    {"system colour already in use", IDM_BGCOLOR_SYSTEM, 0x01000000, L"", false, 0, L"", false, 0x01000000, L""},
    {"colour chooser cancelled", IDM_BGCOLOR_CUSTOM, 0x123456, L"", false, 0x00FF00, L"", false, 0x123456, L""},
    {"same colour chosen again", IDM_BGCOLOR_CUSTOM, 0x123456, L"", true, 0x123456, L"", false, 0x123456, L""},
    {"new colour chosen", IDM_BGCOLOR_CUSTOM, kSystemColor, L"", true, 0x00FF00, L"", true, 0x00FF00, L""},
    {"no image while there is none", IDM_BGIMAGE_NONE, 0, L"", false, 0, L"", false, 0, L""},
    {"no image replaces a picture", IDM_BGIMAGE_NONE, 0, L"C:\\a.png", false, 0, L"", true, 0, L""},
    {"wallpaper already chosen in capitals", IDM_BGIMAGE_SYSTEM, 0, L"SYSTEM", false, 0, L"", false, 0, L"SYSTEM"},
    {"wallpaper chosen", IDM_BGIMAGE_SYSTEM, 0, L"", false, 0, L"", true, 0, L"system"},
    {"same picture in other letter case", IDM_BGIMAGE_CUSTOM, 0, L"C:\\Pics\\A.png", true, 0, L"c:\\pics\\a.PNG", false,
     0, L"C:\\Pics\\A.png"},
    {"new picture chosen", IDM_BGIMAGE_CUSTOM, 0, L"System", true, 0, L"C:\\b.jpg", true, 0, L"C:\\b.jpg"},
    {"picture chooser cancelled", IDM_BGIMAGE_CUSTOM, 0, L"", false, 0, L"C:\\b.jpg", false, 0, L""},
};

TEST_F(SettingsMenu, CommandsStoreOnlyWhatChanges) {
    for (const CommandCase& c : kCommands) {
        SCOPED_TRACE(c.what);
        mgtSettings settings(Store());
        settings.bgColor = c.color;
        settings.bgImage = c.image;
        settings.modifiedTime = 0;
        choosers = ScriptedChoosers();
        choosers.confirm = c.confirm;
        choosers.color = c.chosenColor;
        choosers.image = c.chosenImage;
        ASSERT_TRUE(RunSettingsCommand(c.command, nullptr, settings, strings, choosers));
        // The choosers open on what is in use: the desktop's colour for the system's, no path for the wallpaper.
        const COLORREF colorInUse = c.color == kSystemColor ? GetSysColor(COLOR_BACKGROUND) : c.color;
        const exstring pathInUse = exstring(c.image).EqualsNoCase(L"system") ? exstring() : exstring(c.image);
        EXPECT_TRUE(c.command != IDM_BGCOLOR_CUSTOM ||
                    (choosers.openedWithColor == colorInUse && choosers.customLast == colorInUse));
        EXPECT_TRUE(c.command != IDM_BGIMAGE_CUSTOM || (choosers.openedWithImage == pathInUse &&
                    choosers.filter.find(L'|') == exstring::npos && choosers.filter.find(L'\0') != exstring::npos))
            << "the filter is pairs split by NULs";
        EXPECT_EQ(settings.modifiedTime != 0, c.stores);
        EXPECT_EQ(settings.bgColor, c.storedColor);
        EXPECT_EQ(settings.bgImage, exstring(c.storedImage));
        const mgtSettings reloaded(Store());
        EXPECT_TRUE(!c.stores || (reloaded.bgColor == c.storedColor && reloaded.bgImage == c.storedImage)) << "stored";
    }
}

// Each look is stored by its name, at once, and applied.
TEST_F(SettingsMenu, AppearanceChoicesStoreTheirNames) {
    const wchar_t* const names[] = {L"Follow Windows", L"System Colours", L"Light", L"Dark", L"Blue", L"Green"};
    mgtSettings settings(Store());
    for (UINT i = 0; i < 6; ++i) {
        ASSERT_TRUE(RunSettingsCommand(32800 + i, nullptr, settings, strings, choosers));
        EXPECT_EQ(RegistryText(roots.Machine(), Store().keyPath + L"\\global", L"appearance"), exstring(names[i]));
        EXPECT_EQ(static_cast<UINT>(Theme().Choice()), i) << "applied at once";
    }
    Theme().SetAppearance(Appearance::kFollowWindows);
}

UINT StateOf(HMENU menu, UINT id) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_FTYPE;
    GetMenuItemInfoW(menu, id, FALSE, &item);
    EXPECT_EQ(item.fType & MFT_RADIOCHECK, 0u) << "item " << id << " would show a bullet";
    return item.fState;
}

// Each language is stored by its tag, Follow Windows by none; the main window speaks it at once.
TEST_F(SettingsMenu, LanguageChoicesStoreTheirTagsAndShowAtOnce) {
    mgtSettings settings(Store());
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr,
                                 [&] { strings.Load(CatalogueForUser(settings.language)); }});
    ASSERT_TRUE(main.Create(nullptr));
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    for (size_t i = count + 1; i-- > 0;) {  // the last language first, Follow Windows last
        const UINT command = static_cast<UINT>(IDM_LANGUAGE_FIRST + i);
        const Catalogue* catalogue = i > 0 ? catalogues[i - 1] : nullptr;
        const exstring tag = catalogue != nullptr ? catalogue->tag : L"";
        SCOPED_TRACE(tag.ToUtf8());
        SendMessageW(main.Handle(), WM_COMMAND, command, 0);
        EXPECT_EQ(RegistryText(roots.Machine(), Store().keyPath + L"\\global", L"Language"), tag);
        mgtMLang shown;
        shown.Load(catalogue != nullptr ? *catalogue : EnglishCatalogue());
        EXPECT_EQ(WindowTextOf(GetDlgItem(main.Handle(), IDC_LOCK_NOW)), shown.GetText(L"main", L"locknow"));
        RefreshSettingsMarks(menu, mgtSettings(Store()), strings);
        for (UINT id = IDM_LANGUAGE_FIRST; id <= IDM_LANGUAGE_FIRST + count; ++id)
            EXPECT_EQ((StateOf(menu.Handle(), id) & MFS_CHECKED) != 0, id == command) << "item " << id;
    }
    DestroyWindow(main.Handle());
    EXPECT_FALSE(RunSettingsCommand(static_cast<UINT>(IDM_LANGUAGE_FIRST + 1 + count), nullptr, settings, strings,
                                    choosers)) << "past the languages";
}

TEST_F(SettingsMenu, MarksFollowTheSettings) {
    mgtSettings settings(Store());
    struct {
        uint32_t color;
        const wchar_t* image;
        bool useOrgScreen, autoStart;
        UINT checkedColor, checkedImage;
        const wchar_t* appearance;
        UINT checkedAppearance;
        bool showClock;
    } cases[] = {
        {0x05000000, L"", false, true, IDM_BGCOLOR_SYSTEM, IDM_BGIMAGE_NONE, L"bLuE", 32804, true},
        {0x00102030, L"sYsTeM", true, false, IDM_BGCOLOR_CUSTOM, IDM_BGIMAGE_SYSTEM, L"Purple", 32800, true},
        {0x00000000, L"C:\\x.png", false, false, IDM_BGCOLOR_CUSTOM, IDM_BGIMAGE_CUSTOM, L"", 32800, false},
    };
    for (const auto& c : cases) {
        settings.bgColor = c.color;
        settings.bgImage = c.image;
        settings.useOrgScreen = c.useOrgScreen;
        settings.autoStart = c.autoStart;
        settings.showClock = c.showClock;
        settings.appearance = c.appearance;
        RefreshSettingsMarks(menu, settings, strings);
        const HMENU root = menu.Handle();
        for (UINT id = IDM_BGCOLOR_SYSTEM; id <= IDM_BGIMAGE_CUSTOM; ++id)
            EXPECT_EQ((StateOf(root, id) & MFS_CHECKED) != 0, id == c.checkedColor || id == c.checkedImage) << id;
        for (UINT id = IDM_APPEARANCE_FIRST; id <= IDM_APPEARANCE_LAST; ++id)
            EXPECT_EQ((StateOf(root, id) & MFS_CHECKED) != 0, id == c.checkedAppearance) << "item " << id;
        EXPECT_EQ((StateOf(root, IDM_USE_ORIGINAL_SCREEN) & MFS_CHECKED) != 0, c.useOrgScreen);
        EXPECT_EQ((StateOf(root, IDM_AUTO_START) & MFS_CHECKED) != 0, c.autoStart);
        EXPECT_EQ((StateOf(root, IDM_SHOW_CLOCK) & MFS_CHECKED) != 0, c.showClock);
        EXPECT_EQ((StateOf(root, IDM_SHOW_CLOCK) & MFS_GRAYED) != 0, c.useOrgScreen) << "no background, no clock";
        for (UINT position : {2u, 3u})  // the two sub-menus
            EXPECT_EQ((GetMenuState(root, position, MF_BYPOSITION) & MF_GRAYED) != 0, c.useOrgScreen) << position;
    }
}

// Every item keeps its text beside the drawing, for screen readers, and has a key of its own.
TEST_F(SettingsMenu, EveryItemKeepsItsTextAndHasAMnemonic) {
    std::vector<HMENU> menus{menu.Handle()};
    for (size_t m = 0; m < menus.size(); ++m)
        for (UINT position = 0; position < static_cast<UINT>(GetMenuItemCount(menus[m])); ++position) {
            wchar_t text[128] = {};
            if (GetMenuStringW(menus[m], position, text, 128, MF_BYPOSITION) == 0) continue;  // a separator
            if (HMENU sub = GetSubMenu(menus[m], static_cast<int>(position))) menus.push_back(sub);
            const wchar_t* mark = wcschr(text, L'&');
            EXPECT_TRUE(mark != nullptr && mark[1] != 0 && mark[1] != L'&') << e2e::Utf8(text) << " in menu " << m;
        }
    EXPECT_EQ(menus.size(), 6u) << "the menu and its five sub-menus";
}

// What a policy fixes is greyed and refused even when the command comes, and a line says why; the rest is stored.
TEST_F(SettingsMenu, PoliciesGreyAndRefuse) {
    const DWORD fiveMinutes = 5, off = 0;
    ASSERT_TRUE(WriteValue(roots.Machine(), kPolicyKeyPath, L"MaxIdleLockMinutes", &fiveMinutes, 4, REG_DWORD));
    ASSERT_TRUE(WriteValue(roots.User(), kPolicyKeyPath, L"LockAtLogOn", &off, 4, REG_DWORD));
    ASSERT_TRUE(WriteValue(roots.User(), kPolicyKeyPath, L"AllowHelperExit", &off, 4, REG_DWORD));
    ASSERT_TRUE(WriteValue(roots.Machine(), kPolicyKeyPath, L"Language", L"de", 6, REG_SZ));
    mgtSettings settings(Store());
    EXPECT_TRUE(SettingFixedByPolicy(IDM_TRAY_EXIT, settings)) << "the helper's Exit stays open";
    RefreshSettingsMarks(menu, settings, strings);
    const struct { UINT command; bool fixed; } cases[] = {
        {IDM_AUTO_START, true}, {IDM_IDLE_NEVER, true}, {IDM_IDLE_1, false}, {IDM_IDLE_5, false}, {IDM_IDLE_10, true},
        {IDM_LOCK_ON_SLEEP, false}, {IDM_SHOW_CLOCK, false}, {IDM_USE_ORIGINAL_SCREEN, false}};
    for (const auto& c : cases) {
        EXPECT_EQ((StateOf(menu.Handle(), c.command) & MFS_GRAYED) != 0, c.fixed) << "item " << c.command;
        const mgtSettings before(Store());
        RunSettingsCommand(c.command, nullptr, settings, strings, choosers);
        const mgtSettings after(Store());
        const bool changed = after.autoStart != before.autoStart || after.idleLock != before.idleLock ||
                             after.lockOnSleep != before.lockOnSleep || after.showClock != before.showClock ||
                             after.useOrgScreen != before.useOrgScreen;
        EXPECT_NE(changed, c.fixed) << "command " << c.command;
    }
    // The organisation's language stands, whichever is chosen.
    RunSettingsCommand(IDM_LANGUAGE_FIRST, nullptr, settings, strings, choosers);
    EXPECT_EQ(settings.language, exstring(L"de"));
    EXPECT_EQ(StateOf(menu.Handle(), IDM_MANAGED_NOTE) & MFS_GRAYED, static_cast<UINT>(MFS_GRAYED));
    const int items = menu.GetItemCount();
    RefreshSettingsMarks(menu, settings, strings);
    EXPECT_EQ(menu.GetItemCount(), items) << "the note comes once";
}

} // namespace
