// The lock and its guardian: each brings the other back when it is killed,
// only the right password ends both, and the private switch refuses whatever
// it was not made for.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>

#include "app/guardian.h"
#include "lock/mgtlocker.h"
#include "settings/mgtsettings.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;

TEST(GuardianDecisions, CommandLinesAndProcesses) {
    const exstring s = kSwitchGuardian;
    using G = GuardianCommand;
    struct Case { std::vector<exstring> tokens; G::Kind kind; DWORD id; };
    const Case cases[] = {{{s, L"4242"}, G::kGuard, 4242},        {{L"+WQ7V3K9T", L"8", L"RELAY"}, G::kRelayGuard, 8},
                          {{s, L"8", L"relock"}, G::kRelayRelock, 8}, {{s, L"8", L"other"}, G::kInvalid, 8},
                          {{s}, G::kInvalid, 0},  {{s, L"0"}, G::kInvalid, 0},  {{s, L"4294967296"}, G::kInvalid, 0},
                          {{s, L"-8"}, G::kInvalid, 0},  {{L"+lock", s, L"8"}, G::kNone, 0}};
    for (const Case& c : cases) {
        const GuardianCommand command = ParseGuardianCommand(c.tokens);
        EXPECT_EQ(command.kind, c.kind) << c.tokens.back().ToUtf8();
        EXPECT_EQ(command.processId, c.id) << c.tokens.back().ToUtf8();
    }
    EXPECT_EQ(AdoptedGuardian({L"+lock", s, L"77"}), 77u);
    EXPECT_EQ(AdoptedGuardian({L"+boot", s, L"77"}), 0u) << "only a relock keeps a guardian";

    struct Process { ProcessFacts facts; bool flag, own, lock; };
    const Process processes[] = {{{200, L"c:\\apps\\MARROWGATE.EXE", true}, true, true, true},
                                 {{200, L"C:\\Apps\\Marrowgate.exe", false}, true, true, false},  // no lock announced
                                 {{200, L"C:\\Apps\\Marrowgate.exe", true}, false, true, false},  // flag says unlocked
                                 {{200, L"C:\\Other\\Marrowgate.exe", true}, true, false, false},
                                 {{100, L"C:\\Apps\\Marrowgate.exe", true}, true, false, false}};  // itself
    for (const Process& p : processes) {
        const OwnFacts self{100, L"C:\\Apps\\Marrowgate.exe", p.flag};
        EXPECT_EQ(IsOwnProgram(p.facts, self), p.own) << p.facts.image.ToUtf8() << " " << p.facts.processId;
        EXPECT_EQ(IsLockOfMine(p.facts, self), p.lock) << p.facts.image.ToUtf8() << " " << p.facts.processId;
    }
}

TEST(GuardianDecisions, RestartsBackOffAndStop) {
    RestartBudget budget;
    DWORD delay = 99;
    EXPECT_FALSE(PlanRestart({false, false, 60000}, budget, delay)) << "the right password ended it";
    EXPECT_FALSE(PlanRestart({true, true, 60000}, budget, delay)) << "the session ends";
    std::vector<DWORD> delays;
    while (PlanRestart({true, false, 100}, budget, delay)) delays.push_back(delay);
    EXPECT_EQ(delays, (std::vector<DWORD>{0, 250, 500, 1000, 2000})) << "quick deaths back off, then stop";
    EXPECT_TRUE(PlanRestart({true, false, RestartBudget::kSteadyMs}, budget, delay) && delay == 0)
        << "a lock that held a while earns a fresh budget";
}

TEST(GuardianDecisions, WatchdogRenewsHooksAfterStallsAndNowAndThen) {
    const ULONGLONG t = 1000000;
    struct Case { ULONGLONG now, renewed; bool renew; };
    const Case cases[] = {{t, t - 1000, false}, {t + 200, t - 1000, false}, {t + 300, t - 1000, true},
                          {t + 100, t - 29000, false}, {t, t - 30000, true}};
    for (const Case& c : cases)
        EXPECT_EQ(mgtLocker::HooksNeedRenewal(t, c.now, c.renewed), c.renew)
            << "late by " << c.now - t << " ms, renewed " << t - c.renewed << " ms before it was due";
}

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";
const COLORREF kLockColor = RGB(20, 90, 160);
exstring Program() { return TestDirectory() + L"marrowgate.exe"; }

