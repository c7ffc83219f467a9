// The lock's plain logic: the key filter, the hooks' renewal, the background's
// placement, picture headers and the restart marker.
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
    KBDLLHOOKSTRUCT event{};
    event.vkCode = key;
    event.flags = flags;
    event.scanCode = scan;
    event.dwExtraInfo = (flags & LLKHF_INJECTED) != 0 ? kHeldKeyReleaseMarker : 0;
    return event;
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
        {{}, {altGrCtrl, rAlt}, Key('Q'), own},   {{}, {altGrCtrl, rAlt}, Key(VK_OEM_6), own},  // a dead key
        {{}, {altGrCtrl}, Key('C'), drop},        {{}, {lAlt}, ctrl, drop},
        // Ctrl alone silences a screen reader; nothing beside it passes, Shift aside.
        {{}, {}, ctrl, own},                      {{}, {}, Key(VK_RCONTROL, E), own},
        {{}, {ctrl}, Key('V'), drop},             {{}, {ctrl}, Key(VK_ESCAPE), drop},
        {{}, {ctrl}, lAlt, drop},                 {{}, {ctrl, Key(VK_LSHIFT)}, Key(VK_ESCAPE), drop},
        {{}, {ins, ctrl}, Key('G'), drop},        {{}, {ctrl}, Key(VK_LSHIFT), own},
        {{VK_LCONTROL}, {}, Key('A'), own},       {{}, {ctrl, Key(VK_LCONTROL, U, 0x1D)}, Key('V'), own},
        // A screen reader's own chords: Insert or Caps Lock with what it combines them with.
        {{}, {ins}, Key(VK_DOWN, E), own},        {{}, {caps}, Key('T'), own},
        {{}, {ins}, Key(VK_F12), own},            {{}, {ins}, lWin, drop},
        {{}, {lAlt}, Key(VK_TAB), drop},          {{}, {rAlt}, Key(VK_TAB), drop},
        {{}, {lAlt}, Key(VK_ESCAPE), drop},       {{}, {altGrCtrl}, Key(VK_ESCAPE), drop},
        {{}, {lWin}, Key(VK_SPACE), drop},        {{}, {}, lWin, drop},
        {{}, {lWin, Key(VK_LWIN, E | U)}, Key('L'), own}, {{}, {lAlt}, Key('F'), own},
        {{}, {}, Key(VK_NUMLOCK, E, 0x45), own},  {{}, {}, Key(VK_DIVIDE, E, 0x35), own},
        {{}, {}, Key(VK_HOME, 0, 0x47), own},     {{}, {}, Key(VK_APPS, E), drop},
        {{}, {}, Key(VK_VOLUME_UP, E), drop},     {{}, {}, Key(VK_BROWSER_BACK, E), drop},
        // Held when the hook came: released by the lock itself, whatever is in front.
        {{VK_LWIN}, {}, Key('A'), drop},          {{VK_LWIN}, {}, Key(VK_LWIN, E | U | I), always},
        {{VK_LWIN}, {Key(VK_LWIN, E | U | I)}, Key('A'), own}, {{}, {}, Key(kHarmlessKey, I), always},
        {{}, {}, Key(VK_LWIN, E | I), drop},      {{VK_LCONTROL, VK_RMENU}, {}, Key('Q'), own},
        {{}, {}, Key('A', U | I), own},           // the marker on anything but a modifier's release counts for nothing
        // Releases of Ctrl, Alt and Shift reach the system whatever is in front; a real left Ctrl's release
        // also ends a made-up one.
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

// The system drops a hook that stalls without a word: renewed after a late
// tick, and now and then in any case.
TEST(Watchdog, RenewsHooksAfterStallsAndNowAndThen) {
    const ULONGLONG due = 1000000;
    struct Case { ULONGLONG now, renewed; bool renew; };
    const Case cases[] = {{due, due - 1000, false},       {due + 250, due - 1000, false}, {due + 251, due - 1000, true},
                          {due + 100, due - 29800, false}, {due, due - 30000, true}};
    for (const Case& c : cases)
        EXPECT_EQ(mgtLocker::HooksNeedRenewal(due, c.now, c.renewed), c.renew)
            << "late by " << c.now - due << " ms, renewed " << due - c.renewed << " ms before it was due";
}

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) {
    return RECT{left, top, right, bottom};
}

TEST(BackgroundLayout, CoversThePrimaryMonitorAndCropsEvenly) {
    const RECT screen = Rect(0, 0, 1920, 1080);
    struct Case {
        SIZE picture;
        RECT expected;
    };
    // Wider, taller and smaller pictures on the real screen are the background's tests.
    const Case cases[] = {
        {{1920, 1080}, Rect(0, 0, 1920, 1080)},
        {{1000, 1000}, Rect(0, -420, 1920, 1500)},
        {{1, 1}, Rect(0, -420, 1920, 1500)},
    };
    for (const Case& c : cases) {
        const BackgroundLayout layout = LayoutBackground(screen, screen, c.picture);
        EXPECT_TRUE(EqualRect(&layout.picture, &c.expected))
            << c.picture.cx << "x" << c.picture.cy << " -> " << layout.picture.left << "," << layout.picture.top
            << "," << layout.picture.right << "," << layout.picture.bottom;
    }
    const BackgroundLayout odd = LayoutBackground(Rect(0, 0, 1280, 1024), Rect(0, 0, 1280, 1024), SIZE{1000, 700});
    EXPECT_EQ(odd.picture.right - odd.picture.left, 1463);  // 1000 x 1024/700 = 1462.86, rounded up
    EXPECT_EQ(odd.picture.left, 640 - 731);
}

