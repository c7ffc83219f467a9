// Lock latency: from CreateProcessW until a screen point away from the unlock
// dialog shows the configured colour, "+lock" against a program that only
// shows a full-screen window of that colour, alternating, as medians.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/mgtsettings.h"

namespace {

const COLORREF kColor = RGB(10, 120, 30);
const POINT kProbe = {20, 20};  // far from the centred dialog
const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";

std::wstring Directory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return std::wstring(path) + L"\\";
}

COLORREF Probe() {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, kProbe.x, kProbe.y);
    ReleaseDC(nullptr, screen);
    return color;
}

// Polls the probe point; false when it did not reach the wanted state in time.
bool WaitProbe(bool showsColor, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while ((Probe() == kColor) != showsColor) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

// Seconds until the colour shows; negative on failure. The program is ended after.
double TimeToColor(const std::wstring& program, const std::wstring& arguments) {
    if (!WaitProbe(false, 5000)) return -1;
    std::wstring line = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const auto begin = std::chrono::steady_clock::now();
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    const bool shown = WaitProbe(true, 15000);
    const auto end = std::chrono::steady_clock::now();
    // Without the lock flag the lock's guardian lets a killed lock go.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking");
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return shown ? std::chrono::duration<double>(end - begin).count() : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool SettingsExist() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kKeyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return true;
        }
    }
    return false;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    const std::wstring directory = Directory();
    const std::wstring floorProgram = directory + L"bench_fullscreen.exe";
    const std::wstring program = directory + L"marrowgate.exe";
    const std::wstring colorArgument = std::to_wstring(kColor);

    // The lock shows the plain colour; the user's own choice comes back after.
    const bool existed = SettingsExist();
    mgtSettings settings;
    const uint32_t oldColor = settings.bgColor;
    const exstring oldImage = settings.bgImage;
    const bool oldOrgScreen = settings.useOrgScreen;
    settings.bgColor = kColor;
    settings.bgImage.clear();
    settings.useOrgScreen = false;
    settings.Save();

    TimeToColor(floorProgram, colorArgument);
    TimeToColor(program, L"+lock");
    std::vector<double> floorTimes, lockTimes;
    bool failed = false;
    for (int i = 0; i < runs && !failed; ++i) {
        const double floorTime = TimeToColor(floorProgram, colorArgument);
        const double lockTime = TimeToColor(program, L"+lock");
        failed = floorTime < 0 || lockTime < 0;
        floorTimes.push_back(floorTime);
        lockTimes.push_back(lockTime);
    }

    // Every killed lock left its mark. Set first, so that clearing it counts
    // as a change, which also removes the Run entry unless auto-start is on.
    mgtSettings after;
    after.LockingFlag(1);
    after.LockingFlag(0);
    if (existed) {
        settings.bgColor = oldColor;
        settings.bgImage = oldImage;
        settings.useOrgScreen = oldOrgScreen;
        settings.Save();
    } else {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, kKeyPath);
    }
    if (failed) {
        std::printf("lock: the colour did not show at (%ld, %ld)\n", kProbe.x, kProbe.y);
        return 1;
    }
    const double floorMedian = Median(floorTimes);
    const double lockMedian = Median(lockTimes);
    std::printf("lock latency: %d runs each, until (%ld, %ld) shows the colour\n", runs, kProbe.x, kProbe.y);
    std::printf("  full-screen window (floor): median %.1f ms\n", floorMedian * 1000);
    std::printf("  marrowgate +lock:           median %.1f ms\n", lockMedian * 1000);
    std::printf("  ratio: %.2f (aim: at most 1.5)\n", lockMedian / floorMedian);
    return 0;
}
