// Lock latency and lock memory, each against a program that only shows a
// full-screen window of the lock's colour, measured in the same run.
// Latency: from CreateProcessW ("+lock") or from the click on Lock Now in the
// main window until a screen point away from the unlock dialog shows the
// colour, alternating, as medians. Memory: the peak working set once the
// screen is covered and settled; the floor also pays for one screen-sized
// 32-bit bitmap, which any lock that paints its own background needs.
// Relock: a guarded lock is killed while keys and clicks go to a window
// behind it; the figure is the time until the screen is covered again, and
// the inputs that reached the window meanwhile. Mark: from CreateProcessW
// until the lock's `Locking` value reads 1. Holding: from CreateProcessW until
// the lock says, through the event a helper hands it, that it covers the
// screen and holds the input.
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/uniquehandle.h"
#include "benchprocess.h"
#include "settings/mgtsettings.h"

namespace {

using Clock = std::chrono::steady_clock;

const COLORREF kColor = RGB(10, 120, 30);
const POINT kProbe = {20, 20};  // far from the centred dialog
const wchar_t kProgramFile[] = L"marrowgate.exe";
const int kLockNowButton = 1002;
const DWORD kStartTimeoutMs = 15000;
const DWORD kSettleMs = 1000;
const double kMiB = 1024.0 * 1024.0;

COLORREF Probe() {
    const UniqueWindowDc screen(nullptr);
    return GetPixel(screen.Get(), kProbe.x, kProbe.y);
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

// Seconds from `begin` until the colour shows; negative when it does not.
double SecondsToColor(Clock::time_point begin) {
    if (!WaitProbe(true, kStartTimeoutMs)) return -1;
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

void Kill(HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
}

// Every running process of the program: main window, relays, locks, guardians.
std::vector<DWORD> ProgramProcesses() {
    std::vector<DWORD> found;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Held()) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szExeFile, kProgramFile) == 0) found.push_back(entry.th32ProcessID);
    return found;
}

// A lock and its guardian bring each other back, so each round ends every
// process of the program at once, until none is left.
void EndLocks() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking");
    for (int round = 0; round < 10; ++round) {
        std::vector<UniqueHandle> running;
        for (DWORD id : ProgramProcesses())
            running.emplace_back(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (running.empty()) return;
        for (const UniqueHandle& process : running) TerminateProcess(process.Get(), 1);
        for (const UniqueHandle& process : running) WaitForSingleObject(process.Get(), 5000);
    }
}

// The peak working set of the process whose window covers the probe point;
// 0 when that is not one of `candidates` or cannot be read.
SIZE_T CoveringPeakWorkingSet(const std::vector<DWORD>& candidates) {
    DWORD id = 0;
    GetWindowThreadProcessId(GetAncestor(WindowFromPoint(kProbe), GA_ROOT), &id);
    if (std::find(candidates.begin(), candidates.end(), id) == candidates.end()) return 0;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!process.Held() || !GetProcessMemoryInfo(process.Get(), &counters, sizeof(counters))) return 0;
    return counters.PeakWorkingSetSize;
}

// Waits `kSettleMs` after the screen was covered, then reads the peak.
void MeasurePeak(SIZE_T* peak, const std::vector<DWORD>& candidates) {
    if (peak == nullptr) return;
    Sleep(kSettleMs);
    *peak = CoveringPeakWorkingSet(candidates);
}

// Seconds until the colour shows, negative on failure; the program is ended after.
double FloorRun(const std::wstring& program, SIZE_T* peak = nullptr) {
    if (!WaitProbe(false, 5000)) return -1;
    DWORD id = 0;
    const Clock::time_point begin = Clock::now();
    UniqueHandle process = Launch(program, std::to_wstring(kColor), &id);
    if (!process.Held()) return -1;
    const double seconds = SecondsToColor(begin);
    if (seconds >= 0) MeasurePeak(peak, {id});
    Kill(process.Get());
    return seconds;
}

double LockSwitchRun(const std::wstring& program) {
    if (!WaitProbe(false, 5000)) return -1;
    const Clock::time_point begin = Clock::now();
    UniqueHandle process = Launch(program, L"+lock");
    const double seconds = process.Held() ? SecondsToColor(begin) : -1;
    EndLocks();
    return seconds;
}

struct MainWindowQuery {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<MainWindowQuery*>(parameter);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    wchar_t className[16] = {};
    wchar_t title[32] = {};
    if (id != query->processId || !IsWindowVisible(window)) return TRUE;
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, title, 32);
    if (std::wcscmp(className, L"#32770") != 0 || std::wcscmp(title, L"Marrowgate") != 0) return TRUE;
    query->found = window;
    return FALSE;
}

