#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "testsupport.h"
#include "toolkit/exwndtimer.h"

namespace {

TEST(WindowTimers, IdsPerWindowFrom1314UntilExhausted) {
    TestWindow first(L"first");
    TestWindow second(L"second");
    std::vector<std::unique_ptr<exWndTimer>> timers;
    for (UINT_PTR i = 0; i < exWndTimer::kIdsPerWindow; ++i) {
        timers.push_back(std::make_unique<exWndTimer>());
        timers.back()->SetWindow(first.Handle());
        ASSERT_TRUE(timers.back()->Start()) << i;
        EXPECT_EQ(timers.back()->Id(), exWndTimer::kFirstId + i);
    }
    exWndTimer oneTooMany;
    oneTooMany.SetWindow(first.Handle());
    EXPECT_FALSE(oneTooMany.Start());
    EXPECT_EQ(oneTooMany.Id(), 0u);

    // Another window has IDs of its own.
    exWndTimer elsewhere;
    elsewhere.SetWindow(second.Handle());
    ASSERT_TRUE(elsewhere.Start());
    EXPECT_EQ(elsewhere.Id(), exWndTimer::kFirstId);

    // A destroyed timer frees its ID.
    timers[5].reset();
    exWndTimer reuse;
    reuse.SetWindow(first.Handle());
    ASSERT_TRUE(reuse.Start());
    EXPECT_EQ(reuse.Id(), exWndTimer::kFirstId + 5);
    timers.clear();
}

TEST(WindowTimers, TicksReachTheWindowAndStopAllEndsThem) {
    TestWindow window(L"ticking");
    exWndTimer timer;
    EXPECT_FALSE(timer.Start()) << "no window yet";
    timer.SetWindow(window.Handle());
    ASSERT_TRUE(timer.Start());
    const UINT_PTR id = timer.Id();
    // Watched without dispatching, so the tick stays in the queue to be seen.
    MSG message{};
    bool ticked = false;
    for (int i = 0; i < 300 && !ticked; ++i) {
        ticked = PeekMessageW(&message, window.Handle(), WM_TIMER, WM_TIMER, PM_REMOVE) && message.wParam == id;
        if (!ticked) Sleep(10);
    }
    EXPECT_TRUE(ticked);
    exWndTimer::StopAllOfWindow(window.Handle());
    EXPECT_EQ(timer.Id(), 0u);
    EXPECT_FALSE(timer.Stop());
}

} // namespace
