// The program's audit trail: entries in the Application event log under the
// source "Marrowgate", whose message texts are built into the program. What
// happened to the lock is written, never what was typed. Every function only
// queues and returns at once: safe on the lock's thread, never in a hook.
#pragma once

#include "../text/exstring.h"

inline constexpr wchar_t kEventSource[] = L"Marrowgate";

// What started a lock.
enum class LockCause { kStartSwitch, kLogOn, kIdle, kHotKey, kBeforeSleep, kIcon };

void AuditLocked(LockCause cause) noexcept;
void AuditUnlocked() noexcept;
// `inARow`: wrong passwords since the last right one.
void AuditWrongPassword(int inARow) noexcept;
// A lock started by its guardian after the previous one was ended from outside.
void AuditRelocked() noexcept;
void AuditGuardianReplaced() noexcept;
// `what`: which setting, in words.
void AuditDamagedSettings(const exstring& what) noexcept;
void AuditTaskManagerPolicySetAgain() noexcept;
// The installer may not remove or replace the program while a lock runs.
void AuditRemovalRefused() noexcept;
// For the policy reader: `valueName` below the policy key, `reason` in words.
void AuditPolicyValueIgnored(const exstring& valueName, const exstring& reason) noexcept;
// The organisation may turn the trail off; entries are then dropped unwritten.
void SetAuditTrailOn(bool on) noexcept;
