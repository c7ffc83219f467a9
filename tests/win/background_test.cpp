// The lock background rendered for real: colours, pictures placed on the
// screen, and pictures that must not hurt the lock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
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

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kPlain = RGB(10, 20, 30);

using e2e::TempPath;

void WriteBytes(const exstring& path, const std::vector<uint8_t>& bytes) {
    const UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// A 24-bit bottom-up BMP whose pixels come from `color`.
std::vector<uint8_t> Bmp(int width, int height, const std::function<COLORREF(int, int)>& color) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride * height);
    std::vector<uint8_t> bytes(54 + imageSize, 0);
    auto put32 = [&bytes](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &bytes[54 + static_cast<size_t>(height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
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
    void SetUp() override {
        SettingsStore store;
        store.machineRoot = machine.Handle();
        store.userRoot = user.Handle();
        settings = std::make_unique<mgtSettings>(store);
        settings->bgColor = kPlain;
        settings->bgImage.clear();
        screen = SIZE{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    // The picture is read off the thread: a render shows it once the read is in.
    static void RenderFully(mgtBgDlg& background) {
        background.Render();
        ASSERT_TRUE(WaitFor([&] { return background.FinishPictureLoad(); }, std::chrono::seconds(10)));
    }
    COLORREF RenderAndSample(int x, int y) {
        mgtBgDlg background(*settings);
        RenderFully(background);
        return Shown(background, x, y);
    }
    ScratchKey machine{L"bg-machine"};
    ScratchKey user{L"bg-user"};
    std::unique_ptr<mgtSettings> settings;
    SIZE screen{};
};

TEST_F(Background, PlainColourCoversTheVirtualScreen) {
    mgtBgDlg background(*settings);
    RenderFully(background);
    EXPECT_EQ(Shown(background, 0, 0), kPlain);
    EXPECT_EQ(Shown(background, screen.cx - 1, screen.cy - 1), kPlain);

    settings->bgColor = 0xFFFFFFFF;
    EXPECT_EQ(RenderAndSample(5, 5), GetSysColor(COLOR_BACKGROUND));
    settings->bgColor = 0x01000000;
    EXPECT_EQ(RenderAndSample(5, 5), GetSysColor(COLOR_BACKGROUND));
}

// Pictures cover the screen, cropped evenly: three bands along the longer
// side, of which the outer two fall off; a small one is enlarged.
TEST_F(Background, PicturesCoverTheScreenCroppedEvenly) {
    const int w = screen.cx, h = screen.cy;
    struct Case {
        const char* what;
        SIZE size;
        std::function<COLORREF(int, int)> color;
        std::vector<std::pair<POINT, COLORREF>> samples;
    };
    const Case cases[] = {
        {"wider", {2 * w, h}, [&](int x, int) { return x < w / 2 ? kRed : (x >= w * 3 / 2 ? kBlue : kGreen); },
         {{{2, h / 2}, kGreen}, {{w - 3, h / 2}, kGreen}, {{w / 2, 2}, kGreen}}},
        {"taller", {w, 2 * h}, [&](int, int y) { return y < h / 2 ? kRed : (y >= h * 3 / 2 ? kBlue : kGreen); },
         {{{w / 2, 2}, kGreen}, {{w / 2, h - 3}, kGreen}}},
        {"smaller", {w / 4, h / 4}, [&](int x, int) { return x < w / 8 ? kRed : kBlue; },
         {{{w / 8, h / 2}, kRed}, {{w * 7 / 8, h / 2}, kBlue}, {{w / 8, 3}, kRed}}},
    };
    for (const Case& c : cases) {
        WriteBytes(TempPath(L"mg_small.bmp"), Bmp(c.size.cx, c.size.cy, c.color));
        settings->bgImage = L"%TEMP%\\mg_small.bmp";
        mgtBgDlg background(*settings);
        EXPECT_EQ(background.PicturePath(), TempPath(L"mg_small.bmp")) << "paths are expanded";
        RenderFully(background);
        for (const auto& sample : c.samples)
            EXPECT_EQ(Shown(background, sample.first.x, sample.first.y), sample.second)
                << c.what << " at " << sample.first.x << "," << sample.first.y;
    }
    DeleteFileW(TempPath(L"mg_small.bmp").c_str());
}

// Also: the decoded picture holds no file, so the user can replace or delete it.
TEST_F(Background, ReRenderingCopiesWithoutDecodingAgain) {
    const exstring path = TempPath(L"mg_cached.bmp");
    WriteBytes(path, Bmp(64, 64, [](int, int) { return kGreen; }));
    settings->bgImage = path;
    mgtBgDlg background(*settings);
    RenderFully(background);
    ASSERT_EQ(Shown(background, 10, 10), kGreen);
    EXPECT_LT(background.Bitmap().BitmapWidth(), screen.cx) << "the picture is painted from, not copied";

    // Spoil the file but keep its time stamp: only a new decode would notice.
    {
        const UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(file.Held()) << "the picture is still open elsewhere: " << GetLastError();
        FILETIME written{};
        GetFileTime(file.Get(), nullptr, nullptr, &written);
        SetFilePointer(file.Get(), 54, nullptr, FILE_BEGIN);
        const std::vector<uint8_t> junk(64 * 64 * 3, 0x00);
        DWORD count = 0;
        WriteFile(file.Get(), junk.data(), static_cast<DWORD>(junk.size()), &count, nullptr);
        SetFileTime(file.Get(), nullptr, nullptr, &written);
    }

    RenderFully(background);
    EXPECT_EQ(Shown(background, 10, 10), kGreen);
    settings->bgColor = kRed;  // a new colour still re-renders the plain parts
    RenderFully(background);
    EXPECT_EQ(Shown(background, 10, 10), kGreen);

    const exstring replacement = TempPath(L"mg_cached_new.bmp");
    WriteBytes(replacement, Bmp(64, 64, [](int, int) { return kBlue; }));
    EXPECT_TRUE(MoveFileExW(replacement.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) << GetLastError();
    RenderFully(background);
    EXPECT_EQ(Shown(background, 10, 10), kBlue) << "a replaced picture shows at the next render";
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

SYSTEMTIME clockNow{};
void WINAPI FixedClock(LPSYSTEMTIME now) {
    *now = clockNow;
}

TEST_F(Background, ClockTurnsOverAtTheMinuteWithoutDecodingAgain) {
    const exstring path = TempPath(L"mg_clock.bmp");
    WriteBytes(path, Bmp(64, 64, [](int, int) { return kGreen; }));
    settings->bgImage = path;
    clockNow = SYSTEMTIME{2026, 12, 1, 7, 14, 5, 59, 900};  // Monday, a tenth of a second before 14:06
    mgtBgDlg background(*settings);
    background.SetTimeSource(FixedClock);
    ASSERT_TRUE(background.Create(nullptr));
    RenderFully(background);
    // The test prefix's user locale is English (United States).
    EXPECT_EQ(background.ClockShown().time, exstring(L"2:05 PM"));
    EXPECT_EQ(background.ClockShown().date, exstring(L"Monday, December 7, 2026"));
    const RECT area = background.ClockRect();
    EXPECT_EQ(area.left, screen.cy / 24) << "lower left of the primary monitor";
    EXPECT_EQ(area.bottom, screen.cy - screen.cy / 24);
    EXPECT_NE(Shown(background, area.left + 2, area.bottom - 3), kGreen) << "the plate darkens the picture";
    EXPECT_EQ(Shown(background, area.right + 2, area.bottom - 3), kGreen) << "nothing drawn beside the clock";

    const unsigned long decodes = mgtBgDlg::Decodes();
    const COLORREF plate = Shown(background, area.left + 2, area.bottom - 3);
    clockNow = SYSTEMTIME{2026, 12, 1, 7, 14, 6, 0, 0};
    SendMessageW(background.Handle(), WM_TIMER, mgtBgDlg::kClockTimer, 0);
    EXPECT_EQ(background.ClockShown().time, exstring(L"2:06 PM"));
    EXPECT_EQ(Shown(background, area.left + 2, area.bottom - 3), plate) << "the plate is not darkened twice";
    EXPECT_EQ(mgtBgDlg::Decodes(), decodes);
    clockNow.wHour = 9;  // the user sets the clock
    SendMessageW(background.Handle(), WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(background.ClockShown().time, exstring(L"9:06 AM"));


    settings->showClock = false;
    RenderFully(background);
    EXPECT_TRUE(IsRectEmpty(&background.ClockRect()));
    EXPECT_EQ(Shown(background, area.left + 2, area.bottom - 3), kGreen) << "no clock, no plate";
    DeleteFileW(path.c_str());
}

// The first and last rows of the clock's band that hold white type, or -1.
std::pair<int, int> TypeRows(const mgtBgDlg& background) {
    const RECT area = background.ClockRect();
    const HDC dc = background.Bitmap().Dc();
    std::pair<int, int> rows{-1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetPixel(dc, x, y) == RGB(255, 255, 255)) {
                if (rows.first < 0) rows.first = y;
                rows.second = y;
                break;
            }
    return rows;
}

// The owner's message goes under the date on the clock's plate, wrapped, and
// stays when the clock is off; the clock keeps its place at the bottom.
TEST_F(Background, MessageBelowTheClock) {
    const exstring longest = [] {
        exstring text;
        while (text.size() + 5 <= kLockMessageChars) text += L"word ";
        return text;
    }();
    const struct {
        const wchar_t* message;
        bool clock;
    } cases[] = {{L"", true}, {L"Acme IT: +1 555 0100", true}, {longest.c_str(), true}, {L"Acme IT", false}};
    std::vector<std::pair<int, int>> rows;
    std::vector<RECT> areas;
    for (const auto& c : cases) {
        settings->lockMessage = c.message;
        settings->showClock = c.clock;
        mgtBgDlg background(*settings);
        RenderFully(background);
        areas.push_back(background.ClockRect());
        rows.push_back(TypeRows(background));
        EXPECT_EQ(Shown(background, 3, 3), kPlain) << "the message stays in its band";
    }
    const int clockHeight = rows[0].second - rows[0].first;
    ASSERT_GT(clockHeight, 0) << "no clock drawn";
    EXPECT_EQ(areas[1].bottom, areas[0].bottom);
    EXPECT_LT(areas[1].top, areas[0].top) << "room above for the message below";
    EXPECT_LT(rows[1].first, rows[0].first - clockHeight / 5) << "the clock moves up over one line of message";
    EXPECT_LT(rows[2].first, rows[1].first - clockHeight / 5) << "a long message wraps to more lines";
    EXPECT_GE(rows[2].first, areas[2].top) << "the clock is not cut";
    EXPECT_FALSE(IsRectEmpty(&areas[3])) << "the message shows without the clock";
    EXPECT_GT(rows[3].first, 0);
    EXPECT_LT(rows[3].second - rows[3].first, clockHeight / 2) << "one line of message, no clock";
}

// In high contrast the plate is the scheme's window colour, opaque, and the
// type its text colour; otherwise the plate lets the background through.
// (Wine keeps no high-contrast flag to switch, so the colours are given.)
TEST(LockClock, HighContrastUsesTheSchemesColours) {
    const RECT area{0, 0, 400, 120};
    ClockFonts fonts;
    ASSERT_TRUE(fonts.Make(area));
    for (bool highContrast : {false, true}) {
        OffscreenBuffer canvas(OffscreenBuffer::Kind::Dib32);
        const HDC dc = canvas.Get(nullptr, 400, 120);
        const UniqueBrush red(CreateSolidBrush(kRed));
        FillRect(dc, &area, red.Get());
        DrawClock(dc, area, ClockText{L"12:00", L"Monday", L"Call IT"}, fonts, ClockColorsFor(highContrast));
        const COLORREF plate = GetPixel(dc, 2, 118);
        EXPECT_EQ(plate == GetSysColor(COLOR_WINDOW), highContrast) << std::hex << plate;
        bool textColour = false;
        for (int y = 0; y < 120 && !textColour; ++y)
            for (int x = 0; x < 400 && !textColour; ++x)
                textColour = GetPixel(dc, x, y) == GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_TRUE(textColour || !highContrast) << "no type in the scheme's text colour";
    }
}

// The screen is covered by the colour alone before the clock and the picture;
// they follow from the message loop without another render.
TEST_F(Background, FirstFrameIsTheColourAndTheRestFollows) {
    const exstring path = TempPath(L"mg_first.bmp");
    WriteBytes(path, Bmp(64, 64, [](int, int) { return kGreen; }));
    settings->bgImage = path;
    mgtBgDlg background(*settings);
    ASSERT_TRUE(background.Create(nullptr));
    ShowWindow(background.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(background.Handle());
    const POINT probe{screen.cx / 24 + 2, screen.cy - screen.cy / 24 - 3};  // inside the clock's plate
    EXPECT_EQ(ScreenPixel(background.Handle(), probe.x, probe.y), kPlain);
    EXPECT_TRUE(IsRectEmpty(&background.ClockRect()));
    ASSERT_TRUE(WaitFor([&] { return background.FinishPictureLoad() && !IsRectEmpty(&background.ClockRect()); }, 10s));
    EXPECT_NE(Shown(background, probe.x, probe.y), kGreen) << "the plate over the picture";
    EXPECT_EQ(Shown(background, screen.cx - 3, 3), kGreen);
    DeleteFileW(path.c_str());
}

TEST_F(Background, ClockWaitsForTheNextMinuteBoundary) {
    struct {
        WORD second, millisecond;
        UINT wait;
    } cases[] = {{59, 900, 100}, {0, 0, 60000}, {30, 250, 29750}, {0, 1, 59999}, {61, 5000, 1}};
    for (const auto& c : cases) {
        const SYSTEMTIME now{2026, 12, 1, 7, 14, 5, c.second, c.millisecond};
        EXPECT_EQ(MillisecondsToNextMinute(now), c.wait) << c.second << "." << c.millisecond;
    }
}

TEST_F(Background, BadPicturesLeaveThePlainColour) {
    struct Case {
        const wchar_t* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> truncated = Bmp(100, 100, [](int, int) { return kRed; });
    truncated.resize(200);
    const std::vector<uint8_t> enormousPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                              'I',  'H', 'D', 'R', 0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20,
                                              8,    2,   0,   0,   0, 0, 0, 0, 0};
    std::vector<uint8_t> enormousBmp = Bmp(4, 4, [](int, int) { return kRed; });
    enormousBmp[18] = 0x20; enormousBmp[19] = 0x4E;  // 20000 x 20000, with 16 pixels of data
    enormousBmp[22] = 0x20; enormousBmp[23] = 0x4E;
    std::vector<uint8_t> noise(4096);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const Case cases[] = {
        {L"mg_truncated.bmp", truncated}, {L"mg_enormous.png", enormousPng}, {L"mg_enormous.bmp", enormousBmp},
        {L"mg_noise.png", noise},         {L"mg_empty.jpg", {}},
    };
    for (const Case& c : cases) {
        WriteBytes(TempPath(c.name), c.bytes);
        settings->bgImage = TempPath(c.name);
        EXPECT_EQ(RenderAndSample(screen.cx / 2, screen.cy / 2), kPlain) << exstring(c.name).ToUtf8();
        DeleteFileW(TempPath(c.name).c_str());
    }
    settings->bgImage = TempPath(L"mg_missing.bmp");
    EXPECT_EQ(RenderAndSample(5, 5), kPlain);
    settings->bgImage = TempPath(L"");  // a folder
    EXPECT_EQ(RenderAndSample(5, 5), kPlain);
}

TEST_F(Background, SystemWallpaper) {
    const exstring path = TempPath(L"mg_wallpaper.bmp");
    WriteBytes(path, Bmp(32, 32, [](int, int) { return kBlue; }));
    const ByteBuffer saved = ReadValue(L"Control Panel\\Desktop", L"WallPaper");
    auto setWallpaper = [](const exstring& value) {
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WallPaper", value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), REG_SZ));
    };
    setWallpaper(path);
    settings->bgImage = L"SYSTEM";
    EXPECT_EQ(RenderAndSample(screen.cx / 2, screen.cy / 2), kBlue);
    setWallpaper(L"");
    EXPECT_EQ(RenderAndSample(screen.cx / 2, screen.cy / 2), kPlain) << "no wallpaper configured";
    EXPECT_TRUE(WriteValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"WallPaper", saved.Data(),
                           static_cast<DWORD>(saved.Size()), REG_SZ));
    DeleteFileW(path.c_str());
}

// That it covers the screen is the lock's end-to-end tests'.
TEST_F(Background, WindowRefusesToCloseAndFollowsADisplayChange) {
    mgtBgDlg background(*settings);
    ASSERT_TRUE(background.Create(nullptr));
    EXPECT_EQ(SendMessageW(background.Handle(), WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(background.Handle()));
    settings->bgColor = kGreen;
    SendMessageW(background.Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(screen.cx, screen.cy));
    EXPECT_EQ(Shown(background, 3, 3), kGreen);
}

// The Run entry the mark keeps is the settings' test; the end of a lock
// through the password, the guardian's.
TEST_F(Background, ALockThatCannotGoOnStaysMarked) {
    mgtLocker locker(settings.get(), nullptr);
    // Before the dialog, whose start may be slow: the task manager could end the lock meanwhile.
    locker.HoldInput(nullptr);
    EXPECT_TRUE(TaskManagerPolicy(settings->Store()).HasRecord()) << "the task manager is open while the dialog is made";
    EXPECT_NE(locker.TimerId(), 0u) << "no watchdog while the dialog is made";
    TestWindow dialog(L"unlock");
    locker.Start(dialog.Handle(), nullptr);
    EXPECT_TRUE(settings->LockingFlag());
    // The right password is final whatever became of the hooks (here: gone).
    locker.Abandon();
    EXPECT_TRUE(settings->LockingFlag()) << "a lock that cannot go on stays marked";
    locker.Stop();
    EXPECT_FALSE(settings->LockingFlag());
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
    UnlockServices services{*settings, locker, strings, menu, nullptr, nullptr, nullptr};
    services.displayName = SlowDisplayName;
    mgtUnlockDlg dialog(false, std::move(services));
    ASSERT_TRUE(dialog.StartLock());
    EXPECT_TRUE(locker.IsLocked());
    SetEvent(answers.Get());
    const auto namedLine = [&] {
        for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            if (WindowTextOf(child).find(L"Locked by Slow Name") == 0) return true;
        return false;
    };
    EXPECT_TRUE(WaitFor(namedLine, 5s)) << "the name never reached the dialog";
    EXPECT_FALSE(g_nameWaitedOut) << "the lock start waited for the display name";
    locker.Stop();
}

} // namespace
