// Cost of the lock's hook procedures per input event, against the one call
// they cannot avoid (passing the event on), and proof that they allocate
// nothing. Then whole events through the installed hooks on their thread:
// the longest wait while the window thread is busy, and a click against
// hooks that only pass the event on.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "base/uniquehandle.h"
#include "lock/hookthread.h"
#include "lock/mgtlocker.h"

namespace {

std::atomic<long long> g_allocations{0};

using Clock = std::chrono::steady_clock;

template <class Call>
double MedianNanosecondsPerCall(Call call, int batches, int perBatch) {
    std::vector<double> perCall;
    perCall.reserve(static_cast<size_t>(batches));
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i) call(i);
        perCall.push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count() / perBatch);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return counters.PrivateUsage;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window of this process, as the lock's background and its dialog are.
HWND MakeWindow(const wchar_t* title, DWORD style, DWORD exStyle, HWND owner, const RECT& place) {
    return CreateWindowExW(exStyle, L"MgHookBench", title, style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LRESULT CALLBACK PassOn(int code, WPARAM wParam, LPARAM lParam) noexcept {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// One click at `point` (a move there, a press, a release), as a mouse sends it.
void Click(POINT point) {
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[0].mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(3, inputs, sizeof(INPUT));
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Single events (a press, a release, a key down, a key up) sent from a
// thread of their own for `ms`: under Wine SendInput returns once the
// low-level hooks have answered, so its time is the event's wait.
struct Sender {
    POINT point{};
    DWORD ms = 0;
    std::vector<double> waitsMs;
    double Longest() const { return waitsMs.empty() ? 0 : waitsMs.back(); }
    double Percentile99() const { return waitsMs.empty() ? 0 : waitsMs[waitsMs.size() * 99 / 100]; }
};

void SendOne(int kind) {
    INPUT input{};
    if (kind < 2) {
        // Buttons only, where the pointer rests: a move would queue a message
        // for the window thread, whose growing queue the server then pays for.
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = kind == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    } else {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_LWIN;
        input.ki.dwFlags = kind == 3 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(1, &input, sizeof(INPUT));
}

DWORD WINAPI SendFor(void* data) {
    auto* sender = static_cast<Sender*>(data);
    sender->waitsMs.reserve(200000);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(sender->point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = MulDiv(sender->point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(INPUT));
    const auto begin = Clock::now();
    for (int kind = 0; MsSince(begin) < sender->ms; kind = (kind + 1) % 4) {
        const auto start = Clock::now();
        SendOne(kind);
        sender->waitsMs.push_back(MsSince(start));
    }
    std::sort(sender->waitsMs.begin(), sender->waitsMs.end());
    return 0;
}

// The longest wait of one event while this (the window) thread sleeps or
// takes its messages for 3 s.
Sender LongestWait(POINT point, bool busy) {
    Sender sender;
    sender.point = point;
    sender.ms = 3000;
    const UniqueHandle thread(CreateThread(nullptr, 0, SendFor, &sender, 0, nullptr));
    if (!thread.Held()) return sender;
    if (busy) Sleep(sender.ms);
    const HANDLE waited = thread.Get();
    while (MsgWaitForMultipleObjects(1, &waited, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return sender;
}

// Whole clicks through whatever hooks are installed, each time appended.
void TimeClicks(POINT point, int clicks, std::vector<double>& microseconds) {
    for (int i = 0; i < clicks; ++i) {
        const auto start = Clock::now();
        Click(point);
        microseconds.push_back(MsSince(start) * 1000);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct ClickFigures {
    double lockUs = 0, passOnUs = 0;
};

// The lock's hook procedures on a hook thread against hooks that only pass
// the event on, in alternating rounds so that a busy moment of the machine
// weighs on both alike.
ClickFigures CompareClicks(POINT point) {
    std::vector<double> lock, passOn;
    for (int round = 0; round < 10; ++round) {
        HookThread lockHooks(mgtLocker::KeyboardHookProc, mgtLocker::MouseHookProc);
        if (lockHooks.Start()) TimeClicks(point, 40, lock);
        lockHooks.Stop();
        HookThread plainHooks(PassOn, PassOn);
        if (plainHooks.Start()) TimeClicks(point, 40, passOn);
        plainHooks.Stop();
    }
    return ClickFigures{Median(lock), Median(passOn)};
}

} // namespace

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

int wmain() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MgHookBench";
    RegisterClassW(&windowClass);
    // As the lock lays them out: a background over the screen, the dialog over it.
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT centre{screen.right / 2 - 200, screen.bottom / 2 - 100, screen.right / 2 + 200, screen.bottom / 2 + 100};
    HWND background = MakeWindow(L"background", WS_POPUP | WS_VISIBLE | WS_DISABLED, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                 nullptr, screen);
    HWND dialog = MakeWindow(L"dialog", WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST, background, centre);
    SetForegroundWindow(dialog);
    mgtLocker locker(nullptr, nullptr);
    locker.Start(dialog, background);

    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    MSLLHOOKSTRUCT onDialog{};
    onDialog.pt = CentreOf(dialog);
    MSLLHOOKSTRUCT onBackground{};
    onBackground.pt = POINT{screen.left + 20, screen.top + 20};
    // Every call may be a trip to the window server (tens of microseconds under
    // Wine): enough batches for a steady median, few enough for three runs.
    const int batches = 200, perBatch = 500;
    const auto press = [](MSLLHOOKSTRUCT& mouse, WPARAM message) {
        return mgtLocker::MouseHookProc(HC_ACTION, message, reinterpret_cast<LPARAM>(&mouse));
    };
    // A Windows key pressed and released (dropped), then a letter (let through).
    const auto type = [&key](int i) {
        key.vkCode = (i & 2) ? 'A' : VK_LWIN;
        key.flags = (i & 1) ? LLKHF_UP : 0;
        return mgtLocker::KeyboardHookProc(HC_ACTION, (i & 1) ? WM_KEYUP : WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
    };

    // Allocations are counted over the hook calls alone; the timing below
    // keeps its own list of figures.
    const long long allocationsBefore = g_allocations.load();
    const SIZE_T bytesBefore = PrivateBytes();
    for (int i = 0; i < 100000; ++i) {
        type(i);
        press((i & 2) ? onDialog : onBackground, (i & 1) ? WM_LBUTTONDOWN : WM_LBUTTONUP);
    }
    const long long allocations = g_allocations.load() - allocationsBefore;
    const SIZE_T bytesAfter = PrivateBytes();

    const double keyboard = MedianNanosecondsPerCall(type, batches, perBatch);
    // A click is a press and a release; on the dialog both are let through.
    const double dialogClick = MedianNanosecondsPerCall(
        [&](int i) { press(onDialog, (i & 1) ? WM_LBUTTONUP : WM_LBUTTONDOWN); }, batches, perBatch);
    const double backgroundClick = MedianNanosecondsPerCall(
        [&](int i) { press(onBackground, (i & 1) ? WM_LBUTTONUP : WM_LBUTTONDOWN); }, batches, perBatch);
    const double move = MedianNanosecondsPerCall([&](int) { press(onDialog, WM_MOUSEMOVE); }, batches, perBatch);
    const double floor = MedianNanosecondsPerCall(
        [&](int) { CallNextHookEx(nullptr, HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key)); }, batches,
        perBatch);
    // The questions an event let through must ask the system, each alone:
    // under Wine every one is a trip to the window server, as the floor is.
    const double foreground = MedianNanosecondsPerCall([](int) { GetForegroundWindow(); }, batches, perBatch);
    const double threadInfo = MedianNanosecondsPerCall(
        [](int) {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(0, &info);
        },
        batches, perBatch);
    const double underPoint =
        MedianNanosecondsPerCall([&](int) { WindowFromPoint(onDialog.pt); }, batches, perBatch);

    const Sender idle = LongestWait(onBackground.pt, false);
    const Sender busy = LongestWait(onBackground.pt, true);
    // The controller keeps its windows; only its own hooks go.
    locker.Abandon();
    const ClickFigures clicks = CompareClicks(onDialog.pt);
    locker.Stop();

    std::printf("hooks: %d events per procedure, median per call\n", batches * perBatch);
    std::printf("  floor (CallNextHookEx alone): %8.0f ns\n", floor);
    std::printf("  keyboard hook (half dropped): %8.0f ns  ratio %.2f (aim: at most 1.0)\n", keyboard,
                keyboard / floor);
    std::printf("  mouse hook, click on dialog:  %8.0f ns  ratio %.2f (aim: at most 1.5)\n", dialogClick,
                dialogClick / floor);
    std::printf("  mouse hook, click elsewhere:  %8.0f ns  ratio %.2f (dropped)\n", backgroundClick,
                backgroundClick / floor);
    std::printf("  mouse hook, move:             %8.0f ns  ratio %.2f\n", move, move / floor);
    std::printf("  asked per key let through:  GetForegroundWindow %6.0f ns (%.2f)\n", foreground,
                foreground / floor);
    std::printf("  asked per click let through: GetGUIThreadInfo %6.0f ns (%.2f), WindowFromPoint %6.0f ns (%.2f)\n",
                threadInfo, threadInfo / floor, underPoint, underPoint / floor);
    std::printf("hook thread: single events sent for 3 s from another thread, the wait of each\n");
    std::printf("  window thread idle: longest %6.2f ms, 99th percentile %5.2f ms (%zu events)\n", idle.Longest(),
                idle.Percentile99(), idle.waitsMs.size());
    std::printf("  window thread busy: longest %6.2f ms, 99th percentile %5.2f ms (%zu events)\n", busy.Longest(),
                busy.Percentile99(), busy.waitsMs.size());
    std::printf("  busy against idle: longest ratio %.2f, 99th percentile ratio %.2f (aim: under 2 ms, ratio near 1)\n",
                busy.Longest() / std::max(idle.Longest(), 0.001),
                busy.Percentile99() / std::max(idle.Percentile99(), 0.001));
    std::printf("  whole click on the dialog, the lock's hooks on their thread: %7.1f us (median)\n", clicks.lockUs);
    std::printf("  same, hooks that only call CallNextHookEx:               %7.1f us  ratio %.2f (aim: at most 1.5)\n",
                clicks.passOnUs, clicks.lockUs / std::max(clicks.passOnUs, 0.001));
    std::printf("  heap allocations in 200000 hook calls: %lld (private bytes %+lld)\n", allocations,
                static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore));
    DestroyWindow(dialog);
    DestroyWindow(background);
    return allocations == 0 ? 0 : 1;
}
