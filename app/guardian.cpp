#include "guardian.h"

#include "../lock/mgtlocker.h"
#include "../settings/mgtsettings.h"
#include "../settings/registry.h"
#include "../text/pathutil.h"
#include "exrestart.h"
#include "switches.h"

namespace {

const exchar kRelayVerb[] = EXT("relay");
const exchar kRelockVerb[] = EXT("relock");
const exchar kSessionWindowClass[] = EXT("MgtGuardianSession");
const DWORD kOpenAccess = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;
// How long a relock may take to show that it locks.
const DWORD kLockUpWaitMs = 5000;
// A relay starts one process and ends; one that takes longer has failed.
const DWORD kRelayWaitMs = 5000;
// The dying lock's handles close before its end is seen; this only covers a
// slow system, and the desktop is open meanwhile.
const DWORD kInstanceRoleWaitMs = 500;

bool g_sessionEnding = false;
// When the session last asked whether it may end, until it says it will not.
ULONGLONG g_sessionQueried = 0;
// How long a pending end of session holds a relock back.
const ULONGLONG kSessionAnswerMs = 5000;
mgtGuardianLink* g_link = nullptr;

exstring Decimal(DWORD value) {
    return exstring::Format(EXT("%u"), static_cast<unsigned>(value));
}

exstring LongPath(const exstring& path) {
    wchar_t buffer[1024];
    const DWORD length = GetLongPathNameW(path.c_str(), buffer, 1024);
    return length == 0 || length >= 1024 ? path : exstring(buffer, length);
}

exstring ImageOf(HANDLE process) {
    wchar_t buffer[1024];
    DWORD length = 1024;
    if (!QueryFullProcessImageNameW(process, 0, buffer, &length)) return exstring();
    return LongPath(exstring(buffer, length));
}

exstring LockMarkerName(const exstring& instanceName, DWORD processId) {
    return instanceName + EXT("_MGTLOCK") + Decimal(processId);
}

// Read afresh every time: the lock process writes it, not this one.
bool ReadLockingFlag() {
    const SettingsStore store;
    const UniqueKey key = OpenKey(store.userRoot, store.keyPath, false);
    const ByteBuffer value = key ? QueryValue(key.Get(), EXT("Locking")) : ByteBuffer();
    if (value.Size() != sizeof(DWORD)) return false;
    DWORD flag = 0;
    CopyMemory(&flag, value.Data(), sizeof(flag));
    return flag != 0;
}

OwnFacts OwnFactsNow() {
    return OwnFacts{GetCurrentProcessId(), LongPath(ModulePath(false)), ReadLockingFlag()};
}

ProcessFacts FactsOf(HANDLE process, DWORD processId, const exstring& instanceName) {
    ProcessFacts facts;
    facts.processId = processId;
    facts.image = ImageOf(process);
    HANDLE marker = OpenMutexW(SYNCHRONIZE, FALSE, LockMarkerName(instanceName, processId).c_str());
    facts.lockMarker = marker != nullptr;
    if (marker != nullptr) CloseHandle(marker);
    return facts;
}

UniqueHandle OpenWatched(DWORD processId) {
    if (processId == 0) return UniqueHandle();
    UniqueHandle process(OpenProcess(kOpenAccess, FALSE, processId));
    // Windows ignores the low bits of a process ID: another number can open
    // the same process, and then it is not the one asked for.
    if (process.Held() && GetProcessId(process.Get()) != processId) return UniqueHandle();
    return process;
}

bool SessionEnding() {
    return g_sessionEnding || GetSystemMetrics(SM_SHUTTINGDOWN) != 0;
}

bool SessionAnswerPending() {
    return g_sessionQueried != 0 && !SessionEnding() && GetTickCount64() - g_sessionQueried < kSessionAnswerMs;
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_QUERYENDSESSION) {
        g_sessionQueried = GetTickCount64();
        return TRUE;
    }
    if (message == WM_ENDSESSION) {
        if (wParam != FALSE) g_sessionEnding = true;
        g_sessionQueried = 0;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Never shown, so no taskbar entry; a top-level window because only those
// hear that the session ends.
HWND CreateSessionWindow() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassW(&windowClass);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, EXT(""), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           module, nullptr);
}

