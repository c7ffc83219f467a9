// The wait after a run of wrong passwords holds for every way to a check:
// the right password is not even looked at until it is over.
#include <gtest/gtest.h>

#include "lang/mgtmlang.h"
#include "lock/guessthrottle.h"
#include "lock/lockchannel.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"

namespace {

void PressEnter(HWND dialog) {
    MSG enter{GetDlgItem(dialog, IDC_PASSWORD), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    exWnd::FromHandle(dialog)->IsDialogMessage(&enter);
}

// Another program enables Unlock and clicks it at once, before a tick of the
// wait can disable it again.
void ClickEnabledUnlock(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// Each way in, to a dialog made afresh after wrong passwords elsewhere, and to
// a relock whose channel kept the count the registry lost; after the wait the
// right password gets in and clears the count.
TEST(GuessDelay, NoPathChecksThePasswordDuringTheWait) {
    ScratchRoots roots(L"guessdelay");
    mgtSettings settings{roots.Store()};
    PasswordRecord record;
    ASSERT_TRUE(SealPassword(L"open42", kTestPasswordRounds, record));
    settings.SetPassword(record);
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    LockChannel channel = LockChannel::Create();
    struct Path { const char* name; bool login; bool relock; void (*submit)(HWND); };
    const Path paths[] = {{"Enter, login", true, false, PressEnter},
                          {"click, login", true, false, ClickEnabledUnlock},
                          {"click, new lock", false, false, ClickEnabledUnlock},
                          {"relock", false, true, PressEnter}};
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        LockChannelState* state = path.relock ? channel.State() : nullptr;
        GuessThrottle elsewhere(settings.Store(), state);
        for (int i = 0; i < kFreeGuesses + 7; ++i) elsewhere.CountFailure();
        if (path.relock) RegDeleteKeyValueW(roots.User(), settings.Store().keyPath.c_str(), GuessThrottle::kValueName);
        mgtUnlockDlg dialog(path.login, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, state});
        ASSERT_TRUE(dialog.Create(nullptr));
        ShowWindow(dialog.Handle(), SW_SHOWNA);
        SetDlgItemTextW(dialog.Handle(), IDC_PASSWORD, L"open42");
        path.submit(dialog.Handle());
        EXPECT_FALSE(dialog.Accepted());
        if (!path.relock) continue;
        channel.State()->waitUntil = 0;  // as when the wait is over
        SetDlgItemTextW(dialog.Handle(), IDC_PASSWORD, L"open42");
        path.submit(dialog.Handle());
        EXPECT_TRUE(dialog.Accepted());
        EXPECT_EQ(GuessThrottle(settings.Store(), nullptr).Failures() + channel.State()->failedAttempts, 0);
    }
    MSG quit{};
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the lock's end
}

} // namespace
