#include <gtest/gtest.h>

#include <chrono>

#include "app/shell/foreground.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;

TEST(ForceForeground, ActivatesTheWindow) {
    TestWindow first(L"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    TestWindow second(L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ForceForeground(first.Handle());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == first.Handle(); }, 2s));
    ForceForeground(second.Handle());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == second.Handle(); }, 2s));
}

TEST(ForceForeground, PrefersTheEnabledOwnedPopup) {
    TestWindow owner(L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND popup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP | WS_VISIBLE | WS_CAPTION, 150, 150, 200, 100,
                                 owner.Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(popup, nullptr);
    if (GetWindow(owner.Handle(), GW_ENABLEDPOPUP) == nullptr) {
        DestroyWindow(popup);
        GTEST_SKIP() << "GetWindow(GW_ENABLEDPOPUP) finds no popup here (Wine does not implement it; Windows does)";
    }
    TestWindow other(L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ForceForeground(other.Handle());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other.Handle(); }, 2s));

    ForceForeground(owner.Handle());
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == popup; }, 2s))
        << "foreground is " << GetForegroundWindow();
    DestroyWindow(popup);
}

TEST(ForceForeground, IgnoresWhatIsNoWindow) {
    ForceForeground(nullptr);
    ForceForeground(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFF0)));
    SUCCEED() << "no crash";
}

} // namespace
