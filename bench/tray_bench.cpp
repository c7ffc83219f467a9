// The resident helper ("+tray"): its working set and handles after an hour's
// worth of idle looks (3600, one a second, the most its timer allows),
// against the minimal full-screen window program's working set; and the time
// from the end of the idle timeout to the covered screen, against "+lock"
// started directly. Its wake-ups per minute are counted from Linux by
// scripts/run-benchmarks.sh.
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/uniquehandle.h"
#include "benchprocess.h"
#include "app/trayhelper.h"
#include "settings/mgtsettings.h"

namespace {

const COLORREF kColor = RGB(10, 120, 30);
const POINT kProbe = {20, 20};
const DWORD kTimeoutMs = 15000;
const int kHourOfLooks = 3600;
const int kRuns = 3;

bool Covered() {
    const UniqueWindowDc screen(nullptr);
    return GetPixel(screen.Get(), kProbe.x, kProbe.y) == kColor;
}

// The tick at which the probe first showed the colour, or 0.
DWORD WaitCovered() {
    const DWORD start = GetTickCount();
    while (!Covered()) {
        if (GetTickCount() - start > kTimeoutMs) return 0;
        Sleep(1);
    }
    return GetTickCount();
}

// Every process of the program ends, the lock's mark first, so that no
// guardian relocks.
void EndPrograms() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking");
    for (int round = 0; round < 5; ++round) {
        std::vector<DWORD> found;
        UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
            if (_wcsicmp(entry.szExeFile, L"marrowgate.exe") == 0) found.push_back(entry.th32ProcessID);
        if (found.empty()) return;
        for (DWORD id : found) {
            UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (!process.Held()) continue;
            TerminateProcess(process.Get(), 1);
            WaitForSingleObject(process.Get(), 5000);
        }
    }
}

struct Usage {
    SIZE_T workingSet = 0;
    DWORD handles = 0;
};

Usage UsageOf(DWORD id) {
    Usage usage;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (process.Held() && GetProcessMemoryInfo(process.Get(), &counters, sizeof(counters)))
        usage.workingSet = counters.WorkingSetSize;
    if (process.Held()) GetProcessHandleCount(process.Get(), &usage.handles);
    return usage;
}

HWND WaitHelperWindow() {
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    while ((window = FindWindowW(kTrayWindowClass, nullptr)) == nullptr && GetTickCount() - start < kTimeoutMs)
        Sleep(10);
    return window;
}

void Configure(uint32_t idleLock) {
    mgtSettings settings;
    settings.SetPassword(PasswordRecord());
    settings.bgColor = kColor;
    settings.bgImage.clear();
    settings.useOrgScreen = false;
    settings.autoStart = false;
    settings.idleLock = idleLock;
    settings.lockOnSleep = false;
    if (!settings.Save()) std::fputs("settings not saved\n", stderr);
}

