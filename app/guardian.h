// The guardian: while a lock lasts, a second process of the program, without
// a visible window, watches the lock process, and the lock watches it. A lock
// that ends without the right password is started again at once; a guardian
// that ends is started again by the lock. Neither is the other's child, so
// ending one process tree never takes both. The two talk only over a private
// channel that they alone hold (lock/lockchannel.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "../text/exstring.h"
#include "lockpresence.h"
#include "../base/uniquehandle.h"

class exrestart;
class LockChannel;

// The private switch. Its command lines, and nothing else, are accepted
// (<channel>: the inherited handle of the private channel):
//   S <lock id> <channel>              the guardian of that lock
//   S <lock id> relay <channel>        starts that guardian and ends, its exit
//                                      code the guardian's process ID (0: none)
//   S <guardian id> relock <channel>   starts a new lock for that guardian and
//                                      ends, its exit code the new lock's ID
//   +lock S <guardian id> <channel>    the new lock, which keeps the guardian
// The relays exist so that the started process's parent is a process that has
// already ended: "end process tree" follows parent process IDs.
inline const exchar kSwitchGuardian[] = EXT("+wq7v3k9t");

// A strict decimal process ID; 0 for anything else.
DWORD ParseProcessId(const exstring& text);

struct GuardianCommand {
    enum Kind { kNone, kInvalid, kGuard, kRelayGuard, kRelayRelock };
    Kind kind = kNone;
    DWORD processId = 0;
    uint64_t channel = 0;
};
// kNone unless the private switch is the first token.
GuardianCommand ParseGuardianCommand(const std::vector<exstring>& tokens);

// What a relock keeps: its guardian and the channel ("+lock S <id> <channel>").
struct AdoptedLink {
    DWORD guardian = 0;
    uint64_t channel = 0;
};
// Both 0 unless the tokens are exactly a relock's.
AdoptedLink AdoptedGuardian(const std::vector<exstring>& tokens);

// Starts of a watched process that never came up: each waits longer than the
// last, up to a ceiling, and tries never run out. A start that came up gives
// the back-off back.
class RestartBudget {
public:
    // After this many starts in a row that never came up, the system's own
    // lock is asked for as well.
    static constexpr unsigned kMaxTries = 5;
    static constexpr DWORD kLongestDelayMs = 8000;

    // The wait before the next try, which it counts.
    void NextTry(DWORD& delayMs);
    void CameUp() { tries_ = 0; }
    unsigned Tries() const { return tries_; }

private:
    unsigned tries_ = 0;
};

// How the watched process ended.
struct WatchedEnd {
    bool unlocked;  // the lock said over the channel that the right password was typed
    bool cameUp;    // it wrote its process ID into the channel
};
// True (with the wait first) when the watched process is to be started again:
// always, but after the right password.
bool PlanRestart(const WatchedEnd& end, RestartBudget& budget, DWORD& delayMs);

// Relocking waits while the session really ends. Only the system says so: an
// end-of-session message can be sent by any program.
bool GuardingPaused();

// What one look at a watched process found. A wait that fails is no end: the
// handle is opened afresh by process ID, and the process counts as ended only
// when that ID names no process of this program any more.
enum class WatchState { kRunning, kEnded, kLost };
WatchState CheckWatched(UniqueHandle& process, DWORD processId, const exstring& image);

// Private-switch starts: the guardian or a relay. Returns the exit code.
int RunGuardianCommand(const GuardianCommand& command, const exstring& instanceName, COLORREF coverColor);
// A relock waits briefly for the dying lock to give up the single-instance
// role; true for a relock.
bool AwaitInstanceRole(exrestart& restart, const std::vector<exstring>& tokens);

// The lock's side: keeps a guardian running while the lock holds, and leaves
// it to see how the lock ended.
class mgtGuardianLink {
public:
    mgtGuardianLink(const LockChannel& channel, const exstring& instanceName);
    ~mgtGuardianLink();
    mgtGuardianLink(const mgtGuardianLink&) = delete;
    mgtGuardianLink& operator=(const mgtGuardianLink&) = delete;

    // Keeps `adopted` when it is a process of this program, else starts one.
    void Start(DWORD adopted);
    // Called every kTickMs: a few waits of zero time.
    void Tick();
    // A guardian runs and holds the input itself.
    bool Guarded() const { return guardianUp_; }

    static constexpr UINT kTickMs = 200;
    // The lock retries its guardian at least this often: it never stays
    // unguarded for long.
    static constexpr DWORD kSlowRetryMs = 2000;

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void Launch();
    void ScheduleRetry(ULONGLONG now);
    bool GuardianCameUp() const;

    const LockChannel& channel_;
    exstring instanceName_;
    exstring image_;
    UniqueHandle relay_;
    UniqueHandle guardian_;
    DWORD guardianId_ = 0;
    bool guardianUp_ = false;
    ULONGLONG relayStarted_ = 0;
    ULONGLONG nextTry_ = 0;
    bool retry_ = false;
    RestartBudget budget_;
    UINT_PTR timer_ = 0;
    HWND sessionWindow_ = nullptr;
};
