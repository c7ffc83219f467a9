// Which processes of this program are locks. Any program can create a named
// object, so a name alone proves nothing: a lock is a process that runs this
// same program file, carries the lock marker and shows a visible topmost
// window.
#pragma once

#include <windows.h>

#include "../text/exstring.h"
#include "../base/uniquehandle.h"

// What is known about another process and about this one.
struct ProcessFacts {
    DWORD processId = 0;
    exstring image;           // its program file; empty when unknown
    bool lockMarker = false;  // it announced a lock
};
struct OwnFacts {
    DWORD processId = 0;
    exstring image;
};
// Another process started from this program file.
bool IsOwnProgram(const ProcessFacts& process, const OwnFacts& self);
// Another process of this program that announced a lock.
bool IsLockOfMine(const ProcessFacts& process, const OwnFacts& self);

OwnFacts OwnFactsNow();
// The program file of a process, long form; empty when unknown.
exstring ImageOf(HANDLE process);
ProcessFacts FactsOf(HANDLE process, DWORD processId, const exstring& instanceName);

// The marker a lock holds while it lives, created before anything else it
// does, so that a second lock request sees a lock that is still starting.
[[nodiscard]] UniqueHandle AnnounceLock(const exstring& instanceName);
bool CarriesLockMarker(DWORD processId, const exstring& instanceName);

enum class LockPresence { kNone, kStarting, kOnScreen };
// The most advanced lock of this program in another process.
LockPresence FindLockOfMine(const exstring& instanceName);
