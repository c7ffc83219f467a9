#include "holdingnotice.h"

#include "../lock/lockchannel.h"
#include "../base/exprocess.h"
#include "switches.h"

bool StartLockAndAwaitHold(const exstring& program, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    const UniqueHandle notice(CreateEventW(&inheritable, TRUE, FALSE, nullptr));
    if (!notice.Held()) return false;
    exprocess lock;
    lock.SetProgram(program);
    lock.SetArguments(exstring(kSwitchLock) + EXT(" ") +
                      exstring::Format(EXT("%I64u"), static_cast<unsigned long long>(
                                                         reinterpret_cast<uintptr_t>(notice.Get()))));
    lock.inheritHandles = true;
    if (!lock.Launch()) return false;
    // A lock that gives way to one already on the screen ends without a word.
    const HANDLE either[2] = {notice.Get(), lock.Process()};
    const DWORD count = lock.Process() != nullptr ? 2 : 1;
    return WaitForMultipleObjects(count, either, FALSE, timeoutMs) == WAIT_OBJECT_0;
}

UniqueHandle AdoptHoldingNotice(const std::vector<exstring>& tokens) {
    if (tokens.size() != 2 || !tokens[0].EqualsNoCase(kSwitchLock)) return UniqueHandle();
    const auto handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(ParseHandleValue(tokens[1].c_str())));
    // Only an inherited handle: a number on a command line must not name one
    // of this process's own.
    DWORD flags = 0;
    if (handle == nullptr || !GetHandleInformation(handle, &flags) || (flags & HANDLE_FLAG_INHERIT) == 0)
        return UniqueHandle();
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    return UniqueHandle(handle);
}
