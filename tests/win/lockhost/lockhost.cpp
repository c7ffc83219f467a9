// A host for the lock's tests: a lock with the real controller, a witness that
// counts what reaches it, and the restart hand-over's processes. The first
// argument names the role.
#include <windows.h>

#include <string>

#include "app/exrestart.h"
#include "base/excmdline.h"
#include "base/foreground.h"
#include "lock/mgtlocker.h"
#include "lockhostprotocol.h"
#include "text/pathutil.h"

namespace {

LONG g_keys[256] = {};
LONG g_clicks = 0, g_moves = 0;
mgtLocker* g_locker = nullptr;

void Log(const std::wstring& line) {
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"MG_LOCKHOST_LOG", path, MAX_PATH) == 0) return;
    const UniqueHandle file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Held()) return;
    const std::string utf8 = exstring(line + L"\n").ToUtf8();
    DWORD written = 0;
    WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        InterlockedIncrement(&g_keys[wParam & 0xFF]);
        return 0;
    case WM_MOUSEMOVE:
        InterlockedIncrement(&g_moves);
        return 0;
    case kQueryMoves:
        return g_moves;
    case WM_LBUTTONDOWN:
        InterlockedIncrement(&g_clicks);
        return 0;
    case kQueryKeyCount:
        return g_keys[wParam & 0xFF];
    case kQueryClicks:
        return g_clicks;
    case kQueryLocked:
        return g_locker != nullptr && g_locker->IsLocked();
    case kBusyWindowThread:
        ForceForeground(reinterpret_cast<HWND>(lParam));
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    case kMakeWindow: {
        const auto exStyle = static_cast<DWORD>(wParam);
        HWND made = CreateWindowExW(exStyle, L"MgLockHostWindow", L"MgKind", WS_POPUP | WS_BORDER, 20, 20, 240, 160,
                                    lParam != 0 ? window : nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        return reinterpret_cast<LRESULT>(made);
    }
    case kStopAndQuit:
        if (g_locker != nullptr) g_locker->Stop();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND MakeWindow(const wchar_t* title, int x, DWORD style) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = HostProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"MgLockHostWindow";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, L"MgLockHostWindow", title, style, x, 100, 400, 300, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

int RunLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int RunLocker() {
    HWND window = MakeWindow(kLockHostTitle, 50, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    mgtLocker locker(nullptr, nullptr);
    g_locker = &locker;
    ForceForeground(window);
    locker.Start(window, nullptr);
    const int result = RunLoop();
    g_locker = nullptr;
    return result;
}

int RunWitness() {
    MakeWindow(kWitnessTitle, 700, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    return RunLoop();
}

// The old instance of a hand-over: restarts, lingers a moment, ends.
int RunRestartOld() {
    exrestart restart(kHandOverName);
    restart.SetProgram(ModulePath(false));
    restart.Initialize(true);
    const int check = restart.CheckInstance(L"");
    const bool restarted = restart.Restart();
    Log(L"old check=" + std::to_wstring(check) + L" restarted=" + std::to_wstring(restarted) + L" mutex=" +
        restart.HandoverName());
    Sleep(1000);
    Log(L"old exits");
    return 0;
}

// The successor in a hand-over.
int RunInstanceCheck(const wchar_t* arguments) {
    exrestart restart(kHandOverName);
    restart.Initialize(true);
    const int check = restart.CheckInstance(arguments);
    Log(L"check=" + std::to_wstring(check) + L" args=" + arguments);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
    excmdline line;
    line.Parse(arguments);
    const std::vector<exstring> tokens = line.Tokens();
    const exstring role = tokens.empty() ? exstring() : tokens.front();
    if (role == L"lock") return RunLocker();
    if (role == L"witness") return RunWitness();
    if (role == L"restart-old") return RunRestartOld();
    return RunInstanceCheck(arguments);
}
