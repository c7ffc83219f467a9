// The password dialogs as a screen reader and the keyboard alone find them.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <vector>

#include "lang/mgtmlang.h"
#include "lock/guessthrottle.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "testsupport.h"
#include "ui/mgtinputdlg.h"
#include "ui/mgtmaindlg.h"
#include "../../toolkit/controls/exmenu.h"

namespace {

struct Access : ::testing::Test {
    ScratchRoots roots{L"access"};
    mgtSettings settings{roots.Store()};
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker{nullptr, nullptr};
    mgtUnlockDlg unlock{true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr}};
};

// Password fields are named, protected and silent; Tab walks each dialog in
// reading order. Wine's oleacc names an edit after the static before it, as
// Windows' proxy does, but ignores the annotations that override that name.
// In a colour scheme a field sits in a frame that takes its id.
TEST_F(Access, FieldsAreNamedAndTabWalksInReadingOrder) {
    mgtInputDlg input(settings, strings);
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr, nullptr});
    ASSERT_TRUE(unlock.Create(nullptr) && input.Create(nullptr) && main.Create(nullptr));
    const struct { HWND dialog; int id; const wchar_t *section, *key; bool secret; } fields[] = {
        {unlock.Handle(), IDC_PASSWORD, L"password", L"hint_base", true},
        {input.Handle(), IDC_NEW_PASSWORD, L"settings", L"newpwd", true},
        {input.Handle(), IDC_CONFIRM_PASSWORD, L"settings", L"confirmpwd", true},
        {input.Handle(), IDC_PASSWORD_HINT, L"settings", L"pwdhint", false}};
    for (const auto& field : fields) {
        const HWND item = GetDlgItem(field.dialog, field.id), framed = FindWindowExW(item, nullptr, L"Edit", nullptr);
        SetWindowTextW(framed != nullptr ? framed : item, L"typed");
        const AccessibleFacts facts = AccessibleOf(framed != nullptr ? framed : item);
        EXPECT_EQ(facts.name, strings.GetText(field.section, field.key)) << field.id;
        EXPECT_EQ((facts.state & STATE_SYSTEM_PROTECTED) != 0, field.secret) << field.id;
        EXPECT_EQ(facts.valueGiven, !field.secret) << field.id;
    }

    // Wine installs one keyboard layout: enabled, as where a second one can be chosen.
    EnableWindow(GetDlgItem(unlock.Handle(), IDC_KEYBOARD_LAYOUT), TRUE);
    const std::pair<HWND, std::vector<int>> dialogs[] = {
        {main.Handle(), {IDC_LOCK_NOW, IDC_SETTINGS, IDC_HELP_BUTTON, IDC_WEB_LINK}},
        {unlock.Handle(), {IDC_PASSWORD, IDC_KEYBOARD_LAYOUT, IDC_OPTIONS, IDOK, IDCANCEL}}};
    for (const auto& [dialog, expected] : dialogs) {
        HWND item = GetNextDlgTabItem(dialog, nullptr, FALSE);
        std::vector<int> order{GetDlgCtrlID(item)};
        while ((item = GetNextDlgTabItem(dialog, item, FALSE)) != nullptr && GetDlgCtrlID(item) != order[0] &&
               order.size() < 10)
            order.push_back(GetDlgCtrlID(item));
        EXPECT_EQ(order, expected) << "tab order";
    }
}

std::vector<HWND> g_announced;

// Each wrong password is spoken on the line that counts them, and the start
// of a wait after a run of them, but not each second of it.
TEST_F(Access, WrongPasswordsAndTheWaitAreAnnounced) {
    PasswordRecord record;
    ASSERT_TRUE(SealPassword(L"open42", kTestPasswordRounds, record));
    settings.SetPassword(record);
    ASSERT_TRUE(unlock.Create(nullptr));
    ShowWindow(unlock.Handle(), SW_SHOWNA);
    const HWINEVENTHOOK hook = SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
        [](HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) { g_announced.push_back(window); },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    for (int attempt = 0; attempt < kFreeGuesses; ++attempt) {
        SetDlgItemTextW(unlock.Handle(), IDC_PASSWORD, L"wrong");
        SendMessageW(unlock.Handle(), WM_COMMAND, IDOK, 0);
    }
    // Counted elsewhere too: a wait of seconds begins, which the next try meets.
    for (int i = 0; i < 3; ++i) GuessThrottle(settings.Store(), nullptr).CountFailure();
    SendMessageW(unlock.Handle(), WM_COMMAND, IDOK, 0);
    // Ticks of the wait come and go without a word each.
    EXPECT_TRUE(NeverWithin([] { return g_announced.size() > static_cast<size_t>(kFreeGuesses + 1); },
                            std::chrono::milliseconds(800)));
    UnhookWinEvent(hook);
    ASSERT_EQ(g_announced.size(), static_cast<size_t>(kFreeGuesses + 1));
    for (HWND window : g_announced) EXPECT_EQ(window, g_announced.front());
    const exstring wait = strings.GetText(L"password", L"wait", L"\x1");
    EXPECT_EQ(WindowTextOf(g_announced.back()).substr(0, wait.find(L'\x1')), wait.substr(0, wait.find(L'\x1')));
}

} // namespace
