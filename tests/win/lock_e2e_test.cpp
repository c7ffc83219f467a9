// The lock across processes: a host locks with the real controller, a witness
// counts what reaches it, and this process types and clicks with SendInput.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "lock/lockchannel.h"
#include "lock/mgtlocker.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;
using namespace e2e;

Process StartHost(const exstring& arguments) {
    return Start(L"\"" + TestDirectory() + L"lockhost.exe\" " + arguments);
}

HWND WaitForWindow(const wchar_t* title) {
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowW(L"MgLockHostWindow", title)) != nullptr; }, 10s);
    return window;
}

// A witness always; a host that locks for the test that needs one.
class LockAcrossProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        witness = StartWitness(witnessProcess);
        ASSERT_NE(witness, nullptr) << "the witness did not start";
    }
    void TearDown() override {
        if (locker != nullptr) PostMessageW(locker, kStopAndQuit, 0, 0);
        if (witness != nullptr) PostMessageW(witness, WM_QUIT, 0, 0);
        for (Process* process : {&lockerProcess, &witnessProcess})
            if (process->ExitCode(5000) == STILL_ACTIVE) process->Kill();
    }
    Process witnessProcess, lockerProcess;
    HWND witness = nullptr, locker = nullptr;
};

// The hook procedures called as the system calls them, with this process's
// windows as the lock's and another process's witness in front or not.
TEST_F(LockAcrossProcesses, HookProceduresByKindForegroundAndPlace) {
    TestWindow background(L"background", WS_POPUP | WS_VISIBLE | WS_DISABLED, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    TestWindow dialog(L"dialog", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    SetWindowPos(background.Handle(), HWND_TOPMOST, 0, 0, 500, 500, SWP_NOACTIVATE);
    SetWindowPos(dialog.Handle(), HWND_TOPMOST, 100, 100, 200, 150, 0);
    mgtLocker lock(nullptr, nullptr);
    lock.Start(dialog.Handle(), background.Handle());
    const POINT inDialog{200, 175}, onBackground{50, 450}, onWitness = CentreOf(witness);
    struct Click { UINT message; POINT at; bool ownInFront; bool passes; };
    const Click clicks[] = {
        {WM_LBUTTONDOWN, inDialog, true, true},      {WM_RBUTTONUP, inDialog, true, true},
        {WM_MBUTTONDOWN, inDialog, true, true},      {WM_MOUSEWHEEL, inDialog, true, true},
        {WM_XBUTTONDOWN, inDialog, true, true},      {WM_LBUTTONDOWN, inDialog, false, false},
        {WM_LBUTTONDOWN, onBackground, true, false}, {WM_MOUSEWHEEL, onBackground, true, false},
        {WM_LBUTTONDOWN, onWitness, true, false},    {WM_RBUTTONDOWN, onWitness, false, false},
        {WM_MOUSEMOVE, onWitness, false, true},      {WM_MOUSEMOVE, onBackground, true, true}};
    struct Press { DWORD key; DWORD flags; bool ownInFront; bool passes; };
    // Which key is which is the key filter's table; here, the verdicts applied.
    const Press presses[] = {{'A', 0, true, true}, {VK_VOLUME_UP, LLKHF_EXTENDED, true, false}, {'A', 0, false, false}};
    for (const bool ownInFront : {true, false}) {
        ForceForeground(ownInFront ? dialog.Handle() : witness);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == (ownInFront ? dialog.Handle() : witness); }, 2s));
        for (const Click& c : clicks) {
            if (c.ownInFront != ownInFront) continue;
            MSLLHOOKSTRUCT mouse{c.at, 0, 0, 0, 0};
            const LRESULT result = mgtLocker::MouseHookProc(HC_ACTION, c.message, reinterpret_cast<LPARAM>(&mouse));
            EXPECT_EQ(result != 1, c.passes) << "message " << c.message << " at " << c.at.x << "," << c.at.y;
        }
        for (const Press& p : presses) {
            if (p.ownInFront != ownInFront) continue;
            KBDLLHOOKSTRUCT key{p.key, 0, p.flags, 0, 0};
            const LRESULT result = mgtLocker::KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
            EXPECT_EQ(result != 1, p.passes) << "key " << p.key;
        }
    }
    // Another program's window raised over the dialog while the lock holds the foreground.
    ForceForeground(dialog.Handle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog.Handle(); }, 2s));
    SetWindowPos(witness, HWND_TOPMOST, 150, 120, 100, 80, SWP_NOACTIVATE);
    // Looked for without pumping: the lock runs on this thread and would cover the window at once.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (WindowFromPoint(POINT{200, 160}) != witness && std::chrono::steady_clock::now() < deadline) Sleep(10);
    ASSERT_EQ(WindowFromPoint(POINT{200, 160}), witness);
    MSLLHOOKSTRUCT over{POINT{200, 160}, 0, 0, 0, 0};
    EXPECT_EQ(mgtLocker::MouseHookProc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&over)), 1)
        << "a click on another program's window over the dialog";
    lock.Stop();
}

