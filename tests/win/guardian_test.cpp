// The lock and its guardian: each brings the other back when killed, no key or click leaks meanwhile, nothing from
// outside disarms them; only the right password ends both.
#include <gtest/gtest.h>

#include <string>

#include "app/guardian.h"
#include "base/excmdline.h"
#include "testsupport.h"

namespace {

using namespace e2e;

// Whole command lines, as the program reads its own.
TEST(GuardianDecisions, CommandLinesAndProcesses) {
    using G = GuardianCommand;
    struct Case { const wchar_t* line; G::Kind kind; DWORD id; uint64_t channel; };
    const Case cases[] = {{L"+wq7v3k9t 4242 60", G::kGuard, 4242, 60},
                          {L"+WQ7V3K9T 8 RELAY 60", G::kRelayGuard, 8, 60},
                          {L"+wq7v3k9t 8 relock 60", G::kRelayRelock, 8, 60},
                          {L"+wq7v3k9t 8 relock", G::kInvalid, 8, 0},  // no channel
                          {L"+wq7v3k9t 8 other 60", G::kInvalid, 8, 60},
                          {L"+wq7v3k9t 8 0x3c", G::kInvalid, 8, 0},
                          {L"+wq7v3k9t 8 relay 60 1", G::kInvalid, 8, 1},
                          {L"+wq7v3k9t 4294967296 60", G::kInvalid, 0, 60},
                          {L"+lock +wq7v3k9t 8 60", G::kNone, 0, 0},
                          // The process ID may equal the handle's number.
                          {L"+wq7v3k9t 60 60", G::kGuard, 60, 60}};
    for (const Case& c : cases) {
        const GuardianCommand command = ParseGuardianCommand(CommandLineTokens(c.line));
        EXPECT_EQ(command.kind, c.kind) << exstring(c.line).ToUtf8();
        EXPECT_EQ(command.processId, c.id) << exstring(c.line).ToUtf8();
        EXPECT_EQ(command.channel, c.channel) << exstring(c.line).ToUtf8();
    }
    struct Relock { const wchar_t* line; DWORD guardian; uint64_t channel; };
    const Relock relocks[] = {{L"+LOCK +wq7v3k9t 77 60", 77, 60}, {L"+lock +wq7v3k9t 60 60", 60, 60},
                              {L"+boot +wq7v3k9t 77 60", 0, 0},   {L"+lock +wq7v3k9t 77", 0, 0},
                              {L"+lock +wq7v3k9t 77 6x", 0, 0},   {L"+lock +boot +wq7v3k9t 77 60", 0, 0}};
    for (const Relock& r : relocks) {
        const AdoptedLink link = AdoptedGuardian(CommandLineTokens(r.line));
        EXPECT_EQ(link.guardian, r.guardian) << exstring(r.line).ToUtf8();
        EXPECT_EQ(link.channel, r.channel) << exstring(r.line).ToUtf8();
    }

    struct Process { ProcessFacts facts; bool own, lock; };
    const Process processes[] = {{{200, L"c:\\apps\\MARROWGATE.EXE", true}, true, true},
                                 {{200, L"C:\\Apps\\Marrowgate.exe", false}, true, false},  // no lock announced
                                 {{200, L"C:\\Other\\Marrowgate.exe", true}, false, false},
                                 {{100, L"C:\\Apps\\Marrowgate.exe", true}, false, false}};  // itself
    const OwnFacts self{100, L"C:\\Apps\\Marrowgate.exe"};
    for (const Process& p : processes) {
        EXPECT_EQ(IsOwnProgram(p.facts, self), p.own) << p.facts.image.ToUtf8() << " " << p.facts.processId;
        EXPECT_EQ(IsLockOfMine(p.facts, self), p.lock) << p.facts.image.ToUtf8() << " " << p.facts.processId;
    }
}

TEST(GuardianDecisions, StartsThatNeverCameUpBackOffAndNeverRunOut) {
    RestartBudget budget;
    DWORD delay = 99;
    EXPECT_FALSE(PlanRestart({true, true}, budget, delay)) << "the right password ended it";
    std::vector<DWORD> delays;
    for (int start = 0; start < 10 && PlanRestart({false, false}, budget, delay); ++start) delays.push_back(delay);
    EXPECT_EQ(delays, (std::vector<DWORD>{0, 250, 500, 1000, 2000, 4000, 8000, 8000, 8000, 8000}))
        << "starts that never came up back off up to a ceiling, and the guardian never gives up";
    for (int kill = 0; kill < 10; ++kill)
        EXPECT_TRUE(PlanRestart({false, true}, budget, delay) && delay == 0) << "a start that came up, kill " << kill;
}

// Whoever started it with whatever error mode, even for a command it refuses.
TEST(GuardianDecisions, TheGuardianTurnsFaultDialogsOffItself) {
    const UINT before = SetErrorMode(0);
    RunGuardianCommand(GuardianCommand{GuardianCommand::kGuard, GetCurrentProcessId(), 0x7ff0}, L"mgtest", 0);
    EXPECT_NE(GetErrorMode() & SEM_NOGPFAULTERRORBOX, 0u);
    SetErrorMode(before);
}

TEST(GuardianDecisions, AFailedWaitIsNoEnd) {
    const exstring self = ImageOf(GetCurrentProcess());
    UniqueHandle broken(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ff0)));
    EXPECT_EQ(CheckWatched(broken, GetCurrentProcessId(), self), WatchState::kRunning);
    EXPECT_EQ(WaitForSingleObject(broken.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "watched afresh";
    UniqueHandle other(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ff0)));
    EXPECT_EQ(CheckWatched(other, GetCurrentProcessId(), L"C:\\x\\marrowgate.exe"), WatchState::kEnded)
        << "the ID names another program now";
    Process gone = Start(L"cmd.exe /c exit");
    ASSERT_NE(gone.ExitCode(10000), static_cast<DWORD>(STILL_ACTIVE));
    const DWORD goneId = gone.id;
    gone.handle.Reset();
    EXPECT_EQ(CheckWatched(gone.handle, goneId, self), WatchState::kEnded) << "the ID names no process";
}

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class GuardedLock : public ::testing::Test {
protected:
    // Wine starts its desktop process for the first process that asks; one started by a killed one can linger.
    static void SetUpTestSuite() { GetDesktopWindow(); }
    void SetUp() override {
        EndAllPrograms();
        CleanRegistry();
        ASSERT_TRUE(Configure({}));
    }
    void TearDown() override {
        EndAllPrograms();
        CleanRegistry();
        witnessProcess.Kill();
    }
    bool AwaitLock(const std::vector<DWORD>& besides, std::chrono::milliseconds time = 10s) {
        return (lock = e2e::AwaitLock(besides, time)) != 0;
    }
    DWORD Guardian() const { return GuardianBesides({lock}); }
    bool AwaitGuardian(DWORD besides = 0) {
        return WaitFor([&] { return (guardian = Guardian()) != 0 && guardian != besides; }, 5s);
    }
    void LockWithGuardian() {
        Start(L"\"" + Program() + L"\" +lock");
        ASSERT_TRUE(AwaitLock({})) << "no lock";
        ASSERT_TRUE(AwaitGuardian()) << "no guardian";
    }
    void KillLockAndExpectAnother(const char* what) {
        const DWORD old = lock;
        KillProcess(old);
        ASSERT_TRUE(AwaitLock({old, guardian})) << what << ": no relock";
        EXPECT_EQ(Guardian(), guardian) << what;
    }
    void UnlockAndExpectTheEnd(const std::vector<DWORD>& left = {}) {
        ASSERT_TRUE(TypeIntoLock(lock, kPassword)) << "the dialog is not in front";
        EXPECT_TRUE(WaitFor([&] { return ProgramProcesses() == left; }, 10s))
            << ProgramProcesses().size() << " left, the guardian " << (Guardian() != 0 ? "among them" : "gone");
        EXPECT_EQ(LockingFlag(), 0);
        EXPECT_EQ(RunEntry(), exstring());
        EXPECT_FALSE(WaitFor([&] { return ProgramProcesses() != left; }, 1500ms)) << "something started again";
    }
    DWORD lock = 0, guardian = 0;
    Process witnessProcess;
};

