#include "audittrail.h"

#include <atomic>

#include "../base/eventlog.h"
// Generated from res/marrowgate-events.mc by windmc.
#include "marrowgate-events.h"

namespace {

std::atomic<bool> g_trailOn{true};

DWORD LockedEventId(LockCause cause) {
    switch (cause) {
    case LockCause::kLogOn: return MG_EVENT_LOCKED_AT_LOGON;
    case LockCause::kIdle: return MG_EVENT_LOCKED_WHEN_IDLE;
    case LockCause::kHotKey: return MG_EVENT_LOCKED_BY_HOTKEY;
    case LockCause::kBeforeSleep: return MG_EVENT_LOCKED_BEFORE_SLEEP;
    case LockCause::kIcon: return MG_EVENT_LOCKED_FROM_ICON;
    case LockCause::kStartSwitch: break;
    }
    return MG_EVENT_LOCKED_BY_SWITCH;
}

// The message's severity bits give the entry's type, as the event viewer shows it.
WORD EntryType(DWORD id) {
    switch (id >> 30) {
    case STATUS_SEVERITY_ERROR: return EVENTLOG_ERROR_TYPE;
    case STATUS_SEVERITY_WARNING: return EVENTLOG_WARNING_TYPE;
    default: return EVENTLOG_INFORMATION_TYPE;
    }
}

// One writer for the process, made at the first entry: a start that writes
// none starts no thread. Destroyed at exit, which waits for what is queued.
void Post(DWORD id, std::vector<std::wstring> strings = {}) noexcept {
    if (!g_trailOn) return;
    try {
        static EventLogWriter writer(kEventSource);
        writer.Post(EventEntry{EntryType(id), id, std::move(strings)});
    } catch (...) {
        // Out of memory: the entry is lost, the lock goes on.
    }
}

std::wstring Text(const exstring& text) {
    return std::wstring(text.c_str(), text.size());
}

} // namespace

void AuditLocked(LockCause cause) noexcept {
    Post(LockedEventId(cause));
}

void AuditUnlocked() noexcept {
    Post(MG_EVENT_UNLOCKED);
}

void AuditWrongPassword(int inARow) noexcept {
    try {
        Post(MG_EVENT_WRONG_PASSWORD, {std::to_wstring(inARow)});
    } catch (...) {
    }
}

void AuditRelocked() noexcept {
    Post(MG_EVENT_RELOCKED);
}

void AuditGuardianReplaced() noexcept {
    Post(MG_EVENT_GUARDIAN_REPLACED);
}

void AuditDamagedSettings(const exstring& what) noexcept {
    try {
        Post(MG_EVENT_SETTINGS_DAMAGED, {Text(what)});
    } catch (...) {
    }
}

void AuditTaskManagerPolicySetAgain() noexcept {
    Post(MG_EVENT_TASKMGR_POLICY_SET_AGAIN);
}

void AuditRemovalRefused() noexcept {
    Post(MG_EVENT_REMOVAL_REFUSED);
}

void AuditPolicyValueIgnored(const exstring& valueName, const exstring& reason) noexcept {
    try {
        Post(MG_EVENT_POLICY_VALUE_IGNORED, {Text(valueName), Text(reason)});
    } catch (...) {
    }
}

void SetAuditTrailOn(bool on) noexcept {
    g_trailOn = on;
}
