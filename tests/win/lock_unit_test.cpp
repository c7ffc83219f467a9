// The lock's plain logic: keys, hooks' renewal, the background's placement, picture headers, single instance.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "app/exrestart.h"
#include "lock/backgroundlayout.h"
#include "lock/keyboardlayout.h"
#include "lock/keyfilter.h"
#include "lock/lockclock.h"
#include "lock/mgtlocker.h"
#include "lock/pictureheader.h"
#include "testsupport.h"

namespace {

std::set<int> g_down;

SHORT WINAPI FakeKeyState(int key) {
    return g_down.count(key) != 0 ? static_cast<SHORT>(0x8000) : 0;
}

// One event as the hook gets it; an injected one carries the lock's marker.
KBDLLHOOKSTRUCT Key(DWORD key, DWORD flags = 0, DWORD scan = 0) {
    return KBDLLHOOKSTRUCT{key, scan, flags, 0, (flags & LLKHF_INJECTED) != 0 ? kHeldKeyReleaseMarker : 0};
}

TEST(KeyFilter, OneEventAfterHeldAndPressedKeys) {
    const DWORD E = LLKHF_EXTENDED, U = LLKHF_UP, I = LLKHF_INJECTED;
    // AltGr as Windows' keyboard drivers send it: a made-up left Ctrl, then the right Alt.
    const KBDLLHOOKSTRUCT altGrCtrl = Key(VK_LCONTROL, 0, 0x21D), rAlt = Key(VK_RMENU, E, 0x38);
    const KBDLLHOOKSTRUCT ctrl = Key(VK_LCONTROL, 0, 0x1D), lAlt = Key(VK_LMENU), lWin = Key(VK_LWIN, E);
    const KBDLLHOOKSTRUCT ins = Key(VK_INSERT, E), caps = Key(VK_CAPITAL);
    const KeyVerdict drop = KeyVerdict::kDrop, own = KeyVerdict::kPassToOwnWindows, always = KeyVerdict::kPass;
    struct Case { std::set<int> held; std::vector<KBDLLHOOKSTRUCT> before; KBDLLHOOKSTRUCT key; KeyVerdict verdict; };
    const Case cases[] = {
        {{}, {}, altGrCtrl, own},                {{}, {altGrCtrl}, rAlt, own},
        {{}, {altGrCtrl, rAlt}, Key('Q'), own},   {{}, {altGrCtrl}, Key('C'), drop},
        // Ctrl alone silences a screen reader; nothing beside it passes, Shift aside.
        {{}, {}, ctrl, own},                      {{}, {ctrl}, Key('V'), drop},
        {{}, {ctrl}, lAlt, drop},                 {{}, {ctrl, Key(VK_LSHIFT)}, Key(VK_ESCAPE), drop},
        {{}, {ctrl}, Key(VK_LSHIFT), own},        {{VK_LCONTROL}, {}, Key('A'), own},
        {{}, {ctrl, Key(VK_LCONTROL, U, 0x1D)}, Key('V'), own}, {{}, {lAlt}, ctrl, drop},
        // A screen reader's own chords: Insert or Caps Lock with what it combines them with.
        {{}, {ins}, Key(VK_DOWN, E), own},        {{}, {caps}, Key('T'), own},
        {{}, {lAlt}, Key(VK_TAB), drop},          {{}, {rAlt}, Key(VK_TAB), drop},
        {{}, {lAlt}, Key(VK_ESCAPE), drop},       {{}, {lWin}, Key(VK_SPACE), drop},
        {{}, {}, lWin, drop},                     {{}, {lWin, Key(VK_LWIN, E | U)}, Key('L'), own},
        {{}, {lAlt}, Key('F'), own},              {{}, {}, Key(VK_NUMLOCK, E, 0x45), own},
        {{}, {}, Key(VK_APPS, E), drop},
        // Held when the hook came: released by the lock itself, whatever is in front.
        {{VK_LWIN}, {}, Key('A'), drop},          {{VK_LWIN}, {}, Key(VK_LWIN, E | U | I), always},
        {{VK_LWIN}, {Key(VK_LWIN, E | U | I)}, Key('A'), own}, {{}, {}, Key(kHarmlessKey, I), always},
        {{}, {}, Key(VK_LWIN, E | I), drop},      {{VK_LCONTROL, VK_RMENU}, {}, Key('Q'), own},
        {{}, {}, Key('A', U | I), own},           // the marker on anything but a modifier's release counts for nothing
        // Releases of Ctrl, Alt and Shift pass whatever is in front; a real left Ctrl's ends a made-up one.
        {{}, {ctrl}, Key(VK_LCONTROL, U, 0x1D), always}, {{}, {}, Key(VK_LSHIFT, U), always},
        {{}, {altGrCtrl, Key(VK_LCONTROL, U, 0x1D)}, Key('C'), own}};
    for (const Case& c : cases) {
        g_down = c.held;
        KeyFilterState state = HeldModifiers(FakeKeyState);
        for (const KBDLLHOOKSTRUCT& key : c.before) FilterKey(key, state);
        EXPECT_EQ(FilterKey(c.key, state), c.verdict) << "case " << &c - cases << ", key " << c.key.vkCode;
    }
}

// The layout button: the name it shows, and the layout a click changes to.
TEST(KeyboardLayoutButton, NamesAndTheNextLayout) {
    const auto layout = [](ULONG_PTR id) { return reinterpret_cast<HKL>(id); };
    const HKL us = layout(0x04090409), german = layout(0x04070407), installed[] = {us, german, layout(0x04150415)};
    const std::pair<HKL, const wchar_t*> names[] = {{us, L"ENG"}, {german, L"DEU"}, {layout(0x7FFF), L"7FFF"}};
    for (const auto& [id, name] : names) EXPECT_EQ(LayoutShortName(id), exstring(name)) << id;
    struct Next { HKL current; int count; HKL next; };
    const Next nexts[] = {{us, 3, german}, {installed[2], 3, us}, {us, 1, nullptr}, {layout(0x040C040C), 3, us}};
    for (const Next& n : nexts) EXPECT_EQ(NextLayout(n.current, installed, n.count), n.next) << n.current;
}

// The system drops a stalled hook silently: renewed after a late tick, and now and then anyway.
TEST(Watchdog, RenewsHooksAfterStallsAndNowAndThen) {
    const ULONGLONG due = 1000000;
    struct Case { ULONGLONG now, renewed; bool renew; };
    const Case cases[] = {{due, due - 1000, false},       {due + 250, due - 1000, false}, {due + 251, due - 1000, true},
                          {due + 100, due - 29800, false}, {due, due - 30000, true}};
    for (const Case& c : cases)
        EXPECT_EQ(mgtLocker::HooksNeedRenewal(due, c.now, c.renewed), c.renew)
            << "late by " << c.now - due << " ms, renewed " << due - c.renewed << " ms before it was due";
}

// Where the primary monitor lies in the virtual screen's bitmap (the crop is the cover's own test).
TEST(BackgroundLayout, PrimaryMonitorWithinTheVirtualScreen) {
    const RECT primary{0, 0, 1920, 1080};
    struct Case { RECT virtualScreen; POINT origin; };
    // A secondary monitor on the left; a taller one reaching above the primary's top.
    const Case cases[] = {{{-1280, 0, 1920, 1080}, {1280, 0}}, {{0, -300, 3840, 1080}, {0, 300}}};
    for (const Case& c : cases) {
        const BackgroundLayout layout = LayoutBackground(c.virtualScreen, primary, SIZE{16, 9});
        EXPECT_EQ(layout.primaryOrigin.x, c.origin.x);
        EXPECT_EQ(layout.primaryOrigin.y, c.origin.y);
        EXPECT_EQ(layout.picture.right - layout.picture.left, 1920) << "the picture covers the primary monitor";
    }
}

// Right to left, the clock keeps the same band in the other lower corner.
TEST(LockClock, StartsInTheCornerWhereReadingStarts) {
    const POINT origin{100, 40};
    const SIZE monitor{1200, 800};
    const RECT left = ClockArea(origin, monitor), right = ClockArea(origin, monitor, true);
    EXPECT_EQ(left.left - origin.x, origin.x + monitor.cx - right.right);
    EXPECT_EQ(left.right - left.left, right.right - right.left);
    EXPECT_EQ(left.top, right.top);
}

// A second start calls the first, restored from minimised, to the front.
TEST(SingleInstance, ASecondStartRestoresTheFirst) {
    exrestart first(L"MGTINST"), second(L"MGTINST");
    ASSERT_TRUE(first.Initialize(true) && second.Initialize(true));
    TestWindow window(L"instance");
    ShowWindow(window.Handle(), SW_SHOWMINIMIZED);
    EXPECT_EQ(second.CheckInstance(L""), exrestart::kOtherInstance);
    MSG call{};
    ASSERT_TRUE(PeekMessageW(&call, window.Handle(), first.ActivationMessage(), first.ActivationMessage(), PM_REMOVE))
        << "no call to the first";
    EXPECT_TRUE(first.OnMessage(window.Handle(), call.message));
    EXPECT_FALSE(IsIconic(window.Handle()));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window.Handle(); }, std::chrono::seconds(2)));
}