// Starts this program; the child leaves the caller's job where the job lets it.
UniqueHandle LaunchSelf(const exstring& arguments, DWORD* processId) {
    const exstring program = ModulePath(false);
    exstring line = EXT("\"") + program + EXT("\" ") + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    BOOL created = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_BREAKAWAY_FROM_JOB,
                                  nullptr, nullptr, &startup, &info);
    if (!created && GetLastError() == ERROR_ACCESS_DENIED)
        created = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &info);
    if (!created) return UniqueHandle();
    CloseHandle(info.hThread);
    if (processId != nullptr) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

// The process a relay that has ended started, when it is one of this program.
UniqueHandle ClaimRelayed(HANDLE relay, const exstring& instanceName) {
    DWORD code = 0;
    if (!GetExitCodeProcess(relay, &code) || code == STILL_ACTIVE) return UniqueHandle();
    UniqueHandle process = OpenWatched(code);
    if (!process.Held() || !IsOwnProgram(FactsOf(process.Get(), code, instanceName), OwnFactsNow()))
        return UniqueHandle();
    return process;
}

enum class Wake { kSignalled, kTimeout, kSessionEnds };

// Waits for `handle` (may be null) while dispatching this thread's messages.
Wake PumpWait(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD count = handle != nullptr ? 1 : 0;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (SessionEnding()) return Wake::kSessionEnds;
        const ULONGLONG now = GetTickCount64();
        if (timeoutMs != INFINITE && now >= deadline) return Wake::kTimeout;
        const DWORD wait = timeoutMs == INFINITE ? INFINITE : static_cast<DWORD>(deadline - now);
        const DWORD result = MsgWaitForMultipleObjects(count, &handle, FALSE, wait, QS_ALLINPUT);
        if (count == 1 && (result == WAIT_OBJECT_0 || result == WAIT_FAILED)) return Wake::kSignalled;
        if (result == WAIT_FAILED) Sleep(10);
    }
}

UniqueHandle StartRelayed(const exstring& arguments, const exstring& instanceName) {
    UniqueHandle relay = LaunchSelf(arguments, nullptr);
    if (!relay.Held()) return UniqueHandle();
    if (PumpWait(relay.Get(), kRelayWaitMs) != Wake::kSignalled) {
        TerminateProcess(relay.Get(), 0);
        return UniqueHandle();
    }
    return ClaimRelayed(relay.Get(), instanceName);
}

// Waits until a started lock shows its marker; false when it ended first.
bool CameUpAsLock(HANDLE lock, const exstring& instanceName) {
    const DWORD id = GetProcessId(lock);
    const ULONGLONG deadline = GetTickCount64() + kLockUpWaitMs;
    while (GetTickCount64() < deadline) {
        HANDLE marker = OpenMutexW(SYNCHRONIZE, FALSE, LockMarkerName(instanceName, id).c_str());
        if (marker != nullptr) {
            CloseHandle(marker);
            return true;
        }
        if (PumpWait(lock, 50) == Wake::kSignalled) return false;
    }
    return false;
}

