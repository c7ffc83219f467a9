// Starting the programs a benchmark measures, beside the benchmark itself.
#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "app/shell/uniquehandle.h"

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
    CloseHandle(info.hThread);
    if (processId != nullptr) *processId = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}