// The Lock Now button of the main window of `processId`, once that window
// waits for input; null when it did not come in time.
HWND WaitLockNowButton(HANDLE process, DWORD processId) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kStartTimeoutMs) {
        MainWindowQuery query{processId, nullptr};
        EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&query));
        HWND button = query.found != nullptr ? GetDlgItem(query.found, kLockNowButton) : nullptr;
        if (button != nullptr && IsWindowVisible(button)) {
            WaitForInputIdle(process, kStartTimeoutMs);
            return button;
        }
        Sleep(10);
    }
    return nullptr;
}

// From the click on Lock Now: the main window's process starts the lock,
// which waits for it to end and then locks.
double LockNowRun(const std::wstring& program, SIZE_T* peak = nullptr) {
    if (!WaitProbe(false, 5000)) return -1;
    DWORD id = 0;
    UniqueHandle process = Launch(program, L"", &id);
    HWND button = process.Held() ? WaitLockNowButton(process.Get(), id) : nullptr;
    double seconds = -1;
    if (button != nullptr) {
        const Clock::time_point begin = Clock::now();
        PostMessageW(button, BM_CLICK, 0, 0);
        seconds = SecondsToColor(begin);
    }
    if (seconds >= 0) MeasurePeak(peak, ProgramProcesses());
    EndLocks();
    return seconds;
}

// Input that reaches a window of this process, behind the lock.
LONG g_leaked = 0;

LRESULT CALLBACK WitnessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN) ++g_leaked;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWitness() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WitnessProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MgBenchWitness";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"witness", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200, 150, 300,
                           200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// A key and a click on the witness, as a person at the keyboard would.
void Poke(HWND witness) {
    RECT box{};
    GetWindowRect(witness, &box);
    INPUT inputs[5] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = 'Q';
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    for (int i = 2; i < 5; ++i) inputs[i].type = INPUT_MOUSE;
    inputs[2].mi.dx = MulDiv((box.left + box.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[2].mi.dy = MulDiv((box.top + box.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[2].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[4].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(5, inputs, sizeof(INPUT));
}

// The probe shows the colour from a window of a live process other than `gone`.
bool CoveredBesides(DWORD gone) {
    DWORD owner = 0;
    GetWindowThreadProcessId(GetAncestor(WindowFromPoint(kProbe), GA_ROOT), &owner);
    return owner != 0 && owner != gone && Probe() == kColor;
}

// A process of the program other than `lock` that has a guardian's window.
bool GuardianUp(DWORD lock) {
    for (HWND w = FindWindowW(L"MgtGuardianSession", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"MgtGuardianSession", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != lock) return true;
    }
    return false;
}

struct RelockRun {
    double gap = -1;  // seconds from the kill until the screen is covered again
    LONG leaked = 0;
};

// Kills a guarded lock while keys and clicks go to a window behind it.
RelockRun MeasureRelock(const std::wstring& program, HWND witness) {
    RelockRun run;
    SetForegroundWindow(witness);
    DWORD id = 0;
    UniqueHandle lock = Launch(program, L"+lock", &id);
    const DWORD start = GetTickCount();
    while (lock.Held() && !(Probe() == kColor && GuardianUp(id)) && GetTickCount() - start < kStartTimeoutMs) Sleep(5);
    if (!lock.Held() || !GuardianUp(id)) return run;
    Sleep(300);
    Pump();
    g_leaked = 0;
    const Clock::time_point begin = Clock::now();
    TerminateProcess(lock.Get(), 1);
    while (run.gap < 0 && Clock::now() - begin < std::chrono::seconds(5)) {
        Poke(witness);
        Pump();
        if (CoveredBesides(id)) run.gap = std::chrono::duration<double>(Clock::now() - begin).count();
    }
    // Input goes on a while after, for what was still on its way.
    for (int i = 0; i < 20; ++i) {
        Poke(witness);
        Pump();
        Sleep(10);
    }
    Sleep(200);
    Pump();
    run.leaked = g_leaked;
    EndLocks();
    return run;
}

// Seconds from CreateProcessW until the `Locking` mark reads 1; negative on failure.
double MarkRun(const std::wstring& program) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking");
    const Clock::time_point begin = Clock::now();
    UniqueHandle lock = Launch(program, L"+lock");
    double seconds = -1;
    while (lock.Held() && Clock::now() - begin < std::chrono::seconds(10)) {
        DWORD value = 0, size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking", RRF_RT_REG_DWORD, nullptr, &value, &size) ==
                ERROR_SUCCESS && value == 1) {
            seconds = std::chrono::duration<double>(Clock::now() - begin).count();
            break;
        }
    }
    EndLocks();
    return seconds;
}

// Seconds from CreateProcessW until the lock sets the inherited event that
// says it holds the input; negative on failure.
double HoldRun(const std::wstring& program) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    const UniqueHandle notice(CreateEventW(&inheritable, TRUE, FALSE, nullptr));
    std::wstring line = L"\"" + program + L"\" +lock " +
                        std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(notice.Get())));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const Clock::time_point begin = Clock::now();
    if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    const UniqueHandle thread(info.hThread), lock(info.hProcess);
    const bool held = WaitForSingleObject(notice.Get(), 10000) == WAIT_OBJECT_0;
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    EndLocks();
    return held ? seconds : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A per-user value as it was, put back as it was (or removed) afterwards.
