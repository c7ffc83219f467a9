// Rendering the lock background from a 3840 x 2160 JPEG, against loading and
// drawing the same file with plain GDI+ calls, in the same run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "base/uniquehandle.h"
#include "lock/mgtbgdlg.h"
#include "plaingdiplus.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The plain way: load, draw scaled onto a screen-sized bitmap, let go.
double PlainGdiplus(const wchar_t* path, int width, int height) {
    const auto start = Clock::now();
    const UniqueWindowDc screen(nullptr);
    HDC dc = CreateCompatibleDC(screen.Get());
    const UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    HGDIOBJ previous = SelectObject(dc, bitmap.Get());
    DrawPictureWithGdiplus(dc, path, static_cast<float>(width), static_cast<float>(height));
    SelectObject(dc, previous);
    DeleteDC(dc);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double PrivateMiB() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

// Milliseconds per call of `step`, over `count` calls.
template <class Step>
double PerCall(int count, Step step) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) step();
    GdiFlush();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / count;
}

// The minute's clock update against copying the same rectangle once.
void ClockUpdate(mgtBgDlg& background) {
    const RECT area = background.ClockRect();
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC target = background.Bitmap().Dc();
    HDC dc = CreateCompatibleDC(target);
    const UniqueBitmap bitmap(CreateCompatibleBitmap(target, width, height));
    HGDIOBJ previous = SelectObject(dc, bitmap.Get());
    std::vector<double> update, copy;
    for (int run = 0; run < 7; ++run) {
        copy.push_back(PerCall(100, [&] { BitBlt(target, area.left, area.top, width, height, dc, 0, 0, SRCCOPY); }));
        update.push_back(PerCall(100, [&] { background.UpdateClock(); }));
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
    const double copyMedian = Median(copy), updateMedian = Median(update);
    std::printf("clock: the minute's update of its %dx%d rectangle, median of 7 x 100\n", width, height);
    std::printf("  BitBlt of the rectangle (floor):  %7.3f ms\n", copyMedian);
    std::printf("  clock update:                     %7.3f ms  ratio %.1f (no decode, no full redraw)\n",
                updateMedian, updateMedian / copyMedian);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: bench_render PICTURE.jpg\n");
        return 2;
    }
    const wchar_t* path = argv[1];
    SettingsStore store;
    // No stored settings: the bench sets what it needs.
    store.machineRoot = store.userRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFFFFF0));
    mgtSettings settings(store);
    settings.bgColor = RGB(0, 0, 0);
    settings.bgImage = path;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    StartGdiplus();

    // First, while nothing has been decoded in this process yet.
    const double before = PrivateMiB();
    mgtBgDlg kept(settings);
    kept.Render();
    while (!kept.FinishPictureLoad()) Sleep(0);
    const double keptMiB = PrivateMiB() - before;
    const double screen = static_cast<double>(width) * height * 4 / (1024.0 * 1024.0);

    std::vector<double> first, again, plain;
    for (int run = 0; run < 7; ++run) {
        plain.push_back(PlainGdiplus(path, width, height));
        mgtBgDlg background(settings);
        auto start = Clock::now();
        background.Render();
        while (!background.FinishPictureLoad()) Sleep(0);
        first.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        background.Render(false);
        again.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    const double plainMedian = Median(plain), firstMedian = Median(first), againMedian = Median(again);
    std::printf("render: 3840x2160 JPEG onto a %dx%d screen, median of 7\n", width, height);
    std::printf("  plain GDI+ load and draw (floor): %7.1f ms\n", plainMedian);
    std::printf("  Render, first:                    %7.1f ms  ratio %.2f (aim: at most 0.8)\n", firstMedian,
                firstMedian / plainMedian);
    std::printf("  Render again (display change):    %7.1f ms  ratio %.2f\n", againMedian, againMedian / plainMedian);
    std::printf("memory the background keeps after its first render (committed private bytes)\n");
    std::printf("  two %dx%d 32-bit bitmaps (floor):  %5.1f MiB\n", width, height, 2 * screen);
    std::printf("  Render:                             %5.1f MiB  ratio %.2f (aim: at most 1.10)\n",
                keptMiB, keptMiB / (2 * screen));

    ClockUpdate(kept);
    return 0;
}