int RunGuardian(DWORD lockId, const exstring& instanceName) {
    UniqueHandle lock = OpenWatched(lockId);
    if (!lock.Held() || !IsLockOfMine(FactsOf(lock.Get(), lockId, instanceName), OwnFactsNow())) return 0;
    const HWND session = CreateSessionWindow();
    const exstring relock =
        exstring(kSwitchGuardian) + EXT(" ") + Decimal(GetCurrentProcessId()) + EXT(" ") + kRelockVerb;
    RestartBudget budget;
    ULONGLONG since = GetTickCount64();
    DWORD delay = 0;
    while (PumpWait(lock.Get(), INFINITE) == Wake::kSignalled) {
        // A log-off may end the lock before this process hears the answer:
        // wait for it rather than fight the session with a new lock.
        if (SessionAnswerPending()) PumpWait(nullptr, static_cast<DWORD>(kSessionAnswerMs));
        if (!PlanRestart({ReadLockingFlag(), SessionEnding(), GetTickCount64() - since}, budget, delay)) break;
        lock.Reset();
        while (PumpWait(nullptr, delay) == Wake::kTimeout) {
            lock = StartRelayed(relock, instanceName);
            if (lock.Held() || !budget.NextTry(delay)) break;
        }
        if (!lock.Held()) break;
        since = GetTickCount64();
        // Only starts that never came up count against the budget: a lock
        // killed over and over must come back every time.
        if (CameUpAsLock(lock.Get(), instanceName)) budget.Reset();
    }
    if (session != nullptr) DestroyWindow(session);
    return 0;
}

int RunRelay(const GuardianCommand& command, const exstring& instanceName) {
    UniqueHandle target = OpenWatched(command.processId);
    if (!target.Held()) return 0;
    const ProcessFacts facts = FactsOf(target.Get(), command.processId, instanceName);
    const OwnFacts self = OwnFactsNow();
    exstring arguments;
    if (command.kind == GuardianCommand::kRelayGuard) {
        if (!IsLockOfMine(facts, self)) return 0;
        arguments = exstring(kSwitchGuardian) + EXT(" ") + Decimal(command.processId);
    } else {
        if (!IsOwnProgram(facts, self) || !self.lockingFlag) return 0;
        arguments = exstring(kSwitchLock) + EXT(" ") + kSwitchGuardian + EXT(" ") + Decimal(command.processId);
    }
    DWORD started = 0;
    LaunchSelf(arguments, &started);
    return static_cast<int>(started);
}

} // namespace

DWORD ParseProcessId(const exstring& text) {
    if (text.empty() || text.size() > 10) return 0;
    unsigned long long value = 0;
    for (const exchar c : text) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value > 0xFFFFFFFFull ? 0 : static_cast<DWORD>(value);
}

GuardianCommand ParseGuardianCommand(const std::vector<exstring>& tokens) {
    GuardianCommand command;
    if (tokens.empty() || !tokens[0].EqualsNoCase(kSwitchGuardian)) return command;
    command.kind = GuardianCommand::kInvalid;
    command.processId = tokens.size() >= 2 ? ParseProcessId(tokens[1]) : 0;
    if (command.processId == 0 || tokens.size() > 3) return command;
    if (tokens.size() == 2) command.kind = GuardianCommand::kGuard;
    else if (tokens[2].EqualsNoCase(kRelayVerb)) command.kind = GuardianCommand::kRelayGuard;
    else if (tokens[2].EqualsNoCase(kRelockVerb)) command.kind = GuardianCommand::kRelayRelock;
    return command;
}

DWORD AdoptedGuardian(const std::vector<exstring>& tokens) {
    bool lock = false;
    DWORD guardian = 0;
    for (size_t i = 1; i < tokens.size(); ++i) {
        lock = lock || tokens[i - 1].EqualsNoCase(kSwitchLock);
        if (tokens[i - 1].EqualsNoCase(kSwitchGuardian)) guardian = ParseProcessId(tokens[i]);
    }
    return lock ? guardian : 0;
}

bool IsOwnProgram(const ProcessFacts& process, const OwnFacts& self) {
    return process.processId != 0 && process.processId != self.processId && !process.image.empty() &&
           process.image.EqualsNoCase(self.image);
}

bool IsLockOfMine(const ProcessFacts& process, const OwnFacts& self) {
    return IsOwnProgram(process, self) && process.lockMarker && self.lockingFlag;
}

bool RestartBudget::NextTry(DWORD& delayMs) {
    if (tries_ >= kMaxTries) return false;
    delayMs = tries_ == 0 ? 0 : 125u << tries_;
    ++tries_;
    return true;
}

void RestartBudget::Ended(ULONGLONG livedMs) {
    if (livedMs >= kSteadyMs) tries_ = 0;
}