struct SavedValue {
    explicit SavedValue(const wchar_t* valueName) : name(valueName) {
        DWORD size = 0;
        present = RegGetValueW(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_ANY, &type, nullptr, &size) == ERROR_SUCCESS;
        data.resize(size);
        if (present) present = RegGetValueW(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_ANY, &type, data.data(),
                                            &size) == ERROR_SUCCESS;
    }
    void Restore() const {
        if (present)
            RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, name, type, data.data(), static_cast<DWORD>(data.size()));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyPath, name);
    }

    const wchar_t* name;
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// The lock shows the plain colour and Lock Now asks nothing; the user's own
// choices come back after.
class BenchSettings {
public:
    BenchSettings() : existed_(SettingsExist()), noPrompt_(L"blankpwd_noprompt"), windowRect_(L"UI_wndRect") {
        oldPassword_ = settings_.Password;
        oldColor_ = settings_.bgColor;
        oldImage_ = settings_.bgImage;
        oldOrgScreen_ = settings_.useOrgScreen;
        settings_.SetPassword(PasswordRecord());
        settings_.bgColor = kColor;
        settings_.bgImage.clear();
        settings_.useOrgScreen = false;
        if (!settings_.Save()) std::fputs("settings not saved\n", stderr);
        const DWORD noPrompt = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath, L"blankpwd_noprompt", REG_DWORD, &noPrompt, sizeof(noPrompt));
    }
    BenchSettings(const BenchSettings&) = delete;
    BenchSettings& operator=(const BenchSettings&) = delete;

    ~BenchSettings() {
        // Every killed lock left its mark. Set first, so that clearing it
        // counts as a change, which also removes the Run entry unless
        // auto-start is on.
        mgtSettings after;
        after.LockingFlag(1);
        after.LockingFlag(0);
        if (!existed_) {
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteTreeW(root, kKeyPath);
            return;
        }
        settings_.SetPassword(oldPassword_);
        settings_.bgColor = oldColor_;
        settings_.bgImage = oldImage_;
        settings_.useOrgScreen = oldOrgScreen_;
        if (!settings_.Save()) std::fputs("settings not saved\n", stderr);
        noPrompt_.Restore();
        windowRect_.Restore();
    }

private:
    bool existed_;
    SavedValue noPrompt_;
    SavedValue windowRect_;
    mgtSettings settings_;
    PasswordRecord oldPassword_;
    uint32_t oldColor_ = 0;
    exstring oldImage_;
    bool oldOrgScreen_ = false;
};

struct LatencyRuns {
    std::vector<double> floor, lockSwitch, lockNow;
};

// Alternating, so that a slower phase of the machine hits all three alike;
// false at the first run that failed.
bool MeasureLatency(const std::wstring& directory, int runs, LatencyRuns& out) {
    const std::wstring floorProgram = directory + L"bench_fullscreen.exe";
    const std::wstring program = directory + kProgramFile;
    FloorRun(floorProgram);
    LockSwitchRun(program);
    LockNowRun(program);
    for (int i = 0; i < runs; ++i) {
        out.floor.push_back(FloorRun(floorProgram));
        out.lockSwitch.push_back(LockSwitchRun(program));
        out.lockNow.push_back(LockNowRun(program));
        if (out.floor.back() < 0 || out.lockSwitch.back() < 0 || out.lockNow.back() < 0) return false;
    }
    return true;
}