TEST_F(GuardedLock, EveryKillIsRelockedOrLeftMarked) {
    // Killed before its guardian exists, the first lock is marked to come back at the next log-on.
    for (const int moment : {0, 100, 400}) {
        CleanRegistry();
        ASSERT_TRUE(Configure({}));
        const auto start = Clock::now();
        Process first = Start(L"\"" + Program() + L"\" +lock");
        ASSERT_TRUE(WaitFor([] { return LockingFlag() == 1; }, 5s)) << "no mark";
        const double marked = MsSince(start);
        WaitFor([] { return false; }, std::chrono::milliseconds(std::max(0, moment - static_cast<int>(marked))));
        first.Kill();
        EXPECT_TRUE(AwaitLock({first.id}, 2s) || (LockingFlag() == 1 && EndsWith(RunEntry(), L" +boot")))
            << "killed " << MsSince(start) << " ms after the start (marked at " << marked << " ms)";
        EndAllPrograms();
    }
    ASSERT_NO_FATAL_FAILURE(LockWithGuardian());
    // One kill more than the restart budget holds: locks that came up never spend it.
    for (int kill = 0; kill < 6; ++kill) ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("lock kill"));
    for (int kill = 0; kill < 6; ++kill) {
        const DWORD old = guardian;
        KillProcess(old);
        ASSERT_TRUE(AwaitGuardian(old)) << "no guardian after kill " << kill;
    }
    EXPECT_TRUE(FindDialog(lock) != nullptr && EdgesAre(kLockColor)) << "the lock goes on";
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("a kill after the guardian kills"));
    UnlockAndExpectTheEnd();
}

