// The one harness of the Windows tests: waiting, pixels, scratch registry keys, synthetic input and test
// windows in this process; and, in namespace e2e, driving the real program from other processes as a user would.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "base/foreground.h"
#include "base/uniquehandle.h"
#include "lockhost/lockhostprotocol.h"
#include "settings/mgtsettings.h"
#include "settings/passwordcheck.h"
#include "text/exstring.h"

inline void PrintTo(const exstring& text, std::ostream* out) {
    *out << '"' << text.ToUtf8() << '"';
}

// Polls `condition`, pumping this thread's messages, until it holds or the time is up; returns its last answer.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// A negative check's wait: watches for `fault` until the time is up, and answers false the moment it shows. The time is
// what the other processes get to handle what was sent.
inline bool NeverWithin(const std::function<bool()>& fault, std::chrono::milliseconds time = std::chrono::milliseconds(400)) {
    return !WaitFor(fault, time);
}
// Waits until `condition` has held for `steady` on end, within `timeout`.
bool SteadyFor(const std::function<bool()>& condition, std::chrono::milliseconds steady,
               std::chrono::milliseconds timeout);

// Sends as another program would, from a thread that is not the window's,
// while this thread pumps its messages so that the send can be answered.
LRESULT SendFromElsewhere(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// A pixel as the screen shows it; with a window, at its client coordinates.
COLORREF ScreenPixel(int x, int y);
COLORREF ScreenPixel(HWND window, int x, int y);

// A window's outer rectangle in screen coordinates.
RECT WindowRectOf(HWND window);

// The size of `text` in `font`, as GetTextExtentPoint32W measures it.
SIZE TextExtent(HFONT font, const wchar_t* text);

// A window's client area as the screen shows it.
struct Shot {
    explicit Shot(HWND window);
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Has(COLORREF color) const;

    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
};

// Shows `window` topmost at (x, y), paints it with its children and lets the display catch up.
void ShowAndSettle(HWND window, int x = 50, int y = 50);

// The directory of the running test program, with a trailing backslash.
exstring TestDirectory();

// A plain top-level window of a private class, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(const wchar_t* title, DWORD style = WS_OVERLAPPEDWINDOW, DWORD exStyle = 0);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

// Passwords the tests store: salted like the program's, with fewer rounds
// (Wine's bcrypt takes a second or more for the program's 600,000).
constexpr uint32_t kTestPasswordRounds = 1000;

// A registry key of the test's own below HKEY_CURRENT_USER, deleted with all it holds when the object goes.
class ScratchKey {
public:
    explicit ScratchKey(const wchar_t* name);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    HKEY Handle() const { return key_.Get(); }

private:
    exstring path_;
    UniqueRegistryKey key_;
};

// Both settings roots on scratch keys: `machine` stands for HKEY_LOCAL_MACHINE and `user` for HKEY_CURRENT_USER.
struct ScratchRoots {
    explicit ScratchRoots(const wchar_t* name)
        : machine((exstring(name) + L"-machine").c_str()), user((exstring(name) + L"-user").c_str()) {}
    HKEY Machine() const { return machine.Handle(); }
    HKEY User() const { return user.Handle(); }
    SettingsStore Store() const {
        SettingsStore store{Machine(), User()};
        store.passwordRounds = kTestPasswordRounds;
        return store;
    }
    ScratchKey machine;
    ScratchKey user;
};

// A REG_SZ value below `root`, or "<absent>".
exstring RegistryText(HKEY root, const exstring& path, const exstring& name);

// One synthetic key press or release, as a keyboard would send it; returns
// once the physical key state shows it, leaving its message in the queue.
void SendKey(WORD virtualKey, bool down);

// Runs `step` from a thread timer every 20 ms, so that it also runs inside modal loops (message boxes, dialogs, menus),
// until it answers true. A loop still running after some 30 s is ended with WM_QUIT, so that a fault fails the test
// instead of hanging it.
class TimerSteps {
public:
    explicit TimerSteps(std::function<bool()> step);
    ~TimerSteps();
    TimerSteps(const TimerSteps&) = delete;
    TimerSteps& operator=(const TimerSteps&) = delete;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool()> step_;
    bool done_ = false;
    bool inStep_ = false;
    int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

// What Active Accessibility tells of a window's client object, asked from
// inside this process: Wine's oleacc answers no other.
struct AccessibleFacts {
    exstring name;
    long state = 0;
    // Whether a value was handed out (a password field must give none).
    bool valueGiven = false;
};
AccessibleFacts AccessibleOf(HWND window);

// The message box shown now: the last active popup of `owner`, or without an
// owner a toolkit message box of this process; null when there is none.
HWND ShownMessageBox(HWND owner = nullptr);

namespace e2e {

using namespace std::chrono_literals;

const wchar_t kKeyPath[] = L"Software\\Quarnwick\\Marrowgate";
const wchar_t kRunPath[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const COLORREF kLockColor = RGB(10, 120, 30);
const char kPassword[] = "open42";

inline exstring Program() { return TestDirectory() + L"marrowgate.exe"; }

inline std::string Utf8(const std::wstring& text) { return exstring(text).ToUtf8(); }

inline std::string Hex(COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x ", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

struct Process {
    UniqueHandle handle;
    DWORD id = 0;
    bool Running() const { return handle.Held() && WaitForSingleObject(handle.Get(), 0) == WAIT_TIMEOUT; }
    // The exit code, or STILL_ACTIVE when the process did not end in time.
    DWORD ExitCode(DWORD timeoutMs) const {
        DWORD code = STILL_ACTIVE;
        if (handle.Held() && WaitForSingleObject(handle.Get(), timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(handle.Get(), &code);
        return code;
    }
    void Kill() {
        if (!Running()) return;
        TerminateProcess(handle.Get(), 1);
        WaitForSingleObject(handle.Get(), 5000);
    }
};

inline Process Start(exstring commandLine) {
    Process process;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        const UniqueHandle thread(info.hThread);
        process.handle.Reset(info.hProcess);
        process.id = info.dwProcessId;
    }
    return process;
}

// Processes of the program, by ID.
inline std::vector<DWORD> ProgramProcesses() {
    std::vector<DWORD> found;
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (exstring(entry.szExeFile).EqualsNoCase(L"marrowgate.exe")) found.push_back(entry.th32ProcessID);
    return found;
}

inline void KillProcess(DWORD id) {
    Process process{UniqueHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)), id};
    process.Kill();
}

// Ends every process of the program. A lock and its guardian bring each
// other back, so each round ends all of them at once, until none is left.
inline void EndAllPrograms() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quarnwick\\Marrowgate", L"Locking");
    for (int round = 0, quiet = 0; round < 20 && quiet < 2; ++round) {
        std::vector<UniqueHandle> running;
        for (DWORD id : ProgramProcesses())
            running.emplace_back(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        // Empty twice, a moment apart: a process still being started shows late.
        quiet = running.empty() ? quiet + 1 : 0;
        if (running.empty()) Sleep(200);
        for (const UniqueHandle& process : running) TerminateProcess(process.Get(), 1);
        for (const UniqueHandle& process : running) WaitForSingleObject(process.Get(), 5000);
    }
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring TitleOf(HWND window) {
    wchar_t title[256] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG, 2000, &ignored);
    return title;
}

// Top-level windows of a process; with `visibleOnly` false, hidden ones too.
inline std::vector<HWND> VisibleWindowsOf(DWORD processId, bool visibleOnly = true) {
    std::vector<HWND> all, found;
    EnumWindows([](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && (!visibleOnly || IsWindowVisible(window))) found.push_back(window);
    }
    return found;
}

inline std::string Describe(const std::vector<HWND>& windows) {
    std::string text;
    for (HWND window : windows) {
        RECT r{};
        GetWindowRect(window, &r);
        char box[64];
        std::snprintf(box, sizeof(box), " (%ld,%ld)-(%ld,%ld); ", r.left, r.top, r.right, r.bottom);
        text += Utf8(ClassOf(window)) + " \"" + Utf8(TitleOf(window)) + "\"" + box;
    }
    return text.empty() ? "no visible window" : text;
}

inline HWND FindDialog(DWORD processId) {
    for (HWND window : VisibleWindowsOf(processId))
        if (ClassOf(window) == L"#32770" && TitleOf(window) == L"Marrowgate") return window;
    return nullptr;
}

// A visible top-level window of that class in the process, or null.
inline HWND WindowOfClass(DWORD processId, const wchar_t* className) {
    for (HWND window : VisibleWindowsOf(processId))
        if (ClassOf(window) == className) return window;
    return nullptr;
}

inline RECT VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Windows of the process that cover the whole virtual screen.
inline std::vector<HWND> FullScreenWindowsOf(DWORD processId) {
    const RECT screen = VirtualScreen();
    std::vector<HWND> found;
    for (HWND window : VisibleWindowsOf(processId)) {
        RECT rect{};
        GetWindowRect(window, &rect);
        if (rect.left <= screen.left && rect.top <= screen.top && rect.right >= screen.right &&
            rect.bottom >= screen.bottom)
            found.push_back(window);
    }
    return found;
}

// Corners and edge middles of the virtual screen, where the centred dialog never is.
inline std::vector<COLORREF> EdgeColors() {
    const RECT s = VirtualScreen();
    const LONG midX = (s.left + s.right) / 2, midY = (s.top + s.bottom) / 2;
    std::vector<COLORREF> colors;
    for (const LONG x : {s.left + 3, midX, s.right - 4})
        for (const LONG y : {s.top + 3, midY, s.bottom - 4})
            if (x != midX || y != midY) colors.push_back(ScreenPixel(x, y));
    return colors;
}

inline bool EdgesAre(COLORREF expected) {
    const std::vector<COLORREF> colors = EdgeColors();
    return std::all_of(colors.begin(), colors.end(), [&](COLORREF color) { return color == expected; });
}

inline std::string DescribeEdges() {
    std::string text = "screen edges show ";
    for (COLORREF color : EdgeColors()) text += Hex(color);
    return text;
}

inline size_t Differences(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    if (a.size() != b.size()) return a.size() + b.size();
    return a.size() - std::inner_product(a.begin(), a.end(), b.begin(), size_t{0}, std::plus<>(), std::equal_to<>());
}

// Pixels of one colour in a capture.
inline long Count(const std::vector<COLORREF>& colors, COLORREF color) {
    return static_cast<long>(std::count(colors.begin(), colors.end(), color));
}

// The witness of tests/win/lockhost in front, which counts the keys and clicks that reach it; null if it never is.
inline HWND StartWitness(Process& process) {
    process = Start(L"\"" + TestDirectory() + L"lockhost.exe\" witness");
    HWND witness = nullptr;
    if (!WaitFor([&] { return (witness = FindWindowW(L"MgLockHostWindow", kWitnessTitle)) != nullptr; }, 10s))
        return nullptr;
    ForceForeground(witness);
    return WaitFor([&] { return GetForegroundWindow() == witness; }, 3s) ? witness : nullptr;
}

// A process of the program, other than those given, showing its lock dialog over the lock colour; 0 if none in time.
inline DWORD AwaitLock(const std::vector<DWORD>& besides = {}, std::chrono::milliseconds time = 10s) {
    DWORD lock = 0;
    WaitFor([&] {
        for (DWORD id : ProgramProcesses())
            if (std::find(besides.begin(), besides.end(), id) == besides.end() && FindDialog(id) != nullptr &&
                EdgesAre(kLockColor))
                return (lock = id) != 0;
        return false;
    }, time);
    return lock;
}

// The process, other than those given, that listens for the session's end as a guardian; 0 for none.
inline DWORD GuardianBesides(const std::vector<DWORD>& besides) {
    const wchar_t session[] = L"MgtGuardianSession";
    for (HWND w = FindWindowW(session, nullptr); w != nullptr; w = FindWindowExW(nullptr, w, session, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (std::find(besides.begin(), besides.end(), owner) == besides.end()) return owner;
    }
    return 0;
}

// Presses the keys in order and releases them in reverse, as a chord;
// `extended`: as the keys of the extended set (arrows, media keys).
inline void Keys(const std::vector<WORD>& chord, bool extended = false) {
    std::vector<INPUT> inputs;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < chord.size(); ++i) {
            const WORD key = pass == 0 ? chord[i] : chord[chord.size() - 1 - i];
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags = (extended || key == VK_LWIN || key == VK_RWIN ? KEYEVENTF_EXTENDEDKEY : 0) |
                               (pass == 1 ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Lower-case letters and digits: their virtual keys are their upper-case codes.
inline void Type(const char* text) {
    for (; *text != '\0'; ++text) Keys({static_cast<WORD>(*text >= 'a' && *text <= 'z' ? *text - 32 : *text)});
}

// Types `text` into the lock dialog of the process and presses Enter; false when no such dialog comes to the front.
inline bool TypeIntoLock(DWORD lock, const char* text) {
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindDialog(lock)) != nullptr && GetForegroundWindow() == dialog; }, 5s))
        return false;
    SendMessageW(GetDlgItem(dialog, 1005), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    Type(text);
    Keys({VK_RETURN});
    return true;
}

inline bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

inline POINT CentreOf(HWND window) {
    const RECT rect = WindowRectOf(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Moves to the point from beside it first: under Wine a window that appeared
// under a resting pointer may not take a click until the pointer moves.
inline void ClickAt(POINT point) {
    INPUT inputs[4] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    for (int i = 0; i < 2; ++i) {
        inputs[i].mi.dx = MulDiv(point.x + 1 - i, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        inputs[i].mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[3].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(4, inputs, sizeof(INPUT));
}

inline LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0) {
    DWORD_PTR answer = 0xDEAD;
    SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    return static_cast<LRESULT>(answer);
}

inline HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

inline void CleanRegistry() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegDeleteTreeW(root, kKeyPath);
        RegDeleteTreeW(root, kPolicyKeyPath);
        RegDeleteKeyValueW(root, kRunPath, L"Marrowgate");
        RegDeleteKeyValueW(root, kRunPath, L"Marrowgate Helper");
    }
}

struct Config {
    const char* password = kPassword;
    exstring hint;
    bool useOrgScreen = false;
};

inline bool Configure(const Config& config) {
    mgtSettings settings;
    PasswordRecord record;
    if (!SealPassword(exstring::FromAnsi(config.password), kTestPasswordRounds, record)) return false;
    settings.SetPassword(record);
    settings.pwdHint = config.hint;
    settings.useOrgScreen = config.useOrgScreen;
    settings.bgColor = kLockColor;
    settings.autoStart = false;
    return settings.Save();
}

// The `Locking` flag, or -1 when it is absent.
inline long LockingFlag() {
    DWORD value = 0, size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath, L"Locking", RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return -1;
    return static_cast<long>(value);
}

// The auto-start command below either root, empty when there is none; the resident helper's is "Marrowgate Helper".
inline exstring RunEntry(const wchar_t* name = L"Marrowgate") {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        wchar_t text[1024] = {};
        DWORD size = sizeof(text);
        if (RegGetValueW(root, kRunPath, name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
            return text;
    }
    return {};
}

// A 32 x 24 BMP of one colour.
inline void WriteBmp(const exstring& path, COLORREF color) {
    const DWORD pixels = 32 * 24, headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, headers + pixels * 4, 0, 0, headers};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), 32, 24, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const std::vector<DWORD> bits(pixels, RGB(GetBValue(color), GetGValue(color), GetRValue(color)));
    const UniqueHandle out(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(out.Get(), &file, sizeof(file), &written, nullptr);
    WriteFile(out.Get(), &info, sizeof(info), &written, nullptr);
    WriteFile(out.Get(), bits.data(), pixels * 4, &written, nullptr);
}

inline exstring TempPath(const wchar_t* name) {
    wchar_t directory[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, directory);
    return exstring(directory) + name;
}

// The program's diagnostics file turned on, for this process and the programs
// it starts, in a local application data folder of its own.
class DiagnosticsOn {
public:
    DiagnosticsOn() : folder_(TempPath(L"mg_diagnostics")) {
        wchar_t old[MAX_PATH] = {};
        if (GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH) < MAX_PATH) old_ = old;
        Remove();
        CreateDirectoryW(folder_.c_str(), nullptr);
        SetEnvironmentVariableW(L"LOCALAPPDATA", folder_.c_str());
        SetEnvironmentVariableW(L"MG_DIAGNOSTICS", L"1");
    }
    ~DiagnosticsOn() {
        SetEnvironmentVariableW(L"MG_DIAGNOSTICS", nullptr);
        SetEnvironmentVariableW(L"LOCALAPPDATA", old_.empty() ? nullptr : old_.c_str());
        Remove();
    }
    DiagnosticsOn(const DiagnosticsOn&) = delete;
    DiagnosticsOn& operator=(const DiagnosticsOn&) = delete;

    std::string Text() const {
        std::string text;
        const UniqueHandle file(CreateFileW(Log().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        char block[4096];
        DWORD read = 0;
        while (file.Held() && ReadFile(file.Get(), block, sizeof(block), &read, nullptr) && read > 0)
            text.append(block, read);
        return text;
    }

private:
    exstring Log() const { return folder_ + L"\\Marrowgate\\diagnostics.log"; }
    void Remove() const {
        DeleteFileW(Log().c_str());
        RemoveDirectoryW((folder_ + L"\\Marrowgate").c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    exstring folder_;
    exstring old_;
};

} // namespace e2e
