#include "zorderwatch.h"

#include <algorithm>

namespace {

ZOrderWatch* g_watch = nullptr;

const DWORD kWatchFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
// Bounded: a desktop with more windows than this is watched at its top.
const size_t kMostWindows = 256;

struct OrderWalk {
    HWND cover;
    DWORD ownProcess;
    ZOrderWatch::Order order;
};

BOOL CALLBACK AddWindow(HWND window, LPARAM data) {
    auto* walk = reinterpret_cast<OrderWalk*>(data);
    if (window == walk->cover) {
        walk->order.push_back(nullptr);
    } else if (IsWindowVisible(window)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != walk->ownProcess) walk->order.push_back(window);
    }
    return walk->order.size() < kMostWindows;
}

bool Contains(const ZOrderWatch::Order& order, HWND window) {
    return std::find(order.begin(), order.end(), window) != order.end();
}

} // namespace

ZOrderWatch::~ZOrderWatch() {
    Stop();
}

bool ZOrderWatch::MayCover(DWORD event, HWND window, LONG object, LONG child) {
    if (event == EVENT_OBJECT_REORDER) return true;
    if (event != EVENT_OBJECT_SHOW && event != EVENT_SYSTEM_FOREGROUND) return false;
    // A control shown within its window changes nothing above the lock.
    return window != nullptr && object == OBJID_WINDOW && child == CHILDID_SELF &&
           (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) == 0;
}

ZOrderWatch::Order ZOrderWatch::OrderAround(HWND cover) {
    OrderWalk walk{cover, GetCurrentProcessId(), {}};
    EnumWindows(AddWindow, reinterpret_cast<LPARAM>(&walk));
    return walk.order;
}

bool ZOrderWatch::SomethingRose(const Order& before, const Order& after) {
    Order kept;
    for (HWND window : after) {
        if (!Contains(before, window)) return true;
        kept.push_back(window);
    }
    Order stayed;
    for (HWND window : before)
        if (Contains(kept, window)) stayed.push_back(window);
    return kept != stayed;
}

bool ZOrderWatch::Start(HWND cover, Reaction react, void* context) {
    if (react == nullptr || (g_watch != nullptr && g_watch != this)) return false;
    cover_ = cover;
    react_ = react;
    context_ = context;
    lastOrder_ = OrderAround(cover_);
    if (Watching()) return true;
    g_watch = this;
    objectHook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_REORDER, nullptr, OnEvent, 0, 0, kWatchFlags);
    foregroundHook_ =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnEvent, 0, 0, kWatchFlags);
    frameTimer_ = SetTimer(nullptr, 0, kFrameMs, OnFrame);
    if (!Watching()) Stop();
    return Watching();
}

void ZOrderWatch::Stop() {
    if (objectHook_ != nullptr) UnhookWinEvent(objectHook_);
    if (foregroundHook_ != nullptr) UnhookWinEvent(foregroundHook_);
    objectHook_ = foregroundHook_ = nullptr;
    if (frameTimer_ != 0) KillTimer(nullptr, frameTimer_);
    frameTimer_ = 0;
    pending_ = false;
    framesSinceRise_ = -1;
    if (g_watch == this) g_watch = nullptr;
}

void CALLBACK ZOrderWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                                   DWORD) noexcept {
    ZOrderWatch* watch = g_watch;
    if (watch == nullptr || !MayCover(event, window, object, child)) return;
    // A program that shows windows in a loop gets one answer a frame; the
    // last of its windows is answered by the next frame.
    if (GetTickCount64() - watch->lastReaction_ >= kFrameMs) watch->React(false);
    else watch->pending_ = true;
}

void CALLBACK ZOrderWatch::OnFrame(HWND, UINT, UINT_PTR, DWORD) noexcept {
    ZOrderWatch* watch = g_watch;
    if (watch == nullptr || watch->reacting_) return;
    if (watch->framesSinceRise_ >= 0) ++watch->framesSinceRise_;
    const Order now = OrderAround(watch->cover_);
    if (watch->pending_ || SomethingRose(watch->lastOrder_, now)) {
        watch->React(false);
        return;
    }
    watch->lastOrder_ = now;
    const int frames = watch->framesSinceRise_;
    if (std::find(std::begin(kFollowUpFrames), std::end(kFollowUpFrames), frames) != std::end(kFollowUpFrames))
        watch->React(true);
}

void ZOrderWatch::React(bool followUp) {
    // Restacking may let further events in while it waits on the system.
    if (reacting_) return;
    reacting_ = true;
    pending_ = false;
    if (!followUp) framesSinceRise_ = 0;
    react_(context_);
    lastReaction_ = GetTickCount64();
    lastOrder_ = OrderAround(cover_);
    reacting_ = false;
}