TEST(PictureHeader, SizesOfTheCommonFormats) {
    const std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,    0,    0, 13,
                                      'I',  'H', 'D', 'R', 0,    0,    0x4E, 0x20, 0,    0,    0x4E, 0x20};
    // A 40-byte header: 3840 wide, -2168 high (top-down).
    const std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 0x00, 0x0F, 0, 0,
                                      0x88, 0xF7, 0xFF, 0xFF};
    struct Case { std::vector<uint8_t> bytes; long long width, height; };  // 0 x 0: refused
    const Case cases[] = {
        {png, 20000, 20000},
        {std::vector<uint8_t>(png.begin(), png.begin() + 20), 0, 0},          // cut short
        {{'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00}, 320, 240},
        {bmp, 3840, 2168},
        {{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x08, 0x70, 0x0F, 0x00,
          0x03}, 3840, 2160},
        {{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC0}, 0, 0},  // the scan before the size
        {{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xC0, 0, 0}, 0, 0},        // a segment of length 0
        {{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}, 0, 0}};
    for (const Case& c : cases) {
        PictureSize size;
        const bool read = PictureSizeFromHeader(c.bytes.data(), c.bytes.size(), size);
        EXPECT_EQ(read, c.width != 0) << "case " << &c - cases;
        EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(c.width, c.height)) << "case " << &c - cases;
    }
}

} // namespace
