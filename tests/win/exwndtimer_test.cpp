#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "testsupport.h"
#include "toolkit/exwndtimer.h"

namespace {

// IDs are handed out per window from kFirstId, freed with their timer; a tick
// arrives with its ID; StopAllOfWindow ends every timer of the window.
TEST(WindowTimers, IdsPerWindowTicksAndStopAll) {
    TestWindow first(L"first");
    TestWindow second(L"second");
    std::vector<std::unique_ptr<exWndTimer>> timers;
    for (UINT_PTR i = 0; i <= exWndTimer::kIdsPerWindow; ++i) {
        timers.push_back(std::make_unique<exWndTimer>());
        timers.back()->SetWindow(first.Handle());
        EXPECT_EQ(timers.back()->Start(), i < exWndTimer::kIdsPerWindow) << i;
        EXPECT_EQ(timers.back()->Id(), i < exWndTimer::kIdsPerWindow ? exWndTimer::kFirstId + i : 0u);
    }
    timers[5].reset();
    exWndTimer reuse, elsewhere;
    reuse.SetWindow(first.Handle());
    ASSERT_TRUE(reuse.Start());
    EXPECT_EQ(reuse.Id(), exWndTimer::kFirstId + 5);
    EXPECT_FALSE(elsewhere.Start()) << "no window yet";
    elsewhere.SetWindow(second.Handle());
    ASSERT_TRUE(elsewhere.Start());
    EXPECT_EQ(elsewhere.Id(), exWndTimer::kFirstId);

    // Watched without dispatching, so the tick stays in the queue to be seen.
    MSG message{};
    bool ticked = false;
    for (int i = 0; i < 300 && !ticked; ++i) {
        ticked = PeekMessageW(&message, second.Handle(), WM_TIMER, WM_TIMER, PM_REMOVE) && message.wParam == elsewhere.Id();
        if (!ticked) Sleep(10);
    }
    EXPECT_TRUE(ticked);
    exWndTimer::StopAllOfWindow(second.Handle());
    EXPECT_EQ(elsewhere.Id(), 0u);
    EXPECT_FALSE(elsewhere.Stop());
    timers.clear();
}

} // namespace
