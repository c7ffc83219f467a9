#include <gtest/gtest.h>

#include "app/idlewatch.h"

namespace {

TEST(IdleWatch, StoredTimeoutsAreHeldBetweenFiveSecondsAndADay) {
    const struct {
        uint64_t stored;
        uint32_t honoured;
    } cases[] = {{0, 0},         {1, 5},         {4, 5},          {5, 5},
                 {6, 6},         {86400, 86400}, {86401, 86400},  {UINT64_MAX, 86400}};
    for (const auto& c : cases) EXPECT_EQ(ClampIdleSeconds(c.stored), c.honoured) << c.stored;
}

TEST(IdleWatch, IdleTimeCountsFromTheLaterOfInputAndCountingStart) {
    const struct {
        uint32_t now, lastInput, since, idle;
    } cases[] = {
        {10000, 4000, 1000, 6000},              // input after the start
        {10000, 1000, 4000, 6000},              // a lock or presentation restarted the count
        {10000, 10500, 1000, 0},                // input stamped a moment after `now`
        {500, 0xFFFFFF00u, 0xFFFFF000u, 756},   // the tick wrapped after the input
        {0x00000100u, 0x00000050u, 0xFFFFFF00u, 0xB0},  // counting began before the wrap
    };
    for (const auto& c : cases) EXPECT_EQ(IdleMs(c.now, c.lastInput, c.since), c.idle) << c.now << " " << c.lastInput;
}

TEST(IdleWatch, FullScreenPresentationAndDisplayRequestsPostpone) {
    const struct {
        int state;
        uint32_t execution;
        bool postpones;
    } cases[] = {{1, 0, false}, {2, 0, true},  {3, 0, true},  {4, 0, true}, {5, 0, false},
                 {6, 0, false}, {7, 0, false}, {5, 2, true},  {5, 1, false}, {5, 0x80000004u, false}};
    for (const auto& c : cases) EXPECT_EQ(PostponesIdleLock(c.state, c.execution), c.postpones) << c.state;
}

TEST(IdleWatch, LooksOnlyAsOftenAsTheTimeoutNeeds) {
    const struct {
        uint32_t timeout, idleMs;
        bool locked, postponed;
        bool lock;
        uint32_t waitMs;
    } cases[] = {
        {0, 999999, false, false, false, 0},    // never: no look at all
        {6, 0, false, false, false, 6000},      // fresh input: look when it could be due
        {6, 4500, false, false, false, 1500},
        {6, 5900, false, false, false, 1000},   // never sooner than a second
        {6, 6000, false, false, true, 6000},
        {6, 9000, true, false, false, 6000},    // a lock runs: no second lock
        {6, 9000, false, true, false, 6000},    // a presentation postpones
    };
    for (const auto& c : cases) {
        const IdleStep step = NextIdleStep(c.timeout, c.idleMs, c.locked, c.postponed);
        EXPECT_EQ(step.lock, c.lock) << c.timeout << " s, idle " << c.idleMs;
        EXPECT_EQ(step.waitMs, c.waitMs) << c.timeout << " s, idle " << c.idleMs;
    }
}

} // namespace
