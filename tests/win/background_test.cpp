// The lock background rendered for real: colours, pictures, the clock, and pictures that must not hurt the lock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <vector>

#include "lang/mgtmlang.h"
#include "lock/mgtbgdlg.h"
#include "lock/mgtlocker.h"
#include "lock/mgtunlockdlg.h"
#include "settings/registry.h"
#include "settings/taskmgrpolicy.h"
#include "testsupport.h"
#include "../../toolkit/controls/exmenu.h"

namespace {

using namespace std::chrono_literals;
using e2e::TempPath;
using e2e::WriteBmp;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kPlain = RGB(10, 20, 30);

void WriteBytes(const exstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A 32-bit bottom-up BMP whose pixels come from `color`.
std::vector<uint8_t> Bmp(int width, int height, const std::function<COLORREF(int, int)>& color) {
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    std::vector<uint8_t> bytes(headers + static_cast<size_t>(width) * height * 4);
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(bytes.size()), 0, 0, headers};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            const DWORD pixel = RGB(GetBValue(c), GetGValue(c), GetRValue(c));
            std::memcpy(&bytes[headers + (static_cast<size_t>(height - 1 - y) * width + x) * 4], &pixel, 4);
        }
    return bytes;
}

// What the window shows at (x, y), painted as its WM_PAINT paints it.
COLORREF Shown(const mgtBgDlg& background, int x, int y) {
    OffscreenBuffer pixel(OffscreenBuffer::Kind::Dib32);
    HDC dc = pixel.Get(nullptr, 1, 1);
    SetViewportOrgEx(dc, -x, -y, nullptr);
    background.Paint(dc, RECT{x, y, x + 1, y + 1});
    return GetPixel(dc, x, y);
}

