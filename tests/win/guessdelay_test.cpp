// The wait after a run of wrong passwords holds for every way to a check:
// the right password is not even looked at until it is over.
#include <gtest/gtest.h>

#include <memory>

#include "lang/mgtmlang.h"
#include "lock/guessthrottle.h"
#include "lock/lockchannel.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "res/resource.h"
#include "settings/mgtsettings.h"
#include "testsupport.h"
#include "toolkit/exmenu.h"

namespace {

const wchar_t kRight[] = L"open42";

void PressEnter(HWND dialog) {
    MSG enter{GetDlgItem(dialog, IDC_PASSWORD), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    exWnd::FromHandle(dialog)->IsDialogMessage(&enter);
}

// Another program enables Unlock, then clicks it or sends its command.
void ClickEnabledUnlock(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

void SendUnlockCommand(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
    SendFromElsewhere(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

class GuessDelay : public ::testing::Test {
protected:
    void SetUp() override { settings.SetPassword(mgtSettings::PasswordDigest(kRight).data()); }

    // A dialog made afresh, as a reopened login or a new lock process makes
    // it; with a channel, as a relock does.
    std::unique_ptr<mgtUnlockDlg> Open(bool login, LockChannelState* channel = nullptr) {
        auto dialog = std::make_unique<mgtUnlockDlg>(
            login, UnlockServices{settings, locker, strings, menu, nullptr, nullptr, channel});
        if (!dialog->Create(nullptr)) return nullptr;
        ShowWindow(dialog->Handle(), SW_SHOWNA);
        return dialog;
    }
    // Wrong passwords typed elsewhere before: into another dialog, or a lock
    // that was killed since.
    void FailElsewhere(int times, LockChannelState* channel = nullptr) {
        GuessThrottle elsewhere(settings.Store(), channel);
        for (int i = 0; i < times; ++i) elsewhere.CountFailure();
    }

    ScratchRoots roots{L"guessdelay"};
    mgtSettings settings{SettingsStore{roots.Machine(), roots.User()}};
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker{nullptr, nullptr};
};

TEST_F(GuessDelay, NoPathChecksThePasswordDuringTheWait) {
    const int longWait = kFreeGuesses + 7;
    FailElsewhere(longWait);
    struct Path { const char* name; bool login; void (*submit)(HWND); };
    const Path paths[] = {{"Enter in the login", true, PressEnter},
                          {"click in the login", true, ClickEnabledUnlock},
                          {"command to the login", true, SendUnlockCommand},
                          {"Enter in a new lock", false, PressEnter},
                          {"click in a new lock", false, ClickEnabledUnlock},
                          {"command to a new lock", false, SendUnlockCommand}};
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        auto dialog = Open(path.login);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->Waiting()) << "a dialog made afresh starts with fresh tries";
        SetDlgItemTextW(dialog->Handle(), IDC_PASSWORD, kRight);
        path.submit(dialog->Handle());
        EXPECT_FALSE(dialog->Accepted());
        EXPECT_EQ(dialog->FailedAttempts(), longWait) << "a refused check is no guess";
    }
}

// A relock inherits the count through its channel, also where the registry
// lost it; and the right password, once the wait is over, clears both.
TEST_F(GuessDelay, RelockKeepsTheWaitAndTheRightPasswordEndsIt) {
    LockChannel channel = LockChannel::Create();
    ASSERT_TRUE(channel.Valid());
    FailElsewhere(kFreeGuesses + 7, channel.State());
    RegDeleteKeyValueW(roots.User(), settings.Store().keyPath.c_str(), GuessThrottle::kValueName);
    auto relock = Open(false, channel.State());
    ASSERT_NE(relock, nullptr);
    SetDlgItemTextW(relock->Handle(), IDC_PASSWORD, kRight);
    SendUnlockCommand(relock->Handle());
    EXPECT_FALSE(relock->Accepted()) << "the relock forgot the wait";

    channel.State()->waitUntil = 0;  // as when the wait is over
    SetDlgItemTextW(relock->Handle(), IDC_PASSWORD, kRight);
    PressEnter(relock->Handle());
    ASSERT_TRUE(relock->Accepted());
    EXPECT_EQ(GuessThrottle(settings.Store(), nullptr).Failures(), 0);
    EXPECT_EQ(channel.State()->failedAttempts, 0);
    MSG quit{};
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the lock's end
}

} // namespace
