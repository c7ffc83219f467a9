// The lock's word to the helper that started it: "the screen is covered and
// the input held". An unnamed event, made by the helper and handed down to
// the lock by inheritance, its handle value on the lock's command line
// ("+lock <value>"). No other program can make it first or set it, as it
// could an object with a name.
#pragma once

#include <windows.h>

#include <vector>

#include "../text/exstring.h"
#include "../base/uniquehandle.h"

// The helper's side: starts `program` with "+lock <event>" and waits up to
// `timeoutMs` for the word; true when it came.
bool StartLockAndAwaitHold(const exstring& program, DWORD timeoutMs);

// The lock's side: the event that "+lock <value>" names, when this process
// inherited it; empty for any other command line or handle.
[[nodiscard]] UniqueHandle AdoptHoldingNotice(const std::vector<exstring>& tokens);