class Background : public ::testing::Test {
protected:
    Background() { settings.bgColor = kPlain; }
    // The picture is read off the thread: a render shows it once the read is in.
    static void RenderFully(mgtBgDlg& background) {
        background.Render();
        ASSERT_TRUE(WaitFor([&] { return background.FinishPictureLoad(); }, std::chrono::seconds(10)));
    }
    COLORREF RenderAndSample(int x, int y) {
        mgtBgDlg background(settings);
        RenderFully(background);
        return Shown(background, x, y);
    }
    ScratchRoots roots{L"bg"};
    mgtSettings settings{roots.Store()};
    const SIZE screen{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
};

// Of three bands along the picture's longer side the outer two fall off.
TEST_F(Background, PicturesCoverTheScreenCroppedEvenly) {
    const int w = screen.cx, h = screen.cy;
    const struct {
        SIZE size;
        std::function<COLORREF(int, int)> color;
        std::vector<POINT> greens;
    } cases[] = {
        {{2 * w, h}, [&](int x, int) { return x < w / 2 ? kRed : (x >= w * 3 / 2 ? kBlue : kGreen); },
         {{2, h / 2}, {w - 3, h / 2}, {w / 2, 2}}},
    };
    for (const auto& c : cases) {
        WriteBytes(TempPath(L"mg_cover.bmp"), Bmp(c.size.cx, c.size.cy, c.color));
        settings.bgImage = L"%TEMP%\\mg_cover.bmp";  // loaded from the expanded path
        mgtBgDlg background(settings);
        RenderFully(background);
        for (const POINT& at : c.greens)
            EXPECT_EQ(Shown(background, at.x, at.y), kGreen) << c.size.cx << " wide, at " << at.x << "," << at.y;
    }
    DeleteFileW(TempPath(L"mg_cover.bmp").c_str());
}

SYSTEMTIME clockNow{};
void WINAPI FixedClock(LPSYSTEMTIME now) {
    *now = clockNow;
}

// The colour first, then picture and clock; the clock turns over, a display or setting change composes again.
TEST_F(Background, FirstTheColourThenThePictureAndTheClock) {
    const exstring path = TempPath(L"mg_clock.bmp");
    WriteBmp(path, kGreen);
    settings.bgImage = path;
    clockNow = SYSTEMTIME{2026, 12, 1, 7, 14, 5, 59, 900};  // Monday, a tenth of a second before 14:06
    mgtBgDlg background(settings);
    background.SetTimeSource(FixedClock);
    ASSERT_TRUE(background.Create(nullptr));
    ShowWindow(background.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(background.Handle());
    const POINT plate{screen.cy / 24 + 2, screen.cy - screen.cy / 24 - 3};
    // The display may show the frame a moment later; no message is handled meanwhile, so nothing else is drawn.
    COLORREF first = 0;
    for (int tries = 0; tries < 200 && (first = ScreenPixel(background.Handle(), plate.x, plate.y)) == 0; ++tries)
        Sleep(10);
    EXPECT_EQ(first, kPlain) << "the clock came before the first frame";
    ASSERT_TRUE(WaitFor([&] { return background.FinishPictureLoad() && !IsRectEmpty(&background.ClockRect()); }, 10s));

    // The test prefix's user locale is English (United States).
    EXPECT_EQ(background.ClockShown().time, exstring(L"2:05 PM"));
    EXPECT_EQ(background.ClockShown().date, exstring(L"Monday, December 7, 2026"));
    const RECT area = background.ClockRect();
    EXPECT_EQ(area.left, screen.cy / 24) << "lower left of the primary monitor";
    EXPECT_EQ(area.bottom, screen.cy - screen.cy / 24);
    const COLORREF darkened = Shown(background, plate.x, plate.y);
    EXPECT_NE(darkened, kGreen) << "the plate darkens the picture";
    EXPECT_EQ(Shown(background, area.right + 2, plate.y), kGreen) << "nothing drawn beside the clock";

    const unsigned long decodes = mgtBgDlg::Decodes();
    clockNow = SYSTEMTIME{2026, 12, 1, 7, 14, 6, 0, 0};
    SendMessageW(background.Handle(), WM_TIMER, mgtBgDlg::kClockTimer, 0);
    EXPECT_EQ(background.ClockShown().time, exstring(L"2:06 PM"));
    EXPECT_EQ(Shown(background, plate.x, plate.y), darkened) << "the plate is not darkened twice";
    clockNow.wHour = 9;  // the user sets the clock
    SendMessageW(background.Handle(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(background.ClockShown().time, exstring(L"9:06 AM"));

    settings.showClock = false;
    SendMessageW(background.Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen.cx, screen.cy));
    EXPECT_EQ(Shown(background, plate.x, plate.y), kGreen) << "no clock, no plate";

    // The file was read whole and let go: the owner may replace or delete it.
    SendMessageW(background.Handle(), WM_SETTINGCHANGE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return background.FinishPictureLoad(); }, 10s));
    EXPECT_EQ(mgtBgDlg::Decodes(), decodes) << "an unchanged picture decoded again";
    const exstring replacement = TempPath(L"mg_clock_new.bmp");
    WriteBmp(replacement, kBlue);
    EXPECT_TRUE(MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << GetLastError();
    SendMessageW(background.Handle(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return background.FinishPictureLoad() && Shown(background, 10, 10) == kBlue; }, 10s));
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

// The first and last rows of `area` on `dc` that hold a pixel of `ink`, or -1.
std::pair<int, int> InkRows(HDC dc, const RECT& area, COLORREF ink) {
    std::pair<int, int> rows{-1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) == ink) {
                if (rows.first < 0) rows.first = y;
                rows.second = y;
                break;
            }
    return rows;
}

// The owner's message goes under the date, wrapped, also without the clock; the clock keeps its place at the bottom.
TEST_F(Background, MessageBelowTheClock) {
    exstring longest;
    while (longest.size() + 5 <= kLockMessageChars) longest += L"word ";
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"", true}, {L"Acme IT: +1 555 0100", true}, {longest.c_str(), true}, {L"Acme IT", false}};
    std::vector<std::pair<int, int>> rows;
    std::vector<RECT> areas;
    for (const auto& [message, clock] : cases) {
        settings.lockMessage = message;
        settings.showClock = clock;
        mgtBgDlg background(settings);
        RenderFully(background);
        areas.push_back(background.ClockRect());
        rows.push_back(InkRows(background.Bitmap().Dc(), background.ClockRect(), RGB(255, 255, 255)));
    }
    const int clockHeight = rows[0].second - rows[0].first;
    ASSERT_GT(clockHeight, 0) << "no clock drawn";
    EXPECT_EQ(areas[1].bottom, areas[0].bottom);
    EXPECT_LT(areas[1].top, areas[0].top) << "room above for the message below";
    EXPECT_LT(rows[1].first, rows[0].first - clockHeight / 5) << "the clock moves up over one line of message";
    EXPECT_LT(rows[2].first, rows[1].first - clockHeight / 5) << "a long message wraps to more lines";
    EXPECT_GT(rows[2].first, areas[2].top) << "the clock is not cut";
    EXPECT_GT(rows[3].first, 0) << "the message shows without the clock";
    EXPECT_LT(rows[3].second - rows[3].first, clockHeight / 2) << "one line of message, no clock";
}