TEST_F(GuardedLock, NoKeyOrClickLeaksAcrossARelock) {
    const DiagnosticsOn diagnostics;
    const HWND witness = StartWitness(witnessProcess);
    ASSERT_NE(witness, nullptr);
    ASSERT_NO_FATAL_FAILURE(LockWithGuardian());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() != witness; }, 2s)) << "the witness kept the foreground";
    const DWORD old = lock;
    UniqueHandle victim(OpenProcess(PROCESS_TERMINATE, FALSE, old));
    const auto killed = Clock::now();
    ASSERT_TRUE(TerminateProcess(victim.Get(), 1));
    // The cover comes before the next lock starts (the lock is looked for first).
    bool covered = false, nextLockSeen = false, coverCameFirst = true;
    while (MsSince(killed) < 2000) {
        Keys({'Q'});
        ClickAt(CentreOf(witness));
        for (DWORD id : ProgramProcesses()) nextLockSeen = nextLockSeen || (id != old && id != guardian);
        covered = covered || !FullScreenWindowsOf(guardian).empty();
        coverCameFirst = coverCameFirst && (covered || !nextLockSeen);
        WaitFor([] { return false; }, 15ms);  // the watch's step
    }
    EXPECT_TRUE(covered && coverCameFirst) << "the guardian covered the screen late or never";
    ASSERT_TRUE(AwaitLock({old, guardian}));
    EXPECT_TRUE(NeverWithin([&] { return Ask(witness, kQueryKeyCount, 'Q') != 0 || Ask(witness, kQueryClicks) != 0; }))
        << "the window behind the lock got " << Ask(witness, kQueryKeyCount, 'Q') << " keys and "
        << Ask(witness, kQueryClicks) << " clicks";
    UnlockAndExpectTheEnd();
    // The lock's decisions are written down in order, and nothing typed is.
    const std::string written = diagnostics.Text();
    const size_t ended = written.find(" lock-ended " + std::to_string(old) + "\r\n"),
                 relocked = written.find(" relocked " + std::to_string(lock) + "\r\n"),
                 unlocked = written.find(" unlocked 0\r\n");
    EXPECT_TRUE(ended < relocked && relocked < unlocked && unlocked != std::string::npos) << written;
    EXPECT_EQ(written.find(kPassword), std::string::npos) << written;
}