double MiB(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void MeasureMemory(const std::wstring& directory) {
    DWORD floorId = 0;
    UniqueHandle floor = Launch(directory + L"bench_fullscreen.exe", std::to_wstring(kColor), &floorId);
    WaitCovered();
    Sleep(1000);
    const Usage floorUsage = UsageOf(floorId);
    TerminateProcess(floor.Get(), 1);
    WaitForSingleObject(floor.Get(), 5000);

    // A day's timeout: the looks only look, none locks.
    Configure(24 * 60 * 60);
    DWORD id = 0;
    UniqueHandle helper = Launch(directory + L"marrowgate.exe", L"+tray", &id);
    HWND window = WaitHelperWindow();
    if (window == nullptr) {
        std::printf("helper memory: the helper showed no window\n");
        return;
    }
    Sleep(1000);
    const Usage before = UsageOf(id);
    for (int look = 0; look < kHourOfLooks; ++look) {
        PostMessageW(window, WM_TIMER, kIdleTimerId, 0);
        // Answered only once every posted look was handled.
        if (look % 100 == 99) SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
    }
    const Usage after = UsageOf(id);
    EndPrograms();
    std::printf("helper memory: working set after %d idle looks (an hour at one a second)\n", kHourOfLooks);
    std::printf("  full-screen window (floor):  %.1f MiB\n", MiB(floorUsage.workingSet));
    const double ratio =
        static_cast<double>(after.workingSet) / static_cast<double>(std::max<SIZE_T>(floorUsage.workingSet, 1));
    std::printf("  helper before the looks:     %.1f MiB\n", MiB(before.workingSet));
    std::printf("  helper after the looks:      %.1f MiB  (%.2fx the floor, grew %+.0f KiB)\n", MiB(after.workingSet),
                ratio, (static_cast<double>(after.workingSet) - static_cast<double>(before.workingSet)) / 1024.0);
    // Wine answers 0 for another process's handle count.
    if (before.handles != 0)
        std::printf("  helper handles:              %lu before, %lu after\n", before.handles, after.handles);
    else
        std::printf("  helper handles:              not reported here (Wine answers 0)\n");
}

// Input must reach a window of Wine's for GetLastInputInfo to count it: a
// small window of this program under the pointer takes it.
DWORD MarkInput(HWND target) {
    RECT rect{};
    GetWindowRect(target, &rect);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv((rect.left + rect.right) / 2 + (GetTickCount() & 1), 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv((rect.top + rect.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(move));
    Sleep(100);
    LASTINPUTINFO input{};
    input.cbSize = sizeof(input);
    GetLastInputInfo(&input);
    return input.dwTime;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void MeasureLatency(const std::wstring& directory) {
    const uint32_t timeoutSeconds = 5;
    Configure(timeoutSeconds);
    HWND target = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200, 80, 80, nullptr,
                                  nullptr, nullptr, nullptr);
    std::vector<double> idle, direct;
    for (int run = 0; run < kRuns; ++run) {
        UniqueHandle helper = Launch(directory + L"marrowgate.exe", L"+tray");
        if (WaitHelperWindow() == nullptr) break;
        const DWORD due = MarkInput(target) + timeoutSeconds * 1000;
        const DWORD covered = WaitCovered();
        if (covered != 0) idle.push_back(static_cast<double>(static_cast<int32_t>(covered - due)));
        EndPrograms();

        const DWORD start = GetTickCount();
        UniqueHandle lock = Launch(directory + L"marrowgate.exe", L"+lock");
        const DWORD lockCovered = WaitCovered();
        if (lockCovered != 0) direct.push_back(static_cast<double>(lockCovered - start));
        EndPrograms();
    }
    DestroyWindow(target);
    std::printf("idle lock latency: %d runs, %u s timeout, until (%ld, %ld) shows the colour\n", kRuns, timeoutSeconds,
                kProbe.x, kProbe.y);
    std::printf("  \"+lock\" started directly:   median %.0f ms\n", Median(direct));
    std::printf("  end of the idle time:        median %.0f ms (%.2fx \"+lock\")\n", Median(idle),
                Median(idle) / std::max(Median(direct), 1.0));
}

// The helper with five minutes' timeout and the full-screen floor, both idle,
// for `seconds`: the script counts their wake-ups meanwhile.
void HoldIdle(const std::wstring& directory, DWORD seconds) {
    Configure(5 * 60);
    UniqueHandle floor = Launch(directory + L"bench_fullscreen.exe", std::to_wstring(kColor));
    UniqueHandle helper = Launch(directory + L"marrowgate.exe", L"+tray");
    WaitHelperWindow();
    Sleep(seconds * 1000);
    TerminateProcess(floor.Get(), 1);
    EndPrograms();
}

} // namespace

// Without arguments: memory and latency. "idle SECONDS": holds the helper
// idle for the wake-up count.
int wmain(int argc, wchar_t** argv) {
    const std::wstring directory = Directory();
    const bool existed = SettingsExist();
    const mgtSettings saved;
    EndPrograms();
    if (argc > 2 && std::wstring(argv[1]) == L"idle") {
        HoldIdle(directory, static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    } else {
        MeasureMemory(directory);
        MeasureLatency(directory);
    }
    // Every killed lock left its mark and its Run value: set the mark, so
    // that clearing it counts as a change and removes the value.
    mgtSettings after;
    after.LockingFlag(1);
    after.LockingFlag(0);
    if (existed) {
        mgtSettings restore(saved);
        if (!restore.Save()) std::fputs("settings not saved\n", stderr);
    } else {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, kKeyPath);
        mgtSettings defaults;
        defaults.ApplyHelperStart();
    }
    return 0;
}