bool PlanRestart(const WatchedEnd& end, RestartBudget& budget, DWORD& delayMs) {
    if (!end.lockGoesOn || end.sessionEnding) return false;
    budget.Ended(end.livedMs);
    return budget.NextTry(delayMs);
}

int RunGuardianCommand(const GuardianCommand& command, const exstring& instanceName) {
    switch (command.kind) {
    case GuardianCommand::kGuard:
        return RunGuardian(command.processId, instanceName);
    case GuardianCommand::kRelayGuard:
    case GuardianCommand::kRelayRelock:
        return RunRelay(command, instanceName);
    default:
        return 0;
    }
}

bool AwaitInstanceRole(exrestart& restart, const std::vector<exstring>& tokens) {
    if (AdoptedGuardian(tokens) == 0) return false;
    const ULONGLONG deadline = GetTickCount64() + kInstanceRoleWaitMs;
    while (!restart.HoldsInstanceMutex() && GetTickCount64() < deadline) {
        Sleep(20);
        restart.Initialize(true);
    }
    return true;
}

mgtGuardianLink::mgtGuardianLink(const mgtLocker& locker, const exstring& instanceName)
    : locker_(locker), instanceName_(instanceName) {}

mgtGuardianLink::~mgtGuardianLink() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    if (g_link == this) g_link = nullptr;
    if (sessionWindow_ != nullptr) DestroyWindow(sessionWindow_);
}

void mgtGuardianLink::Announce() {
    // The guardian starts only for a process that carries this marker.
    if (!marker_.Held())
        marker_.Reset(CreateMutexW(nullptr, FALSE, LockMarkerName(instanceName_, GetCurrentProcessId()).c_str()));
}

void mgtGuardianLink::Start(DWORD adopted) {
    Announce();
    sessionWindow_ = CreateSessionWindow();
    UniqueHandle kept = OpenWatched(adopted);
    if (kept.Held() && IsOwnProgram(FactsOf(kept.Get(), adopted, instanceName_), OwnFactsNow())) {
        guardian_ = std::move(kept);
        guardianSince_ = GetTickCount64();
    } else {
        DWORD delay = 0;
        budget_.NextTry(delay);
        Launch();
    }
    g_link = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, TimerProc);
}

void mgtGuardianLink::Launch() {
    const exstring arguments =
        exstring(kSwitchGuardian) + EXT(" ") + Decimal(GetCurrentProcessId()) + EXT(" ") + kRelayVerb;
    relay_ = LaunchSelf(arguments, nullptr);
    relayStarted_ = GetTickCount64();
    if (!relay_.Held()) ScheduleRetry(relayStarted_);
}

void mgtGuardianLink::ScheduleRetry(ULONGLONG now) {
    DWORD delay = 0;
    retry_ = budget_.NextTry(delay);
    nextTry_ = now + delay;
}

void mgtGuardianLink::Tick() {
    const ULONGLONG now = GetTickCount64();
    if (guardian_.Held()) {
        if (WaitForSingleObject(guardian_.Get(), 0) == WAIT_TIMEOUT) return;
        guardian_.Reset();
        DWORD delay = 0;
        retry_ = PlanRestart({locker_.IsLocked(), SessionEnding(), now - guardianSince_}, budget_, delay);
        nextTry_ = now + delay;
    }
    if (relay_.Held()) {
        if (WaitForSingleObject(relay_.Get(), 0) == WAIT_TIMEOUT) {
            if (now - relayStarted_ < kRelayWaitMs) return;
            TerminateProcess(relay_.Get(), 0);
        }
        guardian_ = ClaimRelayed(relay_.Get(), instanceName_);
        relay_.Reset();
        guardianSince_ = now;
        if (guardian_.Held()) return;
        ScheduleRetry(now);
    }
    if (!retry_ || now < nextTry_ || !locker_.IsLocked() || SessionEnding() || SessionAnswerPending()) return;
    retry_ = false;
    Launch();
}

void CALLBACK mgtGuardianLink::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (g_link != nullptr) g_link->Tick();
}