TEST_F(GuardedLock, NothingWrittenSentOrPostedDisarmsIt) {
    ASSERT_NO_FATAL_FAILURE(LockWithGuardian());
    const DWORD zero = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking", REG_DWORD, &zero, sizeof(zero));
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("`Locking` written 0"));

    // To every window and control of both, as any other program can.
    std::vector<HWND> windows;
    for (const DWORD process : {guardian, lock})
        for (HWND window : VisibleWindowsOf(process, false)) {
            windows.push_back(window);
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
                windows.push_back(child);
        }
    struct Message { UINT message; WPARAM wParam; };
    const Message messages[] = {{WM_CLOSE, 0},           {WM_DESTROY, 0},        {WM_NCDESTROY, 0},
                                {WM_QUIT, 0},            {WM_ENDSESSION, FALSE}, {WM_ENDSESSION, TRUE},
                                {WM_COMMAND, IDCANCEL},  {WM_COMMAND, IDOK},     {WM_SYSCOMMAND, SC_CLOSE},
                                {WM_SYSCOMMAND, SC_MINIMIZE}};
    const HWND dialog = FindDialog(lock);
    for (HWND window : windows)
        for (const Message& m : messages) {
            Ask(window, m.message, m.wParam);
            PostMessageW(window, m.message, m.wParam, 0);
        }
    const auto disarmed = [&] {
        const std::vector<DWORD> running = ProgramProcesses();
        return Guardian() != guardian || std::find(running.begin(), running.end(), lock) == running.end() ||
               !IsWindow(dialog);
    };
    EXPECT_TRUE(NeverWithin(disarmed, 1s)) << "the guardian, the lock or its dialog went";
    // Waited for: under Wine the watchdog hides the dialog for the moment of a restack.
    EXPECT_TRUE(WaitFor([&] { return FindDialog(lock) == dialog && EdgesAre(kLockColor); }, 2s))
        << "closed, hidden or made again: " << Describe(VisibleWindowsOf(lock));
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("messages sent and posted"));

    // Forged ends of session stop no relock. (Under Wine SM_SHUTTINGDOWN, the sign that would, stays 0.)
    HWND session = FindWindowW(L"MgtGuardianSession", nullptr);
    for (HWND w : VisibleWindowsOf(guardian, false))
        if (ClassOf(w) == L"MgtGuardianSession") session = w;
    for (int repeat = 0; repeat < 5; ++repeat) {
        Ask(session, WM_QUERYENDSESSION);
        Ask(session, WM_ENDSESSION, TRUE);
    }
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("after forged ends of session"));
    Ask(session, WM_ENDSESSION, TRUE);
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother("a forged end of session just before the kill"));
    UnlockAndExpectTheEnd();
}

