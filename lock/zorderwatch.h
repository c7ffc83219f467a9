// Watches for another program's window that may have come above the lock: a
// window shown, the window order changed, the foreground taken. Windows tells
// of these at once by events (out of context, on the thread that started the
// watch, while it retrieves messages); where no event comes (Wine sends none
// of them), the order of the visible windows is compared once a frame.
#pragma once

#include <windows.h>

#include <vector>

class ZOrderWatch {
public:
    using Reaction = void (*)(void* context);
    // Visible top-level windows of other processes, topmost first, with a
    // null entry where the lock's cover stands among them.
    using Order = std::vector<HWND>;

    ZOrderWatch() = default;
    ~ZOrderWatch();
    ZOrderWatch(const ZOrderWatch&) = delete;
    ZOrderWatch& operator=(const ZOrderWatch&) = delete;

    // Calls `react` at once when a window rises around `cover` (the lock's
    // topmost window), at most once a frame, and again a few frames later.
    // One watch per process; a second start only moves it to a new cover.
    [[nodiscard]] bool Start(HWND cover, Reaction react, void* context);
    void Stop();
    bool Watching() const { return frameTimer_ != 0; }

    // Whether an event about `window` may bring another program's window
    // over the lock: shown or made foreground as a whole window, or any
    // change of the order among windows.
    static bool MayCover(DWORD event, HWND window, LONG object, LONG child);
    static Order OrderAround(HWND cover);
    // Whether a window appeared in `after`, or the windows in both changed
    // their order; windows that went away change nothing.
    static bool SomethingRose(const Order& before, const Order& after);

    static constexpr UINT kFrameMs = 16;
    // Another program shows its window on the screen when its own thread
    // gets to it, which may be after the window order already said so.
    static constexpr int kFollowUpFrames[] = {2, 4, 10};

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                 DWORD) noexcept;
    static void CALLBACK OnFrame(HWND, UINT, UINT_PTR, DWORD) noexcept;
    void React(bool followUp);

    HWND cover_ = nullptr;
    HWINEVENTHOOK objectHook_ = nullptr;
    HWINEVENTHOOK foregroundHook_ = nullptr;
    UINT_PTR frameTimer_ = 0;
    Order lastOrder_;
    bool pending_ = false;
    int framesSinceRise_ = -1;
    ULONGLONG lastReaction_ = 0;
    Reaction react_ = nullptr;
    void* context_ = nullptr;
    bool reacting_ = false;
};
