// Cost of the lock's hook procedures per input event, against the one call
// they cannot avoid (passing the event on), and proof that they allocate
// nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

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
    HWND window = CreateWindowExW(0, L"MgHookBench", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window);
    mgtLocker locker(nullptr, nullptr);

    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    MSLLHOOKSTRUCT mouse{};
    RECT rect{};
    GetWindowRect(window, &rect);
    mouse.pt = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    const int batches = 1000, perBatch = 1000;

    // Allocations are counted over the hook calls alone; the timing below
    // keeps its own list of figures.
    const long long allocationsBefore = g_allocations.load();
    const SIZE_T bytesBefore = PrivateBytes();
    for (int i = 0; i < 100000; ++i) {
        key.vkCode = (i & 1) ? 'A' : VK_LWIN;
        mgtLocker::KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
        mgtLocker::MouseHookProc(HC_ACTION, (i & 1) ? WM_LBUTTONDOWN : WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&mouse));
    }
    const long long allocations = g_allocations.load() - allocationsBefore;
    const SIZE_T bytesAfter = PrivateBytes();

    const double keyboard = MedianNanosecondsPerCall(
        [&](int i) {
            key.vkCode = (i & 1) ? 'A' : VK_LWIN;
            mgtLocker::KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
        },
        batches, perBatch);
    const double click = MedianNanosecondsPerCall(
        [&](int) { mgtLocker::MouseHookProc(HC_ACTION, WM_LBUTTONDOWN, reinterpret_cast<LPARAM>(&mouse)); }, batches,
        perBatch);
    const double move = MedianNanosecondsPerCall(
        [&](int) { mgtLocker::MouseHookProc(HC_ACTION, WM_MOUSEMOVE, reinterpret_cast<LPARAM>(&mouse)); }, batches,
        perBatch);
    const double floor = MedianNanosecondsPerCall(
        [&](int) { CallNextHookEx(nullptr, HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key)); }, batches,
        perBatch);

    std::printf("hooks: %d events per procedure, median per call\n", batches * perBatch);
    std::printf("  floor (CallNextHookEx alone): %8.0f ns\n", floor);
    std::printf("  keyboard hook:                %8.0f ns  ratio %.1f\n", keyboard, keyboard / floor);
    std::printf("  mouse hook, click:            %8.0f ns  ratio %.1f\n", click, click / floor);
    std::printf("  mouse hook, move:             %8.0f ns  ratio %.1f\n", move, move / floor);
    std::printf("  heap allocations in 200000 hook calls: %lld (private bytes %+lld)\n", allocations,
                static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore));
    DestroyWindow(window);
    return allocations == 0 ? 0 : 1;
}