TEST_F(GuardedLock, NeverGivesUpWhileNoLockComesUp) {
    ASSERT_NO_FATAL_FAILURE(LockWithGuardian());
    // Every new start ended as soon as it shows, more often than the back-off has steps.
    std::vector<DWORD> ended{lock};
    KillProcess(lock);
    for (int kill = 0; kill < 6; ++kill) {
        DWORD fresh = 0;
        ASSERT_TRUE(WaitFor([&] {
            for (DWORD id : ProgramProcesses())
                if (id != guardian && std::find(ended.begin(), ended.end(), id) == ended.end()) return (fresh = id) != 0;
            return false;
        }, 15s)) << "nothing started after kill " << kill;
        KillProcess(fresh);
        ended.push_back(fresh);
    }
    EXPECT_EQ(Guardian(), guardian) << "the guardian gave up";
    const std::vector<HWND> covers = FullScreenWindowsOf(guardian);
    ASSERT_FALSE(covers.empty()) << "the screen lies open";
    // Hidden or covered from outside during the back-off, the cover is back on top.
    const auto onTop = [&] {
        for (HWND above = GetWindow(covers[0], GW_HWNDPREV); above != nullptr; above = GetWindow(above, GW_HWNDPREV))
            if (IsWindowVisible(above)) return false;
        return IsWindowVisible(covers[0]) != FALSE;
    };
    ShowWindow(covers[0], SW_HIDE);
    EXPECT_TRUE(WaitFor(onTop, 1s)) << "the cover stayed hidden";
    {
        TestWindow above(L"above", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
        EXPECT_TRUE(WaitFor(onTop, 1s)) << "the cover stayed below another window";
    }
    ended.push_back(guardian);
    ASSERT_TRUE(AwaitLock(ended, 20s)) << "no lock once the kills stopped";
    // A windowless start was seen now and then to outlive the unlock here (being traced); what the owner
    // meets holds regardless: the desktop open, no lock marked, none back. The stray start is ended below.
    ASSERT_TRUE(TypeIntoLock(lock, kPassword)) << "the dialog is not in front";
    const auto lockShows = [] {
        if (LockingFlag() == 1) return true;
        for (DWORD id : ProgramProcesses())
            if (!VisibleWindowsOf(id).empty()) return true;
        return false;
    };
    EXPECT_TRUE(WaitFor([&] { return !lockShows(); }, 10s)) << "the lock stays";
    EXPECT_TRUE(NeverWithin(lockShows, 1500ms)) << "a lock came back";
    for (DWORD id : ProgramProcesses()) KillProcess(id);
}

TEST_F(GuardedLock, HeldNamesAndOtherInstancesDoNotStopALock) {
    // Another program holds the lock role and the single-instance name.
    for (const wchar_t* request : {L"+lock", L"+boot"}) {
        UniqueHandle role(CreateMutexW(nullptr, FALSE, L"KVORM_MGTLOCKROLE"));
        UniqueHandle instance(CreateMutexW(nullptr, FALSE, L"KVORMEXRSIMUTEX"));
        Start(L"\"" + Program() + L"\" " + request);
        ASSERT_TRUE(AwaitLock({})) << Utf8(request) << " gave way to a held name";
        ASSERT_TRUE(AwaitGuardian());
        UnlockAndExpectTheEnd();
    }
    // Beside a login window, a lock and a plain start during it bring only the lock forward.
    Process login = Start(L"\"" + Program() + L"\"");
    HWND loginWindow = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (loginWindow = FindDialog(login.id)) != nullptr; }, 10s));
    // Made-up private starts: without the inherited channel nothing guards, relays or locks.
    const exstring s = exstring(kSwitchGuardian) + L" ", other = exstring(std::to_wstring(login.id));
    for (const exstring arguments : {s + other + L" 4", s + other + L" relay 4", s + other + L" relock 4"}) {
        EXPECT_EQ(Start(L"\"" + Program() + L"\" " + arguments).ExitCode(5000), 0u) << Utf8(arguments);
        EXPECT_EQ(ProgramProcesses(), std::vector<DWORD>{login.id}) << Utf8(arguments);
    }
    const auto loginInFront = [&] { return GetForegroundWindow() == loginWindow; };
    Start(L"\"" + Program() + L"\" +lock");
    ASSERT_TRUE(AwaitLock({login.id}));
    ASSERT_TRUE(AwaitGuardian());
    EXPECT_TRUE(NeverWithin(loginInFront, 1s)) << "the lock request called the login window to the front";
    Process plain = Start(L"\"" + Program() + L"\"");
    EXPECT_TRUE(NeverWithin(loginInFront, 1500ms)) << "the plain start brought the login window forward";
    EXPECT_NE(plain.ExitCode(5000), static_cast<DWORD>(STILL_ACTIVE));
    UnlockAndExpectTheEnd({login.id});
}

} // namespace