// In high contrast the plate is the scheme's window colour and the type its text colour (Wine has no switch).
TEST(LockClock, HighContrastUsesTheSchemesColours) {
    const RECT area{0, 0, 400, 120};
    ClockFonts fonts;
    ASSERT_TRUE(fonts.Make(area));
    for (bool highContrast : {false, true}) {
        OffscreenBuffer canvas(OffscreenBuffer::Kind::Dib32);
        const HDC dc = canvas.Get(nullptr, 400, 120);
        DrawClock(dc, area, ClockText{L"12:00", L"Monday", L"Call IT"}, fonts, ClockColorsFor(highContrast));
        const COLORREF plate = GetPixel(dc, 2, 118);
        EXPECT_EQ(plate == GetSysColor(COLOR_WINDOW), highContrast) << std::hex << plate;
        EXPECT_TRUE(InkRows(dc, area, GetSysColor(COLOR_WINDOWTEXT)).first >= 0 || !highContrast)
            << "no type in the scheme's text colour";
    }
}

TEST(LockClock, WaitsForTheNextMinuteBoundary) {
    const struct { WORD second, millisecond, wait; } cases[] = {
        {59, 900, 100}, {0, 0, 60000}, {30, 250, 29750}, {0, 1, 59999}, {61, 5000, 1}};
    for (const auto& c : cases) {
        const SYSTEMTIME now{2026, 12, 1, 7, 14, 5, c.second, c.millisecond};
        EXPECT_EQ(MillisecondsToNextMinute(now), c.wait) << c.second << "." << c.millisecond;
    }
}

// "System" is the wallpaper; a picture that cannot be shown leaves the colour (high bit: the desktop's).
TEST_F(Background, SystemIsTheWallpaperAndWhatCannotBeShownLeavesTheColour) {
    const exstring path = TempPath(L"mg_wallpaper.bmp");
    WriteBmp(path, kBlue);
    const ByteBuffer saved = ReadValue(L"Control Panel\\Desktop", L"WallPaper");
    EXPECT_TRUE(WriteValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WallPaper", path.c_str(),
                           static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)), REG_SZ));
    settings.bgImage = L"SYSTEM";
    EXPECT_EQ(RenderAndSample(screen.cx / 2, screen.cy / 2), kBlue);
    EXPECT_TRUE(WriteValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WallPaper", saved.Data(),
                           static_cast<DWORD>(saved.Size()), REG_SZ));

    std::vector<uint8_t> truncated = Bmp(100, 100, [](int, int) { return kRed; });
    truncated.resize(200);
    WriteBytes(path, truncated);
    settings.bgColor = 0x01000000;
    for (const exstring& unshown : {path, TempPath(L"mg_missing.bmp")}) {
        settings.bgImage = unshown;
        EXPECT_EQ(RenderAndSample(screen.cx / 2, screen.cy / 2), GetSysColor(COLOR_BACKGROUND)) << unshown.ToUtf8();
    }
    DeleteFileW(path.c_str());
}

TEST_F(Background, ALockThatCannotGoOnStaysMarked) {
    mgtLocker locker(&settings, nullptr);
    // Before the dialog, whose start may be slow: the task manager could end the lock meanwhile.
    locker.HoldInput(nullptr);
    EXPECT_TRUE(TaskManagerPolicy(settings.Store()).HasRecord()) << "the task manager is open while the dialog is made";
    EXPECT_NE(locker.TimerId(), 0u) << "no watchdog while the dialog is made";
    TestWindow dialog(L"unlock");
    locker.Start(dialog.Handle(), nullptr);
    locker.Abandon();  // the hooks are gone: only the right password ends the lock
    EXPECT_TRUE(settings.LockingFlag()) << "a lock that cannot go on stays marked";
    locker.Stop();
}

HANDLE g_nameAnswers = nullptr;
bool g_nameWaitedOut = false;

// As a domain controller out of reach: it answers only when the test lets it.
exstring SlowDisplayName() {
    g_nameWaitedOut = WaitForSingleObject(g_nameAnswers, 10000) != WAIT_OBJECT_0;
    return L"Slow Name";
}

TEST_F(Background, ADisplayNameThatTakesLongHoldsUpNoLockStart) {
    mgtMLang strings;
    exMenu menu;
    mgtLocker locker(nullptr, nullptr);
    const UniqueHandle answers(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_nameAnswers = answers.Get();
    UnlockServices services{settings, locker, strings, menu, nullptr, nullptr, nullptr};
    services.displayName = SlowDisplayName;
    mgtUnlockDlg dialog(false, std::move(services));
    ASSERT_TRUE(dialog.StartLock());
    SetEvent(answers.Get());
    EXPECT_TRUE(WaitFor([&] {
        for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            if (WindowTextOf(child).find(L"Locked by Slow Name") == 0) return true;
        return false;
    }, 5s)) << "the name never reached the dialog";
    EXPECT_FALSE(g_nameWaitedOut) << "the lock start waited for the display name";
    locker.Stop();
}

} // namespace
