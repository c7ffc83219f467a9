#include "guardian.h"

#include <algorithm>
#include <climits>

#include "../base/diagnostics.h"
#include "../lock/lockchannel.h"
#include "../settings/audittrail.h"
#include "../text/pathutil.h"
#include "exrestart.h"
#include "guardhold.h"
#include "switches.h"

namespace {

const exchar kRelayVerb[] = EXT("relay");
const exchar kRelockVerb[] = EXT("relock");
const exchar kSessionWindowClass[] = EXT("MgtGuardianSession");
const DWORD kOpenAccess = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;
// A relay starts one process and ends; one that takes longer has failed.
const DWORD kRelayWaitMs = 5000;
// The dying lock's handles close before its end is seen; this only covers a
// slow system.
const DWORD kInstanceRoleWaitMs = 500;
// How often the guardian looks at the channel while the lock lives.
const DWORD kLookMs = 50;
// The system drops a hook that once failed to answer in time, without a word:
// the guardian renews its hooks now and then, and often while its hold is
// all there is because the lock cannot hold the input itself.
const ULONGLONG kHookRenewalMs = 30000;
const ULONGLONG kSoleHoldRenewalMs = 2000;
// While no lock is up, how often the cover is raised again.
const ULONGLONG kHoldAgainMs = 250;
mgtGuardianLink* g_link = nullptr;

exstring Decimal(uint64_t value) {
    return exstring::Format(EXT("%I64u"), static_cast<unsigned long long>(value));
}

exstring HandleText(HANDLE handle) {
    return Decimal(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle)));
}

bool Unlocked(const LockChannelState* state) {
    return state->unlocked != 0;
}

UniqueHandle OpenWatched(DWORD processId) {
    if (processId == 0) return UniqueHandle();
    UniqueHandle process(OpenProcess(kOpenAccess, FALSE, processId));
    // Windows ignores the low bits of a process ID: another number can open
    // the same process, and then it is not the one asked for.
    if (process.Held() && GetProcessId(process.Get()) != processId) return UniqueHandle();
    return process;
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (IsIgnoredMessage(message)) return 0;
    // Never holds up a log-off; whether one is under way is asked of the
    // system, not taken from these messages, which anyone may send.
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION) return 0;
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
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, EXT(""), WS_POPUP, 0, 0, 0, 0, nullptr,
                                        nullptr, module, nullptr);
    // Without it a log-off is not heard: relocking then fights the session's end.
    if (window == nullptr) WriteDiagnostic(DiagEvent::kWindowNotCreated, kDiagSessionWindow);
    return window;
}

// Starts this program; the child leaves the caller's job where the job lets
// it. With `inherit`, the child inherits the handles marked inheritable,
// which is only ever the channel's copy made for it.
UniqueHandle LaunchSelf(const exstring& arguments, DWORD* processId, bool inherit) {
    const exstring program = ModulePath(false);
    exstring line = EXT("\"") + program + EXT("\" ") + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const BOOL inheritHandles = inherit ? TRUE : FALSE;
    BOOL created = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, inheritHandles,
                                  CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr, &startup, &info);
    if (!created && GetLastError() == ERROR_ACCESS_DENIED)
        created = CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, inheritHandles, 0, nullptr, nullptr,
                                 &startup, &info);
    if (!created) {
        WriteDiagnostic(DiagEvent::kProcessNotStarted, GetLastError());
        return UniqueHandle();
    }
    const UniqueHandle thread(info.hThread);
    if (processId != nullptr) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

// Starts this program with the channel's handle as the last argument.
UniqueHandle LaunchWithChannel(const exstring& arguments, const LockChannel& channel, DWORD* processId) {
    const UniqueHandle copy(channel.InheritableCopy());
    if (!copy.Held()) return UniqueHandle();
    return LaunchSelf(arguments + EXT(" ") + HandleText(copy.Get()), processId, true);
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

enum class Wake { kSignalled, kTimeout, kFailed };

// Waits for `handle` (may be null) while dispatching this thread's messages:
// the session's end is heard while it does.
Wake PumpWait(HANDLE handle, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD count = handle != nullptr ? 1 : 0;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            if (message.message != WM_QUIT) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return Wake::kTimeout;
        const DWORD result = MsgWaitForMultipleObjects(count, &handle, FALSE, static_cast<DWORD>(deadline - now),
                                                       QS_ALLINPUT);
        if (count == 1 && result == WAIT_OBJECT_0) return Wake::kSignalled;
        if (result == WAIT_FAILED) return Wake::kFailed;
    }
}

