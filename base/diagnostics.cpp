#include "diagnostics.h"

#include <atomic>
#include <cstdio>

#include "uniquehandle.h"

namespace {

std::atomic<bool> g_fileEnabled{false};

const char* const kWords[] = {
    "locked",
    "unlocked",
    "lock-abandoned",
    "lock-ended",
    "relocked",
    "hook-install-failed",
    "hook-retried",
    "hooks-held",
    "watchdog-not-started",
    "mark-not-written",
    "mark-not-cleared",
    "window-not-created",
    "thread-not-started",
    "process-not-started",
    "settings-not-saved",
    "timer-not-started",
    "registry-not-written",
    "watch-not-started",
    "channel-not-made",
};
static_assert(sizeof(kWords) / sizeof(kWords[0]) == static_cast<size_t>(DiagEvent::kCount),
              "one word for every event");

bool EnvironmentAsksForFile() {
    wchar_t value[4] = {};
    const DWORD length = GetEnvironmentVariableW(L"MG_DIAGNOSTICS", value, 4);
    return length == 1 && value[0] == L'1';
}

UniqueHandle OpenForAppending(const exstring& path, DWORD disposition) {
    // Shared every way: a reader, or the lock's partner process writing too,
    // never makes this wait or fail.
    return UniqueHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

uint64_t SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

// Moves the full file aside, or where that is refused empties it.
UniqueHandle StartAgain(UniqueHandle full, const exstring& path) {
    full.Reset();
    if (MoveFileExW(path.c_str(), OlderDiagnosticsPath(path).c_str(), MOVEFILE_REPLACE_EXISTING))
        return OpenForAppending(path, OPEN_ALWAYS);
    UniqueHandle emptied(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!emptied.Held()) return emptied;
    return OpenForAppending(path, OPEN_EXISTING);
}

} // namespace

const char* DiagEventWord(DiagEvent event) {
    const auto index = static_cast<size_t>(event);
    return index < static_cast<size_t>(DiagEvent::kCount) ? kWords[index] : "?";
}

void EnableDiagnosticsFile(bool on) {
    g_fileEnabled = on;
}

bool DiagnosticsFileEnabled() {
    return g_fileEnabled || EnvironmentAsksForFile();
}

exstring DiagnosticsFilePath() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return exstring();
    return exstring(folder) + L"\\Marrowgate\\diagnostics.log";
}

exstring OlderDiagnosticsPath(const exstring& path) {
    return path + L".old";
}

std::string DiagnosticsLine(const SYSTEMTIME& utc, DWORD process, DiagEvent event, uint64_t number) {
    char line[128] = {};
    std::snprintf(line, sizeof(line), "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ %lu %s %llu\r\n", utc.wYear, utc.wMonth,
                  utc.wDay, utc.wHour, utc.wMinute, utc.wSecond, utc.wMilliseconds, static_cast<unsigned long>(process),
                  DiagEventWord(event), static_cast<unsigned long long>(number));
    return line;
}

bool AppendCapped(const exstring& path, const std::string& line, uint64_t capBytes) {
    if (path.empty() || line.empty()) return false;
    UniqueHandle file = OpenForAppending(path, OPEN_ALWAYS);
    if (!file.Held() && GetLastError() == ERROR_PATH_NOT_FOUND) {
        const size_t slash = path.find_last_of(L'\\');
        if (slash != exstring::npos) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        file = OpenForAppending(path, OPEN_ALWAYS);
    }
    if (!file.Held()) return false;
    if (SizeOf(file.Get()) + line.size() > capBytes) file = StartAgain(std::move(file), path);
    if (!file.Held()) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

void WriteDiagnostic(DiagEvent event, uint64_t number) {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const std::string line = DiagnosticsLine(now, GetCurrentProcessId(), event, number);
    OutputDebugStringA(line.c_str());
    if (DiagnosticsFileEnabled()) AppendCapped(DiagnosticsFilePath(), line, kDiagnosticsCapBytes);
}
