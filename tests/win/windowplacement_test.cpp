#include <gtest/gtest.h>

#include "app/shell/windowplacement.h"
#include "testsupport.h"

namespace {

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(KeepInside, MovesWithoutResizing) {
    struct Case {
        RECT in;
        RECT out;
        RECT area = {0, 0, 1000, 800};
    };
    const Case cases[] = {
        {{100, 100, 300, 200}, {100, 100, 300, 200}},
        {{900, 100, 1100, 200}, {800, 100, 1000, 200}},   // right edge beyond: moved left by the overlap
        {{100, 750, 300, 850}, {100, 700, 300, 800}},
        {{-50, -20, 150, 80}, {0, 0, 200, 100}},
        {{500, 500, 1700, 1400}, {0, 0, 1200, 900}},      // larger than the area: left and top aligned
        {{-100, 10, 100, 110}, {-200, 10, 0, 110}, {-1920, 0, 0, 1080}},  // a monitor left of the primary one
    };
    for (const Case& c : cases) {
        const RECT got = KeepInside(c.in, c.area);
        EXPECT_TRUE(EqualRect(&got, &c.out)) << Describe(c.in);
    }
}

class PlacementTest : public ::testing::Test {
protected:
    RECT WorkArea() {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTONEAREST), &info);
        return info.rcWork;
    }
    TestWindow window{L"placement"};
};

TEST_F(PlacementTest, ReadGivesTheNormalRectangle) {
    RECT rect{};
    const RECT created{100, 100, 400, 300};
    bool maximised = true;
    ASSERT_TRUE(WindowPlacement(window.Handle(), rect, maximised, true));
    EXPECT_TRUE(EqualRect(&rect, &created)) << Describe(rect);
    EXPECT_FALSE(maximised);
}

TEST_F(PlacementTest, ApplyKeepsTheWindowOnItsMonitor) {
    const RECT area = WorkArea();
    RECT wanted{area.right - 100, area.top + 50, area.right + 100, area.top + 150};
    bool maximised = false;
    ASSERT_TRUE(WindowPlacement(window.Handle(), wanted, maximised, false));
    RECT placed{};
    const RECT inside{area.right - 200, area.top + 50, area.right, area.top + 150};
    ASSERT_TRUE(WindowPlacement(window.Handle(), placed, maximised, true));
    EXPECT_TRUE(EqualRect(&placed, &inside)) << Describe(placed);
    // A window that was hidden stays hidden.
    EXPECT_FALSE(IsWindowVisible(window.Handle()));
}

TEST_F(PlacementTest, RefusesEmptyRectanglesAndMissingWindows) {
    RECT empty{10, 10, 10, 50};
    bool maximised = false;
    EXPECT_FALSE(WindowPlacement(window.Handle(), empty, maximised, false));
    RECT any{0, 0, 10, 10};
    EXPECT_FALSE(WindowPlacement(nullptr, any, maximised, true));
    EXPECT_FALSE(WindowPlacement(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7FFF0)), any, maximised, true));
}

TEST_F(PlacementTest, MaximisedStateIsReadAndApplied) {
    ShowWindow(window.Handle(), SW_SHOWNORMAL);
    RECT rect{50, 60, 350, 260};
    bool maximised = true;
    ASSERT_TRUE(WindowPlacement(window.Handle(), rect, maximised, false));
    EXPECT_TRUE(IsZoomed(window.Handle()));
    RECT read{};
    bool readMaximised = false;
    ASSERT_TRUE(WindowPlacement(window.Handle(), read, readMaximised, true));
    EXPECT_TRUE(readMaximised);
    EXPECT_TRUE(EqualRect(&read, &rect)) << Describe(read);
}

} // namespace