UniqueHandle StartRelayed(const exstring& arguments, const LockChannel& channel, const exstring& instanceName) {
    UniqueHandle relay = LaunchWithChannel(arguments, channel, nullptr);
    if (!relay.Held()) return UniqueHandle();
    if (PumpWait(relay.Get(), kRelayWaitMs) != Wake::kSignalled) {
        TerminateProcess(relay.Get(), 0);
        return UniqueHandle();
    }
    return ClaimRelayed(relay.Get(), instanceName);
}

class Guardian {
public:
    Guardian(LockChannel channel, DWORD lockId, UniqueHandle lock, const exstring& instanceName, COLORREF color)
        : channel_(std::move(channel)), state_(channel_.State()), lockId_(lockId), lock_(std::move(lock)),
          instanceName_(instanceName), image_(OwnFactsNow().image), hold_(color, lockId) {}

    void Run() {
        hold_.Allow(lockId_);
        // Written once this guardian holds the input: from now on it came up.
        InterlockedExchange(&state_->guardianProcess, static_cast<LONG>(GetCurrentProcessId()));
        const HWND session = CreateSessionWindow();
        up_ = static_cast<DWORD>(state_->lockProcess) == lockId_;
        while (!Unlocked(state_) && Watch()) {
        }
        if (session != nullptr) DestroyWindow(session);
    }

private:
    // One look at the lock; false when guarding ends.
    bool Watch() {
        PumpWait(lock_.Get(), kLookMs);
        if (Unlocked(state_)) return false;
        // A hook that failed is retried at every look.
        const ULONGLONG renewal = state_->lockHolds != 0 ? kHookRenewalMs : kSoleHoldRenewalMs;
        if (GetTickCount64() - renewed_ >= renewal || !hold_.Holds()) RenewHooks();
        if (!up_ && static_cast<DWORD>(state_->lockProcess) == lockId_) {
            // The new lock covers the screen itself now.
            up_ = true;
            budget_.CameUp();
            hold_.Uncover();
        }
        const WatchState state = CheckWatched(lock_, lockId_, image_);
        if (state == WatchState::kLost) PumpWait(nullptr, kLookMs);
        if (state != WatchState::kEnded) return true;
        hold_.Cover();
        WriteDiagnostic(DiagEvent::kLockEnded, lockId_);
        // A log-off may end the lock before this process hears the answer:
        // the screen stays covered and held meanwhile, but no new lock fights
        // the session.
        while (GuardingPaused() && !Unlocked(state_)) PumpWait(nullptr, kLookMs);
        if (Unlocked(state_)) return false;
        return Relock();
    }

    bool Relock() {
        DWORD delay = 0;
        lock_.Reset();
        if (!PlanRestart({false, up_}, budget_, delay)) return false;
        const exstring arguments =
            exstring(kSwitchGuardian) + EXT(" ") + Decimal(GetCurrentProcessId()) + EXT(" ") + kRelockVerb;
        // Cover and hold stay while no lock can be started, for as long as
        // it takes: giving up would open the desktop.
        for (;;) {
            AskSystemLockAfterFailures();
            WaitHolding(delay);
            if (Unlocked(state_)) return false;
            lock_ = StartRelayed(arguments, channel_, instanceName_);
            if (lock_.Held()) break;
            budget_.NextTry(delay);
        }
        lockId_ = GetProcessId(lock_.Get());
        WriteDiagnostic(DiagEvent::kRelocked, lockId_);
        hold_.Allow(lockId_);
        up_ = false;
        return true;
    }

    // In addition, never instead: the system refuses it under a policy, and it
    // protects nothing for an account without a password. Asked again while
    // it is refused.
    void AskSystemLockAfterFailures() {
        if (budget_.Tries() < RestartBudget::kMaxTries) {
            systemLocked_ = false;
            return;
        }
        if (!systemLocked_) systemLocked_ = LockWorkStation() != FALSE;
    }

    void RenewHooks() {
        hold_.RenewHooks();
        renewed_ = GetTickCount64();
    }

