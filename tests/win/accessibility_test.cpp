// What a screen reader finds in the password dialogs: every field named for
// what it asks, protected and silent about its text; and the lock's news
// announced as it happens.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <utility>
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

// A field anywhere below `dialog`: in a colour scheme it sits in a frame of its own, which takes its id.
HWND FieldOf(HWND dialog, int id) {
    std::pair<int, HWND> search{id, nullptr};
    EnumChildWindows(dialog, [](HWND child, LPARAM found) {
        auto* wanted = reinterpret_cast<std::pair<int, HWND>*>(found);
        wchar_t name[8] = {};
        RealGetWindowClassW(child, name, 8);
        if (GetDlgCtrlID(child) != wanted->first || lstrcmpiW(name, L"Edit") != 0) return TRUE;
        wanted->second = child;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// Asked from inside this process through Wine's oleacc, which finds an edit's
// name where Windows' proxy does (the static before it) but ignores the
// annotations that Windows lets override it; the names here hold for both.
TEST(Accessibility, PasswordFieldsAreNamedProtectedAndSilent) {
    ScratchRoots roots(L"accessibility");
    mgtSettings settings{roots.Store()};
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    mgtUnlockDlg unlock(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(unlock.Create(nullptr));
    mgtInputDlg input(settings, strings);
    ASSERT_TRUE(input.Create(nullptr));
    const struct {
        HWND dialog;
        int id;
        const wchar_t* section;
        const wchar_t* key;
        bool secret;
    } fields[] = {{unlock.Handle(), IDC_PASSWORD, L"password", L"hint_base", true},
                  {input.Handle(), IDC_NEW_PASSWORD, L"settings", L"newpwd", true},
                  {input.Handle(), IDC_CONFIRM_PASSWORD, L"settings", L"confirmpwd", true},
                  {input.Handle(), IDC_PASSWORD_HINT, L"settings", L"pwdhint", false}};
    for (const auto& field : fields) {
        const HWND edit = FieldOf(field.dialog, field.id);
        SetWindowTextW(edit, L"typed");
        const AccessibleFacts facts = AccessibleOf(edit);
        ASSERT_TRUE(facts.found) << field.id;
        EXPECT_EQ(facts.name, strings.GetText(field.section, field.key)) << field.id;
        EXPECT_EQ(facts.role, ROLE_SYSTEM_TEXT) << field.id;
        EXPECT_EQ((facts.state & STATE_SYSTEM_PROTECTED) != 0, field.secret) << field.id;
        EXPECT_EQ(facts.valueGiven, !field.secret) << field.id;
    }
    DestroyWindow(input.Handle());
    DestroyWindow(unlock.Handle());
}

// Tab walks each dialog in reading order through every command of it.
TEST(Keyboard, TabReachesEveryCommandInReadingOrder) {
    ScratchRoots roots(L"taborder");
    mgtSettings settings{roots.Store()};
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    mgtMainDlg main(MainServices{settings, strings, menu, L"1.0", nullptr, nullptr, nullptr});
    mgtUnlockDlg unlock(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(main.Create(nullptr) && unlock.Create(nullptr));
    // Wine installs one keyboard layout: enabled, as where a second one can be chosen.
    EnableWindow(GetDlgItem(unlock.Handle(), IDC_KEYBOARD_LAYOUT), TRUE);
    const struct {
        HWND dialog;
        std::vector<int> order;
    } dialogs[] = {{main.Handle(), {IDC_LOCK_NOW, IDC_SETTINGS, IDC_HELP_BUTTON, IDC_WEB_LINK}},
                   {unlock.Handle(), {IDC_PASSWORD, IDC_KEYBOARD_LAYOUT, IDC_OPTIONS, IDOK, IDCANCEL}}};
    for (const auto& dialog : dialogs) {
        std::vector<int> order;
        const HWND first = GetNextDlgTabItem(dialog.dialog, nullptr, FALSE);
        for (HWND item = first; item != nullptr && order.size() < 10;) {
            order.push_back(GetDlgCtrlID(item));
            item = GetNextDlgTabItem(dialog.dialog, item, FALSE);
            if (item == first) break;
        }
        EXPECT_EQ(order, dialog.order);
    }
    DestroyWindow(unlock.Handle());
    DestroyWindow(main.Handle());
}

std::vector<HWND> g_announced;

void CALLBACK NoteAnnouncement(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_CLIENT) g_announced.push_back(window);
}

// A catalogue text up to its first placeholder.
exstring Lead(const exmlang& strings, const wchar_t* key) {
    const exstring text = strings.GetText(L"password", key, L"\x1", L"\x1");
    return text.substr(0, text.find(L'\x1'));
}

// Each wrong password is spoken as it comes, on the line that counts them;
// so is the start of the wait after a run of them, but not each second of it.
TEST(Accessibility, WrongPasswordsAndTheWaitAreAnnounced) {
    ScratchRoots roots(L"announce");
    mgtSettings settings{roots.Store()};
    PasswordRecord record;
    ASSERT_TRUE(SealPassword(L"open42", kTestPasswordRounds, record));
    settings.SetPassword(record);
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    mgtUnlockDlg dialog(true, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, nullptr});
    ASSERT_TRUE(dialog.Create(nullptr));
    ShowWindow(dialog.Handle(), SW_SHOWNA);
    g_announced.clear();
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                                               NoteAnnouncement, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    const auto wrongPassword = [&] {
        SetDlgItemTextW(dialog.Handle(), IDC_PASSWORD, L"wrong");
        SendMessageW(dialog.Handle(), WM_COMMAND, IDOK, 0);
    };
    wrongPassword();
    ASSERT_TRUE(WaitFor([] { return !g_announced.empty(); }, std::chrono::seconds(2)));
    const exstring attempt = Lead(strings, L"attempts_one");
    EXPECT_EQ(WindowTextOf(g_announced.front()).substr(0, attempt.size()), attempt);
    for (int attempt = 2; attempt <= kFreeGuesses; ++attempt) wrongPassword();
    // More counted elsewhere begin a wait of seconds, which the next try meets.
    for (int i = 0; i < 3; ++i) GuessThrottle(settings.Store(), nullptr).CountFailure();
    wrongPassword();
    e2e::Settle(std::chrono::milliseconds(800));  // ticks of the wait come and go
    UnhookWinEvent(hook);
    ASSERT_EQ(g_announced.size(), static_cast<size_t>(kFreeGuesses + 1));
    for (HWND window : g_announced) EXPECT_EQ(window, g_announced.front());
    const exstring wait = Lead(strings, L"wait");
    EXPECT_EQ(WindowTextOf(g_announced.back()).substr(0, wait.size()), wait);
    DestroyWindow(dialog.Handle());
}

} // namespace