// The program's processes in order of ID, or the parent of one of them.
std::vector<DWORD> Ids(DWORD parentOf = 0, DWORD* parent = nullptr) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (!exstring(entry.szExeFile).EqualsNoCase(L"marrowgate.exe")) continue;
        ids.push_back(entry.th32ProcessID);
        if (entry.th32ProcessID == parentOf) *parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    std::sort(ids.begin(), ids.end());
    return ids;
}
DWORD ParentOf(DWORD id) {
    DWORD parent = 0;
    Ids(id, &parent);
    return parent;
}

void Kill(DWORD id) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (process.Held() && TerminateProcess(process.Get(), 1)) WaitForSingleObject(process.Get(), 3000);
}

// The first top-level window of the class (and title) whose process passes `accept`.
template <class Accept>
std::pair<HWND, DWORD> FindOf(const wchar_t* className, const wchar_t* title, Accept accept) {
    for (HWND w = FindWindowW(className, title); w != nullptr; w = FindWindowExW(nullptr, w, className, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (accept(owner)) return {w, owner};
    }
    return {nullptr, 0};
}
HWND DialogOf(DWORD id) {
    return FindOf(L"#32770", L"Marrowgate", [=](DWORD o) { return o == id; }).first;
}
// The process, other than the lock, that listens for the session's end.
DWORD GuardianBeside(DWORD lock) {
    return FindOf(L"MgtGuardianSession", nullptr, [=](DWORD o) { return o != lock; }).second;
}

// The lock colour in the four corners of the screen.
bool Covered() {
    HDC screen = GetDC(nullptr);
    const int w = GetSystemMetrics(SM_CXSCREEN) - 3, h = GetSystemMetrics(SM_CYSCREEN) - 3;
    int covered = 0;
    for (const POINT p : {POINT{2, 2}, POINT{w, 2}, POINT{2, h}, POINT{w, h}})
        covered += GetPixel(screen, p.x, p.y) == kLockColor;
    ReleaseDC(nullptr, screen);
    return covered == 4;
}

long Locking() {
    DWORD value = 0, size = sizeof(value);
    return RegGetValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking", RRF_RT_REG_DWORD, nullptr, &value, &size) == 0
               ? static_cast<long>(value) : -1;
}

class GuardedLock : public ::testing::Test {
protected:
    void SetUp() override {
        Clean();
        mgtSettings settings;
        const PasswordDigestBytes digest = mgtSettings::PasswordDigest(L"open42");
        std::copy(digest.begin(), digest.end(), settings.Password);
        settings.bgColor = kLockColor;
        settings.bgImage.clear();
        ASSERT_TRUE(settings.Save());
    }
    void TearDown() override { Clean(); }
    // Without the flag nothing relocks; whatever still runs is ended.
    static void Clean() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteTreeW(root, kKeyPath);
            RegDeleteKeyValueW(root, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Marrowgate");
        }
        for (int round = 0; round < 5; ++round)
            for (DWORD id : Ids()) Kill(id);
    }
    static DWORD Start(const exstring& arguments) {
        exstring line = L"\"" + Program() + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return 0;
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return info.dwProcessId;
    }
    // A lock and its guardian, which is no child of the lock.
    DWORD LockWithGuardian() {
        lock = Start(L"+lock");
        EXPECT_TRUE(WaitFor([&] { return DialogOf(lock) != nullptr && Covered(); }, 10s)) << "no lock";
        DWORD guardian = 0;
        EXPECT_TRUE(WaitFor([&] { return (guardian = GuardianBeside(lock)) != 0; }, 5s)) << "no guardian";
        EXPECT_NE(ParentOf(guardian), lock);
        return guardian;
    }
    // Kills the lock as a task manager would and expects another at once.
    void KillLockAndExpectAnother(DWORD besides = 0) {
        const DWORD old = lock, guardian = GuardianBeside(lock);
        const auto killed = std::chrono::steady_clock::now();
        Kill(old);
        auto relocked = [&] {
            for (DWORD id : Ids())
                if (id != old && id != besides && DialogOf(id) != nullptr) lock = id;
            return lock != old && Covered();
        };
        ASSERT_TRUE(WaitFor(relocked, 5s)) << "no relock; " << Ids().size() << " processes";
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - killed).count(), 1.0)
            << "seconds the desktop was open";
        EXPECT_EQ(Locking(), 1);
        EXPECT_NE(ParentOf(lock), guardian);
        EXPECT_TRUE(WaitFor([&] { return GuardianBeside(lock) != 0 && Ids().size() == (besides ? 3u : 2u); }, 3s))
            << Ids().size() << " processes, the guardian " << GuardianBeside(lock);
    }
    void UnlockAndExpect(const std::vector<DWORD>& left) {
        HWND dialog = DialogOf(lock);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 3s)) << "the dialog is not in front";
        for (const char* key = "OPEN42\r"; *key != '\0'; ++key) {
            INPUT input[2] = {};
            input[0].type = input[1].type = INPUT_KEYBOARD;
            input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(*key == '\r' ? VK_RETURN : *key);
            input[1].ki.dwFlags = KEYEVENTF_KEYUP;
            SendInput(2, input, sizeof(INPUT));
        }
        EXPECT_TRUE(WaitFor([&] { return Ids() == left; }, 5s)) << Ids().size() << " processes left";
        EXPECT_EQ(Locking(), 0);
        EXPECT_FALSE(WaitFor([&] { return Ids() != left; }, 1500ms)) << "something started again";
    }
    DWORD lock = 0;
};