// A Win key held while the lock starts is let go for the system, so letters
// reach the lock. (Wine has no Start menu: the letter shows the difference.)
TEST(LockStart, ReleasesAModifierHeldBeforeIt) {
    struct HeldWinAndLock {  // ends the lock first, which would drop the release
        ~HeldWinAndLock() {
            PostMessageW(locker, kStopAndQuit, 0, 0);
            if (host.ExitCode(5000) == STILL_ACTIVE) host.Kill();
            SendKey(VK_LWIN, false);
        }
        bool pressed = (SendKey(VK_LWIN, true), true);
        Process host = StartHost(L"lock");
        HWND locker = WaitForWindow(kLockHostTitle);
    } held;
    ASSERT_TRUE(WaitFor([&] { return Ask(held.locker, kQueryLocked) == 1 && GetForegroundWindow() == held.locker; }, 5s));
    EXPECT_TRUE(WaitFor([] { return (GetAsyncKeyState(VK_LWIN) & 0x8000) == 0; }, 3s)) << "the Win key stays down";
    Keys({'A'});
    EXPECT_TRUE(WaitFor([&] { return Ask(held.locker, kQueryKeyCount, 'A') == 1; }, 2s))
        << "a letter typed after the held Win key did not reach the lock";
}

// With the lock's window thread busy for 3 s, input for another program is still dropped and waits for no busy thread.
// (Under Wine SendInput returns once the hooks answered; Windows would skip them after its time-out.)
TEST_F(LockAcrossProcesses, ABusyWindowThreadHoldsUpNoEvent) {
    lockerProcess = StartHost(L"lock");
    locker = WaitForWindow(kLockHostTitle);
    ASSERT_TRUE(WaitFor([&] { return Ask(locker, kQueryLocked) == 1 && GetForegroundWindow() == locker; }, 5s))
        << "the lock host did not lock";
    PostMessageW(locker, kBusyWindowThread, 3000, reinterpret_cast<LPARAM>(witness));
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == witness; }, 2s));
    for (int round = 0; round < 10; ++round) {
        Keys({'Q'});
        ClickAt(CentreOf(witness));
    }
    DWORD_PTR ignored = 0;
    EXPECT_EQ(SendMessageTimeoutW(locker, WM_NULL, 0, 0, SMTO_NORMAL, 100, &ignored), 0)
        << "the events waited until the window thread was free";
    EXPECT_TRUE(WaitFor([&] { return Ask(locker, kQueryLocked) == 1; }, 5s)) << "the window thread came back";
    EXPECT_EQ(Ask(witness, kQueryKeyCount, 'Q'), 0) << "keys reached another program";
    EXPECT_EQ(Ask(witness, kQueryClicks), 0) << "clicks reached another program";
}

int g_keyboardInstalls = 0;

HHOOK WINAPI FirstKeyboardInstallFails(int type, HOOKPROC procedure, HINSTANCE module, DWORD thread) {
    if (type == WH_KEYBOARD_LL && g_keyboardInstalls++ == 0) return nullptr;
    return SetWindowsHookExW(type, procedure, module, thread);
}

TEST_F(LockAcrossProcesses, AHookThatFailedIsInstalledAtTheNextWatchdogTick) {
    const DiagnosticsOn diagnostics;
    TestWindow dialog(L"dialog", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
    mgtLocker lock(nullptr, nullptr, FirstKeyboardInstallFails);
    LockChannel channel = LockChannel::Create();
    UniqueHandle holding(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    lock.SetChannel(channel.State());
    lock.SetHoldingNotice(holding.Get());
    lock.Start(dialog.Handle(), nullptr);
    // It says so to the guardian and to the helper alike.
    EXPECT_FALSE(lock.IsLocked()) << "locked without its keyboard hook";
    EXPECT_EQ(channel.State()->lockHolds, 0);
    EXPECT_EQ(WaitForSingleObject(holding.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    mgtLocker::WatchdogTimerProc(nullptr, WM_TIMER, lock.TimerId(), 0);
    EXPECT_TRUE(WaitFor([&] { return lock.IsLocked(); }, 1s)) << "the watchdog did not install it";
    mgtLocker::WatchdogTimerProc(nullptr, WM_TIMER, lock.TimerId(), 0);
    EXPECT_EQ(channel.State()->lockHolds, 1);
    EXPECT_EQ(WaitForSingleObject(holding.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    // The failure, the retry and the hold it brought, written down in order.
    const std::string written = diagnostics.Text();
    const size_t failed = written.find(" hook-install-failed "), retried = written.find(" hook-retried 1\r\n"),
                 held = written.find(" hooks-held 1\r\n");
    EXPECT_TRUE(failed < retried && retried < held && held != std::string::npos) << written;
    lock.Stop();
}

// A restart's successor goes on, and takes the instance role, only once the
// old process has ended: both write their steps to one log.
TEST(Restart, HandOverWaitsForTheOldInstance) {
    const exstring log = TempPath(L"mg_lockhost.log");
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"MG_LOCKHOST_LOG", log.c_str());
    const auto logged = [&] {
        std::ifstream in(log.ToUtf8());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const Process old = StartHost(L"restart-old");
    ASSERT_TRUE(old.handle.Held());
    EXPECT_TRUE(WaitFor([&] { return logged().find("check=1 args=+lock") != std::string::npos; }, 20s));
    const std::string text = logged();
    SetEnvironmentVariableW(L"MG_LOCKHOST_LOG", nullptr);
    DeleteFileW(log.c_str());
    // The started process takes the role itself, and goes on only after the old instance ended.
    const size_t oldLine = text.find("old check=1 restarted=1 mutex=MGTHAND_EXRSIPM1000"),
                 oldExits = text.find("old exits"),
                 successor = text.find("check=1 args=+lock /MGTHAND_EXRRESTART:MGTHAND_EXRSIPM1000");
    EXPECT_TRUE(oldLine < oldExits && oldExits < successor && successor != std::string::npos) << text;
    EXPECT_EQ(text.find("check=0"), std::string::npos) << "no process in between\n" << text;
}

} // namespace
