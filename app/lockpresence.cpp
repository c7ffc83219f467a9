#include "lockpresence.h"

#include <tlhelp32.h>

#include "../text/pathutil.h"

namespace {

const DWORD kQueryAccess = PROCESS_QUERY_LIMITED_INFORMATION;

exstring LongPath(const exstring& path) {
    // Asked once for the size, once for the name.
    const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0 || needed > kLongestPath) return path;
    exstring buffer(needed, L'\0');
    const DWORD length = GetLongPathNameW(path.c_str(), &buffer[0], needed);
    if (length == 0 || length >= needed) return path;
    buffer.resize(length);
    return buffer;
}

exstring MarkerName(const exstring& instanceName, DWORD processId) {
    return instanceName + EXT("_MGTLOCK") + exstring::Format(EXT("%u"), static_cast<unsigned>(processId));
}

BOOL CALLBACK FindTopmost(HWND window, LPARAM data) {
    auto* processId = reinterpret_cast<DWORD*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != *processId || !IsWindowVisible(window) || (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0)
        return TRUE;
    *processId = 0;
    return FALSE;
}

bool ShowsTopmostWindow(DWORD processId) {
    DWORD search = processId;
    EnumWindows(FindTopmost, reinterpret_cast<LPARAM>(&search));
    return search == 0;
}

} // namespace

bool IsOwnProgram(const ProcessFacts& process, const OwnFacts& self) {
    return process.processId != 0 && process.processId != self.processId && !process.image.empty() &&
           process.image.EqualsNoCase(self.image);
}

bool IsLockOfMine(const ProcessFacts& process, const OwnFacts& self) {
    return IsOwnProgram(process, self) && process.lockMarker;
}

exstring ImageOf(HANDLE process) {
    exstring buffer(kLongestPath, L'\0');
    DWORD length = kLongestPath;
    if (!QueryFullProcessImageNameW(process, 0, &buffer[0], &length)) return exstring();
    buffer.resize(length);
    return LongPath(buffer);
}

OwnFacts OwnFactsNow() {
    // Asked the way other processes are asked: the path this process was
    // started by may name the same file differently (a substituted drive).
    exstring image = ImageOf(GetCurrentProcess());
    if (image.empty()) image = LongPath(ModulePath(false));
    return OwnFacts{GetCurrentProcessId(), image};
}

ProcessFacts FactsOf(HANDLE process, DWORD processId, const exstring& instanceName) {
    ProcessFacts facts;
    facts.processId = processId;
    facts.image = ImageOf(process);
    facts.lockMarker = CarriesLockMarker(processId, instanceName);
    return facts;
}

UniqueHandle AnnounceLock(const exstring& instanceName) {
    return UniqueHandle(CreateMutexW(nullptr, FALSE, MarkerName(instanceName, GetCurrentProcessId()).c_str()));
}

bool CarriesLockMarker(DWORD processId, const exstring& instanceName) {
    const UniqueHandle marker(OpenMutexW(SYNCHRONIZE, FALSE, MarkerName(instanceName, processId).c_str()));
    return marker.Held();
}

LockPresence FindLockOfMine(const exstring& instanceName) {
    const OwnFacts self = OwnFactsNow();
    const exstring fileName = FileNameOf(self.image);
    LockPresence found = LockPresence::kNone;
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Held() || snapshot.Get() == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self.processId || !fileName.EqualsNoCase(entry.szExeFile)) continue;
        const UniqueHandle process(OpenProcess(kQueryAccess, FALSE, entry.th32ProcessID));
        if (!process.Held() || !IsLockOfMine(FactsOf(process.Get(), entry.th32ProcessID, instanceName), self))
            continue;
        if (ShowsTopmostWindow(entry.th32ProcessID)) return LockPresence::kOnScreen;
        found = LockPresence::kStarting;
    }
    return found;
}