TEST_F(GuardedLock, KilledLockComesBackAtOnce) {
    ASSERT_NE(LockWithGuardian(), 0u);
    // More kills in quick succession than the restart budget allows failed starts.
    for (int kill = 0; kill < 7; ++kill) ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother()) << "kill " << kill;
    UnlockAndExpect({});
}

TEST_F(GuardedLock, KilledGuardianIsReplacedAndRightPasswordsNeverRelock) {
    for (int round = 0; round < 3; ++round) {
        const DWORD old = LockWithGuardian();
        ASSERT_NE(old, 0u);
        if (round == 0) {
            Kill(old);
            DWORD guardian = 0;
            EXPECT_TRUE(WaitFor([&] { return (guardian = GuardianBeside(lock)) != 0 && guardian != old; }, 3s));
            EXPECT_NE(ParentOf(guardian), lock);
            EXPECT_TRUE(DialogOf(lock) != nullptr && Covered()) << "the lock must go on";
        }
        UnlockAndExpect({});
    }
}

TEST_F(GuardedLock, LogOffIsNotFought) {
    ASSERT_NE(LockWithGuardian(), 0u);
    for (DWORD id : {lock, GuardianBeside(lock)}) {
        HWND listener = FindOf(L"MgtGuardianSession", nullptr, [=](DWORD o) { return o == id; }).first;
        SendMessageW(listener, WM_ENDSESSION, TRUE, 0);
    }
    ASSERT_TRUE(WaitFor([&] { return Ids() == std::vector<DWORD>{lock}; }, 3s)) << "the guardian goes with the session";
    Kill(lock);
    EXPECT_FALSE(WaitFor([] { return !Ids().empty(); }, 1500ms)) << "a lock or guardian came back";
    EXPECT_EQ(Locking(), 1) << "the next log-on locks again";
}

TEST_F(GuardedLock, MadeUpStartsAndPostedQuitChangeNothing) {
    const DWORD login = Start(L"");  // a process of the program that is no lock
    ASSERT_TRUE(WaitFor([&] { return DialogOf(login) != nullptr; }, 10s));
    const exstring s = exstring(kSwitchGuardian) + L" ", other = std::to_wstring(login);
    const exstring self = std::to_wstring(GetCurrentProcessId());
    const std::vector<exstring> madeUp = {s + other,  s + other + L" relay", s + other + L" relock", s + self,
                                          s + self + L" relock", s + L"x", s + other + L" x"};
    for (const exstring& arguments : madeUp) {
        DWORD code = 1;
        std::string failure;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(RunAndWait(Program(), L"\"" + Program() + L"\" " + arguments, 5000, code, failure)) << failure;
        EXPECT_EQ(code, 0u) << arguments.ToUtf8();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << arguments.ToUtf8();
        EXPECT_EQ(Ids(), std::vector<DWORD>{login}) << arguments.ToUtf8();
    }
    EXPECT_EQ(Locking(), -1);

    // A lock beside that instance, which keeps the single-instance role.
    ASSERT_NE(LockWithGuardian(), 0u);
    ASSERT_NO_FATAL_FAILURE(KillLockAndExpectAnother(login));
    PostMessageW(DialogOf(lock), WM_QUIT, 0, 0);
    EXPECT_FALSE(WaitFor([&] { return DialogOf(lock) == nullptr; }, 1s)) << "a posted WM_QUIT ended the lock";
    EXPECT_EQ(Locking(), 1);
    UnlockAndExpect({login});
}

} // namespace