void PrintLatency(int runs, const LatencyRuns& times) {
    const double floorMedian = Median(times.floor);
    const double switchMedian = Median(times.lockSwitch);
    const double lockNowMedian = Median(times.lockNow);
    std::printf("lock latency: %d runs each, until (%ld, %ld) shows the colour\n", runs, kProbe.x, kProbe.y);
    std::printf("  full-screen window (floor):  median %.1f ms\n", floorMedian * 1000);
    std::printf("  marrowgate +lock:            median %.1f ms\n", switchMedian * 1000);
    std::printf("  ratio: %.2f (aim: at most 1.10)\n", switchMedian / floorMedian);
    std::printf("  Lock Now, from the click:    median %.1f ms (main window, lock)\n", lockNowMedian * 1000);
    std::printf("  ratio: %.2f (aim: at most 1.25)\n", lockNowMedian / floorMedian);
}

// False when either peak could not be read.
bool MeasureAndPrintMemory(const std::wstring& directory) {
    SIZE_T floorPeak = 0;
    SIZE_T lockPeak = 0;
    FloorRun(directory + L"bench_fullscreen.exe", &floorPeak);
    LockNowRun(directory + kProgramFile, &lockPeak);
    if (floorPeak == 0 || lockPeak == 0) return false;
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const double bitmap = static_cast<double>(width) * height * 4;
    const double floor = static_cast<double>(floorPeak) + bitmap;
    std::printf("lock memory: peak working set %lu ms after the screen is covered\n", kSettleMs);
    std::printf("  full-screen window (%.1f MiB) + %dx%d 32-bit bitmap (%.1f MiB) (floor): %.1f MiB\n",
                static_cast<double>(floorPeak) / kMiB, width, height, bitmap / kMiB, floor / kMiB);
    std::printf("  marrowgate lock after Lock Now: %.1f MiB\n", static_cast<double>(lockPeak) / kMiB);
    std::printf("  ratio: %.2f (aim: at most 1.10)\n", static_cast<double>(lockPeak) / floor);
    return true;
}

// The relock gap and the mark, beside the "+lock" figure of the same run.
bool MeasureAndPrintRelock(const std::wstring& directory, int runs, double lockSwitchMedian) {
    const std::wstring program = directory + kProgramFile;
    const HWND witness = MakeWitness();
    std::vector<double> gaps, marks, holds;
    LONG leaked = 0;
    for (int i = 0; i < runs; ++i) {
        const RelockRun run = MeasureRelock(program, witness);
        const double mark = MarkRun(program);
        const double hold = HoldRun(program);
        if (run.gap < 0 || mark < 0 || hold < 0) return false;
        gaps.push_back(run.gap);
        marks.push_back(mark);
        holds.push_back(hold);
        leaked += run.leaked;
    }
    DestroyWindow(witness);
    std::printf("relock: %d kills of a guarded lock, keys and clicks sent to a window behind it meanwhile\n", runs);
    std::printf("  kill to screen covered again: median %.1f ms (aim: under 300 ms)\n", Median(gaps) * 1000);
    std::printf("  inputs leaked during the gaps: %ld (must be 0)\n", static_cast<long>(leaked));
    std::printf("  against marrowgate +lock:     median %.1f ms, ratio %.2f\n", lockSwitchMedian * 1000,
                Median(gaps) / lockSwitchMedian);
    std::printf("  process start to the mark (`Locking` written): median %.1f ms\n", Median(marks) * 1000);
    std::printf("  process start to holding input (covered, hooks in place): median %.1f ms, %.2fx the mark\n",
                Median(holds) * 1000, Median(holds) / Median(marks));
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    const std::wstring directory = Directory();
    // The desktop process is started by this process, not by a lock that is
    // killed while Wine starts it.
    GetDesktopWindow();
    EndLocks();
    const BenchSettings settings;
    LatencyRuns times;
    if (!MeasureLatency(directory, runs, times)) {
        std::printf("lock: the colour did not show at (%ld, %ld)\n", kProbe.x, kProbe.y);
        return 1;
    }
    PrintLatency(runs, times);
    if (!MeasureAndPrintMemory(directory)) {
        std::printf("lock memory: the peak working set could not be read\n");
        return 1;
    }
    if (!MeasureAndPrintRelock(directory, std::min(runs, 9), Median(times.lockSwitch))) {
        std::printf("relock: the lock or its guardian did not come up, no relock covered the screen, or no lock "
                    "said it holds the input\n");
        return 1;
    }
    return 0;
}