TEST(BackgroundLayout, PrimaryMonitorWithinTheVirtualScreen) {
    // Primary on the right of a secondary monitor: negative virtual left.
    const BackgroundLayout right = LayoutBackground(Rect(-1280, 0, 1920, 1080), Rect(0, 0, 1920, 1080), SIZE{100, 100});
    EXPECT_EQ(right.primaryOrigin.x, 1280);
    EXPECT_EQ(right.primaryOrigin.y, 0);
    EXPECT_EQ(right.primarySize.cx, 1920);
    // A taller secondary monitor above the primary's top.
    const BackgroundLayout above = LayoutBackground(Rect(0, -300, 3840, 1080), Rect(0, 0, 1920, 1080), SIZE{16, 9});
    EXPECT_EQ(above.primaryOrigin.x, 0);
    EXPECT_EQ(above.primaryOrigin.y, 300);
    EXPECT_EQ(above.picture.right - above.picture.left, 1920);
    // Nothing to cover: the picture keeps its own size.
    const BackgroundLayout empty = LayoutBackground(Rect(0, 0, 0, 0), Rect(0, 0, 0, 0), SIZE{10, 20});
    EXPECT_EQ(empty.picture.right, 10);
    EXPECT_EQ(empty.picture.bottom, 20);
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

TEST(PictureHeader, SizesOfTheCommonFormats) {
    PictureSize size;
    const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                           0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
    ASSERT_TRUE(PictureSizeFromHeader(png, sizeof(png), size));
    EXPECT_EQ(size.width, 20000);
    EXPECT_EQ(size.height, 20000);
    EXPECT_FALSE(PictureSizeFromHeader(png, 20, size)) << "cut short";

    const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00};
    ASSERT_TRUE(PictureSizeFromHeader(gif, sizeof(gif), size));
    EXPECT_EQ(size.width, 320);
    EXPECT_EQ(size.height, 240);

    uint8_t bmp[26] = {'B', 'M'};
    bmp[14] = 40;
    bmp[18] = 0x00; bmp[19] = 0x0F;              // 3840
    bmp[22] = 0x88; bmp[23] = 0xF7; bmp[24] = 0xFF; bmp[25] = 0xFF;  // -2168: top-down
    ASSERT_TRUE(PictureSizeFromHeader(bmp, sizeof(bmp), size));
    EXPECT_EQ(size.width, 3840);
    EXPECT_EQ(size.height, 2168);

    const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xFF, 0xC0, 0x00, 0x11,
                            0x08, 0x08, 0x70, 0x0F, 0x00, 0x03};
    ASSERT_TRUE(PictureSizeFromHeader(jpeg, sizeof(jpeg), size));
    EXPECT_EQ(size.width, 3840);
    EXPECT_EQ(size.height, 2160);
    const uint8_t scanFirst[] = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC0};
    EXPECT_FALSE(PictureSizeFromHeader(scanFirst, sizeof(scanFirst), size));
    const uint8_t zeroLength[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xC0, 0, 0};
    EXPECT_FALSE(PictureSizeFromHeader(zeroLength, sizeof(zeroLength), size));

    const uint8_t text[] = "not a picture at all";
    EXPECT_FALSE(PictureSizeFromHeader(text, sizeof(text), size));
    EXPECT_FALSE(PictureSizeFromHeader(nullptr, 100, size));
}

TEST(RestartMarker, ValueRunsToTheNextSpace) {
    // The marker as a restart passes it on is the restart's end-to-end test.
    const exstring marker = L"/KVORM_EXRRESTART:";
    RestartMarkerParse parse = ParseRestartMarker(L" a /KVORM_EXRRESTART:M1 b c\t", marker);
    EXPECT_EQ(parse.value, exstring(L"M1"));
    EXPECT_EQ(parse.remaining, exstring(L"a  b c"));

    parse = ParseRestartMarker(L"+lock /kvorm_exrrestart:M1", marker);
    EXPECT_FALSE(parse.found) << "letter case matters";
    EXPECT_EQ(parse.remaining, exstring(L"+lock /kvorm_exrrestart:M1"));

    parse = ParseRestartMarker(L"/KVORM_EXRRESTART: +lock", marker);
    EXPECT_TRUE(parse.found);
    EXPECT_TRUE(parse.value.empty());
    EXPECT_EQ(parse.remaining, exstring(L"+lock"));
}

TEST(Restart, HandoverMutexesAreNumberedFrom1000) {
    SetEnvironmentVariableW(L"MG_LOCKHOST_MODE", L"exit");  // the successors end at once
    exrestart restart(L"MGTNUMBER");
    restart.SetProgram(TestDirectory() + L"lockhost.exe");
    ASSERT_TRUE(restart.Restart());
    EXPECT_EQ(restart.HandoverName(), exstring(L"MGTNUMBER_EXRSIPM1000"));
    ASSERT_TRUE(restart.Restart());
    EXPECT_EQ(restart.HandoverName(), exstring(L"MGTNUMBER_EXRSIPM1001"));
    SetEnvironmentVariableW(L"MG_LOCKHOST_MODE", nullptr);

    const UniqueHandle first(OpenMutexW(SYNCHRONIZE, FALSE, L"MGTNUMBER_EXRSIPM1000"));
    ASSERT_TRUE(first.Held()) << "kept while this process lives";

    exrestart failing(L"MGTFAIL");
    failing.SetProgram(L"C:\\no\\such\\program.exe");
    EXPECT_FALSE(failing.Restart());
    HANDLE released = OpenMutexW(SYNCHRONIZE, FALSE, L"MGTFAIL_EXRSIPM1000");
    EXPECT_EQ(released, nullptr) << "a failed launch gives the mutex up";
}

} // namespace
