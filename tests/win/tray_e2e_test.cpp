// The resident helper of the real program ("+tray"), as the user and other programs meet it.
#include <gtest/gtest.h>

#include "app/trayhelper.h"
#include "testsupport.h"
#include "lang/mgtmlang.h"
#include "res/resource.h"
#include "ui/settingsmenu.h"

namespace {

using namespace e2e;

class Helper : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        EndAllPrograms();
        CleanRegistry();
    }

    // Stores the settings and starts "+tray"; `password` empty for none.
    ::testing::AssertionResult Start(uint32_t idleLock, bool lockOnSleep, const char* password = kPassword) {
        if (!Configure({password, {}, false})) return ::testing::AssertionFailure() << "settings not stored";
        mgtSettings settings;
        settings.idleLock = idleLock;
        settings.lockOnSleep = lockOnSleep;
        if (!settings.Save()) return ::testing::AssertionFailure() << "settings not saved";
        helper = e2e::Start(L"\"" + Program() + L"\" +tray");
        if (!WaitFor([&] { return (window = FindWindowW(kTrayWindowClass, nullptr)) != nullptr; }, 10s))
            return ::testing::AssertionFailure() << "no helper window; the helper "
                                                 << (helper.Running() ? "runs" : "ended");
        return ::testing::AssertionSuccess();
    }

    // Processes other than the helper whose window covers the screen.
    size_t Locks() const {
        const std::vector<DWORD> running = ProgramProcesses();
        return std::count_if(running.begin(), running.end(),
                             [&](DWORD id) { return id != helper.id && !FullScreenWindowsOf(id).empty(); });
    }

    Process helper;
    HWND window = nullptr;
};

// The suspend notice is answered only once the new lock holds the input.
TEST_F(Helper, LockBeforeSleepHoldsTheInputBeforeTheNoticeIsAnswered) {
    TestWindow focus(L"focus");
    ASSERT_TRUE(Start(0, true));
    ShowAndSettle(focus.Handle());
    EXPECT_EQ(Ask(window, WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);
    ForceForeground(focus.Handle());
    ASSERT_EQ(GetForegroundWindow(), focus.Handle());
    Keys({'Q'});
    // Watched without pumping, which would take the key away first.
    bool reached = false;
    for (const auto end = std::chrono::steady_clock::now() + 300ms; !reached && std::chrono::steady_clock::now() < end;
         MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_KEY))
        for (MSG message; PeekMessageW(&message, focus.Handle(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);)
            reached = reached || message.wParam == 'Q';
    EXPECT_FALSE(reached) << "a key reached another window when the helper let the system sleep";
    EXPECT_TRUE(WaitFor([&] { return Locks() == 1; }, 10s)) << DescribeEdges();
}

// The idle lock waits for steady input to stop, a suspend without lock-before-sleep starts no lock,
// and another program's WM_QUIT or its holding the lock's and the helper's names ends nothing.
// Wine counts only input that reaches one of its windows: the input goes to one of this test's.
TEST_F(Helper, IdleLockWaitsForTheInputToStopWhateverOthersPostOrHold) {
    const UniqueHandle lockRole(CreateMutexW(nullptr, FALSE, L"KVORM_MGTLOCKROLE"));
    const UniqueHandle helperRole(CreateMutexW(nullptr, FALSE, L"KVORM_MGTTRAY"));
    TestWindow target(L"input target", WS_POPUP | WS_VISIBLE);
    ShowAndSettle(target.Handle(), 100, 100);
    ForceForeground(target.Handle());
    const POINT centre = CentreOf(target.Handle());
    ASSERT_TRUE(Start(6, false));
    PostMessageW(window, WM_QUIT, 0, 0);
    PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
    EXPECT_EQ(Ask(window, WM_POWERBROADCAST, PBT_APMSUSPEND), TRUE);

    for (int step = 0; step < 14; ++step) {  // 7 s of input, past the 6 s timeout
        ClickAt(POINT{centre.x + step % 2, centre.y});
        ASSERT_TRUE(NeverWithin([&] { return Locks() != 0u; }, 500ms))
            << "locked after the suspend notice, during steady input, after " << step / 2.0 << " s";
    }
    ASSERT_TRUE(WaitFor([&] { return Locks() == 1; }, 10s))
        << "no lock 10 s after the input stopped; the helper " << (helper.Running() ? "runs" : "ended") << ", "
        << ProgramProcesses().size() << " processes of the program, " << DescribeEdges();
}

// While the organisation's password is missing, no idle lock is started only to be refused.
TEST_F(Helper, NoIdleLockThatWouldBeRefused) {
    const DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKeyPath, L"PasswordRequired", REG_DWORD, &on, 4),
              ERROR_SUCCESS);
    ASSERT_TRUE(Start(6, false, ""));
    EXPECT_TRUE(NeverWithin([] { return ProgramProcesses().size() != 1u; }, 10s)) << "a lock was started to be refused";
}

