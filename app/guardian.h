// The guardian: while a lock lasts, a second process of the program, without
// a visible window, watches the lock process, and the lock watches it. A lock
// that ends without the right password is started again at once; a guardian
// that ends is started again by the lock. Neither is the other's child, so
// ending one process tree never takes both.
#pragma once

#include <windows.h>

#include <vector>

#include "../text/exstring.h"
#include "shell/uniquehandle.h"

class exrestart;
class mgtLocker;

// The private switch. Its command lines, and nothing else, are accepted:
//   S <lock id>               the guardian of that lock
//   S <lock id> relay         starts that guardian and ends, its exit code the
//                             guardian's process ID (0 when none started)
//   S <guardian id> relock    starts a new lock for that guardian and ends, its
//                             exit code the new lock's process ID
//   +lock S <guardian id>     the new lock, which keeps the guardian that asked
// The relays exist so that the started process's parent is a process that has
// already ended: "end process tree" follows parent process IDs.
inline const exchar kSwitchGuardian[] = EXT("+wq7v3k9t");

// A strict decimal process ID; 0 for anything else.
DWORD ParseProcessId(const exstring& text);

struct GuardianCommand {
    enum Kind { kNone, kInvalid, kGuard, kRelayGuard, kRelayRelock };
    Kind kind = kNone;
    DWORD processId = 0;
};
// kNone unless the private switch is the first token.
GuardianCommand ParseGuardianCommand(const std::vector<exstring>& tokens);
// The guardian a relock keeps ("+lock S <id>"), or 0.
DWORD AdoptedGuardian(const std::vector<exstring>& tokens);

// What is known about another process and about this one.
struct ProcessFacts {
    DWORD processId = 0;
    exstring image;           // its program file; empty when unknown
    bool lockMarker = false;  // it announced a running lock
};
struct OwnFacts {
    DWORD processId = 0;
    exstring image;
    bool lockingFlag = false;  // the registry's `Locking` flag reads 1
};
// Another process started from this program file.
bool IsOwnProgram(const ProcessFacts& process, const OwnFacts& self);
// Another process of this program that runs a lock, while a lock is marked.
bool IsLockOfMine(const ProcessFacts& process, const OwnFacts& self);

// Consecutive starts of a watched process: a short back-off, then no more.
class RestartBudget {
public:
    static constexpr unsigned kMaxTries = 5;
    // A process that ran this long before it ended earns a fresh budget.
    static constexpr ULONGLONG kSteadyMs = 1000;

    // The wait before the next try, which it counts; false when none is left.
    bool NextTry(DWORD& delayMs);
    void Ended(ULONGLONG livedMs);
    // A start that came up: the next end starts counting afresh.
    void Reset() { tries_ = 0; }
    unsigned Tries() const { return tries_; }

private:
    unsigned tries_ = 0;
};

// How the watched process ended.
struct WatchedEnd {
    bool lockGoesOn;     // guardian: `Locking` still reads 1; lock: still locked
    bool sessionEnding;  // log-off or shutdown: not fought
    ULONGLONG livedMs;
};
// True (with the wait first) when the watched process is to be started again.
bool PlanRestart(const WatchedEnd& end, RestartBudget& budget, DWORD& delayMs);

// Private-switch starts: the guardian or a relay. Returns the exit code.
int RunGuardianCommand(const GuardianCommand& command, const exstring& instanceName);
// A relock waits briefly for the dying lock to give up the single-instance
// role; true for a relock, which locks even beside another instance.
bool AwaitInstanceRole(exrestart& restart, const std::vector<exstring>& tokens);

// The lock's side: announces the lock, keeps a guardian running while the
// lock holds, and leaves it to see how the lock ended.
class mgtGuardianLink {
public:
    mgtGuardianLink(const mgtLocker& locker, const exstring& instanceName);
    ~mgtGuardianLink();
    mgtGuardianLink(const mgtGuardianLink&) = delete;
    mgtGuardianLink& operator=(const mgtGuardianLink&) = delete;

    // Marks this process as a lock, before it has finished locking, so that
    // a guardian counts a lock killed early as one that came up.
    void Announce();
    // Keeps `adopted` when it is a process of this program, else starts one.
    void Start(DWORD adopted);
    // Called every kTickMs: a few waits of zero time.
    void Tick();

    static constexpr UINT kTickMs = 200;

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void Launch();
    void ScheduleRetry(ULONGLONG now);

    const mgtLocker& locker_;
    exstring instanceName_;
    UniqueHandle marker_;
    UniqueHandle relay_;
    UniqueHandle guardian_;
    ULONGLONG guardianSince_ = 0;
    ULONGLONG relayStarted_ = 0;
    ULONGLONG nextTry_ = 0;
    bool retry_ = false;
    RestartBudget budget_;
    UINT_PTR timer_ = 0;
    HWND sessionWindow_ = nullptr;
};