    // Waits out a back-off with the cover raised again and the hooks renewed
    // every short while: anything may have come above the cover or dropped a
    // hook meanwhile, and this hold is all there is.
    void WaitHolding(DWORD delayMs) {
        const ULONGLONG deadline = GetTickCount64() + delayMs;
        for (;;) {
            hold_.Cover();
            if (GetTickCount64() - renewed_ >= kSoleHoldRenewalMs || !hold_.Holds()) RenewHooks();
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline || Unlocked(state_)) return;
            PumpWait(nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kHoldAgainMs)));
        }
    }

    LockChannel channel_;
    LockChannelState* state_;
    DWORD lockId_;
    UniqueHandle lock_;
    exstring instanceName_;
    exstring image_;
    GuardHold hold_;
    RestartBudget budget_;
    bool up_ = false;
    bool systemLocked_ = false;
    ULONGLONG renewed_ = GetTickCount64();
};

int RunGuardian(const GuardianCommand& command, const exstring& instanceName, COLORREF color) {
    LockChannel channel = LockChannel::Adopt(command.channel);
    if (!channel.Valid() || Unlocked(channel.State())) return 0;
    UniqueHandle lock = OpenWatched(command.processId);
    if (!lock.Held() || !IsLockOfMine(FactsOf(lock.Get(), command.processId, instanceName), OwnFactsNow())) return 0;
    Guardian guardian(std::move(channel), command.processId, std::move(lock), instanceName, color);
    guardian.Run();
    return 0;
}

int RunRelay(const GuardianCommand& command, const exstring& instanceName) {
    const LockChannel channel = LockChannel::Adopt(command.channel);
    if (!channel.Valid()) return 0;
    UniqueHandle target = OpenWatched(command.processId);
    if (!target.Held()) return 0;
    const ProcessFacts facts = FactsOf(target.Get(), command.processId, instanceName);
    const OwnFacts self = OwnFactsNow();
    exstring arguments;
    if (command.kind == GuardianCommand::kRelayGuard) {
        if (!IsLockOfMine(facts, self)) return 0;
        arguments = exstring(kSwitchGuardian) + EXT(" ") + Decimal(command.processId);
    } else {
        if (!IsOwnProgram(facts, self)) return 0;
        arguments = exstring(kSwitchLock) + EXT(" ") + kSwitchGuardian + EXT(" ") + Decimal(command.processId);
    }
    DWORD started = 0;
    LaunchWithChannel(arguments, channel, &started);
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
    command.channel = tokens.size() >= 3 ? ParseHandleValue(tokens.back().c_str()) : 0;
    if (command.processId == 0 || command.channel == 0 || tokens.size() > 4) return command;
    if (tokens.size() == 3) command.kind = GuardianCommand::kGuard;
    else if (tokens[2].EqualsNoCase(kRelayVerb)) command.kind = GuardianCommand::kRelayGuard;
    else if (tokens[2].EqualsNoCase(kRelockVerb)) command.kind = GuardianCommand::kRelayRelock;
    return command;
}

AdoptedLink AdoptedGuardian(const std::vector<exstring>& tokens) {
    if (tokens.size() != 4 || !tokens[0].EqualsNoCase(kSwitchLock) || !tokens[1].EqualsNoCase(kSwitchGuardian))
        return {};
    const AdoptedLink link{ParseProcessId(tokens[2]), ParseHandleValue(tokens[3].c_str())};
    return link.guardian != 0 && link.channel != 0 ? link : AdoptedLink{};
}

void RestartBudget::NextTry(DWORD& delayMs) {
    // 125 << 7 is past the ceiling already; the shift stays small.
    delayMs = tries_ == 0 ? 0 : std::min<DWORD>(kLongestDelayMs, 125u << std::min(tries_, 7u));
    if (tries_ < UINT_MAX) ++tries_;
}

bool PlanRestart(const WatchedEnd& end, RestartBudget& budget, DWORD& delayMs) {
    if (end.unlocked) return false;
    if (end.cameUp) budget.CameUp();
    budget.NextTry(delayMs);
    return true;
}

bool GuardingPaused() {
    return GetSystemMetrics(SM_SHUTTINGDOWN) != 0;
}

WatchState CheckWatched(UniqueHandle& process, DWORD processId, const exstring& image) {
    const DWORD result = WaitForSingleObject(process.Get(), 0);
    if (result == WAIT_TIMEOUT) return WatchState::kRunning;
    if (result == WAIT_OBJECT_0) return WatchState::kEnded;
    SetLastError(0);
    UniqueHandle again = OpenWatched(processId);
    if (!again.Held()) return GetLastError() == ERROR_INVALID_PARAMETER ? WatchState::kEnded : WatchState::kLost;
    // The ID now names another program's process: the watched one is gone.
    if (!ImageOf(again.Get()).EqualsNoCase(image) || WaitForSingleObject(again.Get(), 0) == WAIT_OBJECT_0)
        return WatchState::kEnded;
    process = std::move(again);
    return WatchState::kRunning;
}