// A passer-by can neither end the helper nor switch idle locking off (wrong passwords: the login's test).
TEST_F(Helper, ExitAndIdleChoicesAskForThePassword) {
    ASSERT_TRUE(Start(300, true));
    struct Attempt { UINT command; bool ends; uint32_t idleLock; };
    const Attempt attempts[] = {{IDM_IDLE_NEVER, false, 0}, {IDM_TRAY_EXIT, true, 0}};
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.command);
        PostMessageW(window, WM_COMMAND, attempt.command, 0);
        HWND login = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (login = FindDialog(helper.id)) != nullptr; }, 10s))
            << "no login; the helper shows " << Describe(VisibleWindowsOf(helper.id));
        ForceForeground(login);
        Type(kPassword);
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(login); }, 2s)) << "the login closes on the right one";
        EXPECT_EQ(helper.ExitCode(attempt.ends ? 10000 : 1000), attempt.ends ? 0u : STILL_ACTIVE);
        EXPECT_EQ(mgtSettings().idleLock, attempt.idleLock);
    }
}

// One helper per session, whose Exit needs no password where there is none; any next start of
// the program brings an ended helper back, in a process of its own.
TEST_F(Helper, OneHelperThatEndsWithoutPasswordAndComesBack) {
    ASSERT_TRUE(Start(300, true, ""));
    Process second = e2e::Start(L"\"" + Program() + L"\" +tray");
    EXPECT_EQ(second.ExitCode(10000), 0u);
    EXPECT_TRUE(helper.Running());
    PostMessageW(window, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_EQ(helper.ExitCode(10000), 0u);
    Process plain = e2e::Start(L"\"" + Program() + L"\"");
    HWND again = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (again = FindWindowW(kTrayWindowClass, nullptr)) != nullptr; }, 10s));
    DWORD owner = 0;
    GetWindowThreadProcessId(again, &owner);
    EXPECT_NE(owner, plain.id) << "the plain start became the helper itself";
}

TEST_F(Helper, RunValueFollowsTheSettingsMenu) {
    ASSERT_TRUE(Configure({}));
    mgtSettings settings;
    const mgtMLang strings;
    SettingsChoosers choosers;
    struct Step { UINT command; uint32_t idleLock; bool lockOnSleep, helperStarts; };
    const Step steps[] = {{IDM_IDLE_5, 300, true, true},  // sleep locking comes on with idle locking
                          {IDM_IDLE_NEVER, 0, true, true}, {IDM_LOCK_ON_SLEEP, 0, false, false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        ASSERT_TRUE(RunSettingsCommand(step.command, nullptr, settings, strings, choosers));
        const mgtSettings stored;
        EXPECT_EQ(stored.idleLock, step.idleLock);
        EXPECT_EQ(stored.lockOnSleep, step.lockOnSleep);
        EXPECT_EQ(EndsWith(RunEntry(L"Marrowgate Helper"), L"+tray"), step.helperStarts);
    }
}

// Whether Ctrl+Alt+L is free for another program to take.
bool HotKeyFree(HWND window) {
    if (!RegisterHotKey(window, 7, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'L')) return false;
    UnregisterHotKey(window, 7);
    return true;
}

// A policy refresh reaches the running helper: a hot key turned off is given back and taken again
// when the policy goes; a lock at log-on gets its Run entry.
TEST_F(Helper, PolicyRefreshReachesTheRunningHelper) {
    ASSERT_TRUE(Start(300, true, ""));
    TestWindow probe(L"probe");
    ASSERT_TRUE(WaitFor([&] { return !HotKeyFree(probe.Handle()); }, 5s)) << "the helper never took the hot key";
    const DWORD off = 0, on = 1;
    const auto announce = [&] {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"), SMTO_ABORTIFHUNG, 2000,
                            &answer);
    };
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicyKeyPath, L"HotKey", REG_DWORD, &off, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKeyPath, L"LockAtLogOn", REG_DWORD, &on, 4), ERROR_SUCCESS);
    announce();
    EXPECT_TRUE(WaitFor([&] { return HotKeyFree(probe.Handle()); }, 3s)) << "the hot key stays taken";
    EXPECT_TRUE(EndsWith(RunEntry(), L"+boot")) << "no Run entry for the log-on lock";
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKeyPath);
    announce();
    EXPECT_TRUE(WaitFor([&] { return !HotKeyFree(probe.Handle()); }, 3s)) << "the hot key is not taken again";
}

} // namespace
