// Starting the programs a benchmark measures, beside the benchmark itself.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "base/uniquehandle.h"

// The program's settings key, below either root.
inline constexpr wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";

// Whether the program's settings exist below either root, so that a benchmark
// that writes its own can tell whether to remove them afterwards.
inline bool SettingsExist() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            const UniqueRegistryKey opened(key);
            return true;
        }
    }
    return false;
}

// The benchmark's own folder, with a trailing backslash.
inline std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return std::wstring(path) + L"\\";
}

inline UniqueHandle Launch(const std::wstring& program, const std::wstring& arguments, DWORD* processId = nullptr) {
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return UniqueHandle();
    const UniqueHandle thread(info.hThread);
    if (processId != nullptr) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}
