#include <gtest/gtest.h>

#include <chrono>

#include "app/shell/foreground.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;

// Back and forth, so that neither window was in front by chance.
TEST(ForceForeground, ActivatesTheWindow) {
    TestWindow first(L"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    TestWindow second(L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    for (HWND window : {first.Handle(), second.Handle(), first.Handle()}) {
        ForceForeground(window);
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 2s)) << "foreground is "
                                                                                  << GetForegroundWindow();
    }
}

} // namespace