int RunGuardianCommand(const GuardianCommand& command, const exstring& instanceName, COLORREF coverColor) {
    // Its own, however it was started: a guardian stuck behind a fault dialog
    // is never replaced.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    switch (command.kind) {
    case GuardianCommand::kGuard:
        return RunGuardian(command, instanceName, coverColor);
    case GuardianCommand::kRelayGuard:
    case GuardianCommand::kRelayRelock:
        return RunRelay(command, instanceName);
    default:
        return 0;
    }
}

bool AwaitInstanceRole(exrestart& restart, const std::vector<exstring>& tokens) {
    if (AdoptedGuardian(tokens).guardian == 0) return false;
    const ULONGLONG deadline = GetTickCount64() + kInstanceRoleWaitMs;
    while (!restart.HoldsInstanceMutex() && GetTickCount64() < deadline) {
        Sleep(20);
        restart.Initialize(true);
    }
    return true;
}

mgtGuardianLink::mgtGuardianLink(const LockChannel& channel, const exstring& instanceName)
    : channel_(channel), instanceName_(instanceName), image_(OwnFactsNow().image) {}

mgtGuardianLink::~mgtGuardianLink() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    if (g_link == this) g_link = nullptr;
    if (sessionWindow_ != nullptr) DestroyWindow(sessionWindow_);
}

bool mgtGuardianLink::GuardianCameUp() const {
    return guardianId_ != 0 && static_cast<DWORD>(channel_.State()->guardianProcess) == guardianId_;
}

void mgtGuardianLink::Start(DWORD adopted) {
    if (!channel_.Valid()) return;
    sessionWindow_ = CreateSessionWindow();
    UniqueHandle kept = OpenWatched(adopted);
    if (kept.Held() && IsOwnProgram(FactsOf(kept.Get(), adopted, instanceName_), OwnFactsNow())) {
        guardian_ = std::move(kept);
        guardianId_ = adopted;
    } else {
        DWORD delay = 0;
        budget_.NextTry(delay);
        Launch();
    }
    g_link = this;
    timer_ = SetTimer(nullptr, 0, kTickMs, TimerProc);
    // The lock holds on without it; only a guardian that ends is not replaced.
    if (timer_ == 0) WriteDiagnostic(DiagEvent::kTimerNotStarted, GetLastError());
}

void mgtGuardianLink::Launch() {
    relay_ = LaunchWithChannel(exstring(kSwitchGuardian) + EXT(" ") + Decimal(GetCurrentProcessId()) + EXT(" ") +
                                   kRelayVerb,
                               channel_, nullptr);
    relayStarted_ = GetTickCount64();
    if (!relay_.Held()) ScheduleRetry(relayStarted_);
}

void mgtGuardianLink::ScheduleRetry(ULONGLONG now) {
    DWORD delay = 0;
    budget_.NextTry(delay);
    delay = std::min(delay, kSlowRetryMs);
    retry_ = true;
    nextTry_ = now + delay;
}

void mgtGuardianLink::Tick() {
    const ULONGLONG now = GetTickCount64();
    if (guardian_.Held()) {
        if (!guardianUp_ && GuardianCameUp()) {
            guardianUp_ = true;
            budget_.CameUp();
        }
        if (CheckWatched(guardian_, guardianId_, image_) != WatchState::kEnded) return;
        // A guardian ends by itself once the lock was unlocked: not replaced then.
        if (!Unlocked(channel_.State())) AuditGuardianReplaced();
        guardian_.Reset();
        guardianId_ = 0;
        guardianUp_ = false;
        ScheduleRetry(now);
    }
    if (relay_.Held()) {
        if (WaitForSingleObject(relay_.Get(), 0) == WAIT_TIMEOUT) {
            if (now - relayStarted_ < kRelayWaitMs) return;
            TerminateProcess(relay_.Get(), 0);
        }
        guardian_ = ClaimRelayed(relay_.Get(), instanceName_);
        relay_.Reset();
        if (guardian_.Held()) {
            guardianId_ = GetProcessId(guardian_.Get());
            return;
        }
        ScheduleRetry(now);
    }
    if (!retry_ || now < nextTry_ || Unlocked(channel_.State()) || GuardingPaused()) return;
    retry_ = false;
    Launch();
}

void CALLBACK mgtGuardianLink::TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (g_link != nullptr) g_link->Tick();
}
