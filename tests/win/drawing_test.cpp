// Drawing primitives checked pixel by pixel on memory DCs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "testsupport.h"
#include "toolkit/exfont.h"
#include "toolkit/exsysicon.h"
#include "toolkit/offscreenbuffer.h"
#include "toolkit/shapes.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 255, 0);

// A white 32-bit canvas of the given size.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        dc_ = buffer_.Get(nullptr, width, height);
        const RECT all{0, 0, width, height};
        SolidFill(dc_, all, kWhite);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // One character a pixel: '#' for `ink`, '.' for white, '?' for anything else.
    std::string Row(int y, COLORREF ink) const {
        std::string row;
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = At(x, y);
            row += c == ink ? '#' : (c == kWhite ? '.' : '?');
        }
        return row;
    }
    OffscreenBuffer& Buffer() { return buffer_; }

private:
    OffscreenBuffer buffer_{OffscreenBuffer::Kind::Dib32};
    HDC dc_ = nullptr;
    int width_;
    int height_;
};

TEST(OffscreenBuffer, GrowsButNeverShrinks) {
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    ASSERT_NE(buffer.Get(nullptr, 0, 0), nullptr);
    EXPECT_EQ(buffer.BitmapWidth(), 1);
    EXPECT_EQ(buffer.BitmapHeight(), 1);
    EXPECT_NE(buffer.Bits(), nullptr);

    HDC dc = buffer.Get(nullptr, 40, 30);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(buffer.BitmapWidth(), 40);
    EXPECT_EQ(buffer.BitmapHeight(), 30);
    const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);

    EXPECT_EQ(buffer.Get(nullptr, 10, 20), dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << "a smaller request reuses the bitmap";
    EXPECT_EQ(buffer.UsedWidth(), 10);
    EXPECT_EQ(buffer.BitmapWidth(), 40);

    buffer.Get(nullptr, 50, 10);
    EXPECT_EQ(buffer.BitmapWidth(), 50);
    EXPECT_EQ(buffer.BitmapHeight(), 10) << "replaced by exactly the requested size";

    OffscreenBuffer compatible(OffscreenBuffer::Kind::Compatible);
    ASSERT_NE(compatible.Get(nullptr, 8, 8), nullptr);
    EXPECT_EQ(compatible.Bits(), nullptr);
}

TEST(Shapes, SolidFillAndNoColour) {
    Canvas canvas(6, 4);
    SolidFill(canvas.Dc(), {1, 1, 4, 3}, kRed);
    EXPECT_EQ(canvas.Row(0, kRed), "......");
    EXPECT_EQ(canvas.Row(1, kRed), ".###..");
    EXPECT_EQ(canvas.Row(2, kRed), ".###..");
    SolidFill(canvas.Dc(), {0, 0, 6, 4}, kNoColor);
    SolidFill(canvas.Dc(), {0, 0, 6, 4}, 0xFFFFFFFF);
    EXPECT_EQ(canvas.Row(0, kRed), "......");
    SolidFill(nullptr, {0, 0, 6, 4}, kRed);
}

TEST(Shapes, BorderStripsPerSideWithAlpha) {
    Canvas canvas(6, 5);
    BorderStrips(canvas.Dc(), {0, 0, 6, 5}, kRed, kSideLeft | kSideBottom, 2, 0x80);
    EXPECT_EQ(canvas.Row(0, kRed), "##....");
    EXPECT_EQ(canvas.Row(2, kRed), "##....");
    EXPECT_EQ(canvas.Row(3, kRed), "######");
    EXPECT_EQ(canvas.Row(4, kRed), "######");
    GdiFlush();
    const auto* bits = static_cast<const uint32_t*>(canvas.Buffer().Bits());
    const int width = canvas.Buffer().BitmapWidth();
    const int height = canvas.Buffer().BitmapHeight();
    auto alphaAt = [&](int x, int y) { return bits[(height - 1 - y) * width + x] >> 24; };  // bottom-up rows
    EXPECT_EQ(alphaAt(0, 0), 0x80u);
    EXPECT_EQ(alphaAt(5, 4), 0x80u);
    EXPECT_EQ(alphaAt(3, 1), 0u) << "outside the strips";

    BorderStrips(canvas.Dc(), {0, 0, 6, 5}, kNoColor, kAllSides, 1);
    EXPECT_EQ(canvas.Row(0, kRed), "##....");
}

TEST(Shapes, Edge3DCorners) {
    Canvas canvas(4, 3);
    Edge3D(canvas.Dc(), {0, 0, 4, 3}, kRed, kBlue);
    EXPECT_EQ(canvas.At(0, 0), kRed);
    EXPECT_EQ(canvas.At(3, 0), kBlue) << "top-right belongs to the second colour";
    EXPECT_EQ(canvas.At(0, 2), kBlue) << "bottom-left belongs to the second colour";
    EXPECT_EQ(canvas.At(1, 1), kWhite);
    Canvas partial(4, 3);
    Edge3D(partial.Dc(), {0, 0, 4, 3}, kRed, kBlue, kSideTop);
    EXPECT_EQ(partial.Row(0, kRed), "####");
    EXPECT_EQ(partial.Row(2, kRed), "....");
}

TEST(Shapes, DottedFocusFrameAlternatesRoundTheCorners) {
    Canvas canvas(5, 4);
    FocusFrame(canvas.Dc(), {0, 0, 5, 4}, kRed);
    // Path: up the left from (0,3), along the top, down the right, back along the bottom.
    EXPECT_EQ(canvas.Row(0, kRed), ".#.#.");
    EXPECT_EQ(canvas.Row(1, kRed), "#...#");
    EXPECT_EQ(canvas.Row(2, kRed), ".....");
    EXPECT_EQ(canvas.Row(3, kRed), "#.#.#");
    EXPECT_TRUE(FocusFramePoints({0, 0, 0, 5}).empty());
}

TEST(Shapes, CheckMarkBoxAndSquare) {
    const RECT box = CheckMarkBox({0, 0, 14, 14}, 0);
    EXPECT_EQ(box.right, 13);
    EXPECT_EQ(box.bottom, 13);
    const RECT scaled = CheckMarkBox({0, 0, 20, 20}, 0.5);
    EXPECT_EQ(scaled.left, 5);
    EXPECT_EQ(scaled.right, 14) << "10 wide becomes odd";

    Canvas canvas(13, 13);
    CheckMark(canvas.Dc(), {0, 0, 13, 13}, kGreen, kBlue, kRed, kMarkSquare);
    EXPECT_EQ(canvas.At(0, 0), kBlue);
    EXPECT_EQ(canvas.At(12, 12), kBlue);
    EXPECT_EQ(canvas.At(1, 1), kGreen);
    // Inset max((int)(13 * 0.15), 2) + 1 = 3 on each side.
    EXPECT_EQ(canvas.Row(3, kRed), "???#######???");
    EXPECT_EQ(canvas.Row(9, kRed), "???#######???");
    EXPECT_EQ(canvas.Row(2, kRed), "?????????????");
    EXPECT_EQ(canvas.At(2, 6), kGreen);
}

TEST(Shapes, TickStaysInsideAndIsCentred) {
    Canvas canvas(17, 17);
    CheckMark(canvas.Dc(), {0, 0, 17, 17}, kNoColor, kNoColor, kRed, kMarkTick);
    int top = 17, bottom = -1, left = 17, right = -1;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 17; ++x)
            if (canvas.At(x, y) == kRed) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    // Inset max(2, 2) + 1 = 3: the mark's box is columns and rows 3..13.
    EXPECT_EQ(left, 3);
    EXPECT_EQ(right, 13);
    EXPECT_GE(top, 3);
    EXPECT_LE(bottom, 13);
    EXPECT_LE(std::abs((top - 3) - (13 - bottom)), 1) << "centred vertically";
    // The lowest point is where the short stroke meets the long one.
    int lowestColumn = -1;
    for (int x = 0; x < 17 && lowestColumn < 0; ++x)
        if (canvas.At(x, bottom) == kRed) lowestColumn = x;
    EXPECT_GT(lowestColumn, left);
    EXPECT_LT(lowestColumn, right);
}

TEST(Shapes, ChevronRowsShrinkByTwo) {
    Canvas canvas(9, 6);
    Chevron(canvas.Dc(), {0, 0, 9, 6}, kRed, kRed, 8, false);  // 8 becomes 7
    EXPECT_EQ(canvas.Row(1, kRed), ".#######.");
    EXPECT_EQ(canvas.Row(2, kRed), "..#####..");
    EXPECT_EQ(canvas.Row(3, kRed), "...###...");
    EXPECT_EQ(canvas.Row(4, kRed), "....#....");
    Canvas up(9, 6);
    Chevron(up.Dc(), {0, 0, 9, 6}, kRed, kBlue, 7, true);
    EXPECT_EQ(up.Row(1, kRed), "....?....");
    EXPECT_EQ(up.Row(4, kRed), ".?#####?.");
}

TEST(Shapes, ArrowPointsRight) {
    Canvas canvas(16, 16);
    Arrow(canvas.Dc(), {0, 0, 16, 16}, kRed);
    // Height 8, four columns, centred.
    EXPECT_EQ(canvas.Row(4, kRed), "......#.........");
    EXPECT_EQ(canvas.Row(7, kRed), "......####......");
    EXPECT_EQ(canvas.Row(11, kRed), "......#.........");
    EXPECT_EQ(canvas.Row(3, kRed), "................");
}

TEST(Shapes, RoundedOnlyFrom21Pixels) {
    Canvas plain(20, 21);
    RoundedRect(plain.Dc(), {0, 0, 20, 21}, kGreen, kRed, 1.0f);
    EXPECT_EQ(plain.At(0, 0), kRed) << "20 wide: a plain rectangle with square corners";
    EXPECT_EQ(plain.At(10, 10), kGreen);

    Canvas rounded(21, 21);
    RoundedRect(rounded.Dc(), {0, 0, 21, 21}, kGreen, kRed, 1.0f);
    EXPECT_EQ(rounded.At(0, 0), kWhite) << "the corner is cut";
    EXPECT_EQ(rounded.At(10, 10), kGreen);
    EXPECT_NE(rounded.At(10, 0), kWhite) << "the top edge is drawn";

    Canvas none(21, 21);
    RoundedRect(none.Dc(), {0, 0, 21, 21}, kNoColor, kNoColor, 1.0f);
    EXPECT_EQ(none.At(10, 10), kWhite);
}

TEST(Shapes, Circles) {
    Canvas canvas(20, 20);
    FillCircle(canvas.Dc(), 2, 2, 16, kBlue);
    EXPECT_EQ(canvas.At(10, 10), kBlue);
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    Canvas ring(20, 20);
    CircleOutline(ring.Dc(), {2, 2, 18, 18}, kBlue);
    EXPECT_EQ(ring.At(10, 10), kWhite);
    EXPECT_NE(ring.At(10, 2), kWhite);
}

TEST(Shapes, ContrastColour) {
    struct Case {
        COLORREF background;
        COLORREF expected;
    };
    const Case cases[] = {
        {RGB(255, 255, 255), RGB(204, 102, 0)}, {RGB(0, 0, 0), RGB(204, 102, 0)},
        {RGB(128, 128, 128), RGB(52, 26, 0)},   {RGB(37, 37, 37), RGB(255, 139, 23)},
        {RGB(128, 64, 0), RGB(255, 166, 77)},
    };
    for (const Case& c : cases) EXPECT_EQ(ContrastColor(c.background), c.expected) << std::hex << c.background;
}

TEST(Shapes, RectangleHelpers) {
    const RECT wide = MakeSquare({0, 0, 10, 4});
    EXPECT_EQ(wide.left, 3);
    EXPECT_EQ(wide.right, 7);
    const RECT odd = MakeSquare({0, 0, 4, 9});
    EXPECT_EQ(odd.top, 2);  // (9/2 - 4/2) = 2.5 truncated
    EXPECT_EQ(odd.bottom, 7);
    const RECT centred = CenterRectIn({0, 0, 3, 3}, {10, 10, 20, 20});
    EXPECT_EQ(centred.left, 14);
    EXPECT_EQ(centred.top, 14);
}

TEST(FontUnits, RoundingHalvesAwayFromZero) {
    EXPECT_EQ(MetricsFromSample(286, 16).averageWidth, 6);
    EXPECT_EQ(MetricsFromSample(285, 16).averageWidth, 5);
    const FontMetrics metrics{16, 7};
    const POINT margins = DialogUnitsToPixels(metrics, 7, 7);
    EXPECT_EQ(margins.x, 12);  // 12.25
    EXPECT_EQ(margins.y, 14);
    const POINT half = DialogUnitsToPixels(FontMetrics{13, 6}, 1, 1);
    EXPECT_EQ(half.x, 2);  // 1.5
    EXPECT_EQ(half.y, 2);  // 1.625
    const POINT unchanged = DialogUnitsToPixels(static_cast<HFONT>(nullptr), 7, 9);
    EXPECT_EQ(unchanged.x, 7);
    EXPECT_EQ(unchanged.y, 9);
}

TEST(FontUnits, MeasuringAndTheMenuFont) {
    const FontMetrics real = MeasureFontMetrics(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    EXPECT_GT(real.height, 5);
    EXPECT_GT(real.averageWidth, 2);
    EXPECT_EQ(FallbackMenuFont(96).lfHeight, -12);
    EXPECT_EQ(FallbackMenuFont(144).lfHeight, -18);
    EXPECT_EQ(FallbackMenuFont(0).lfHeight, -12);
    EXPECT_STREQ(FallbackMenuFont(96).lfFaceName, L"Segoe UI");
    EXPECT_NE(SystemMenuFont().lfHeight, 0);

    HDC screen = GetDC(nullptr);
    RECT rect{0, 0, 500, 100};
    EXPECT_GT(MeasureText(L"Hello", DT_SINGLELINE, screen, rect), 0);
    EXPECT_GT(rect.right, 0);
    RECT empty{0, 0, 500, 100};
    EXPECT_EQ(MeasureText(L"", DT_SINGLELINE, screen, empty), 0);
    EXPECT_TRUE(IsRectEmpty(&empty));
    ReleaseDC(nullptr, screen);
}

TEST(SystemIcons, SizesBelongToTheKeyAsked) {
    exsysicon icons;
    icons.Load();
    const SIZE large{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
    const SIZE small{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
    for (int key : {kIconInformationLarge, kIconWarningLarge, kIconErrorLarge, kIconQuestionLarge})
        EXPECT_EQ(icons.IconSize(key).cx, large.cx) << key;
    for (int key : {kIconInformationSmall, kIconWarningSmall, kIconErrorSmall, kIconQuestionSmall})
        EXPECT_EQ(icons.IconSize(key).cx, small.cx) << key;
    for (int key = kIconInformationLarge; key <= kIconQuestionSmall; ++key)
        EXPECT_NE(icons.Get(key), nullptr) << "stock or fallback icon for key " << key;

    // An icon of a size no system key has.
    HDC screen = GetDC(nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = CreateCompatibleBitmap(screen, 24, 24);
    info.hbmMask = CreateBitmap(24, 24, 1, 1, nullptr);
    ReleaseDC(nullptr, screen);
    HICON own = CreateIconIndirect(&info);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    ASSERT_NE(own, nullptr);
    icons.Set(kIconAppLarge, own);
    EXPECT_EQ(icons.IconSize(kIconAppLarge).cx, 24);
    EXPECT_EQ(icons.Get(99), nullptr);
}

} // namespace

namespace {

TEST(Shapes, NonClientFrameFillsOnlyTheFrame) {
    TestWindow window(L"frame", WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
    SetWindowPos(window.Handle(), HWND_TOPMOST, 20, 20, 200, 120, SWP_SHOWWINDOW);
    UpdateWindow(window.Handle());
    NonClientFrame(window.Handle(), kGreen, kRed, kRed, kBlue, kBlue);
    HDC dc = GetWindowDC(window.Handle());
    RECT client{};
    GetClientRect(window.Handle(), &client);
    POINT clientOrigin{0, 0};
    ClientToScreen(window.Handle(), &clientOrigin);
    RECT outer{};
    GetWindowRect(window.Handle(), &outer);
    const int frameX = clientOrigin.x - outer.left;
    ASSERT_GT(frameX, 1) << "the window needs a frame for this test";
    EXPECT_EQ(GetPixel(dc, 0, 30), kRed) << "outer left line";
    EXPECT_EQ(GetPixel(dc, 199, 30), kBlue) << "outer right line";
    EXPECT_EQ(GetPixel(dc, 1, 30), kGreen) << "frame fill";
    EXPECT_NE(GetPixel(dc, frameX + 5, 30), kGreen) << "the client area is not painted";
    ReleaseDC(window.Handle(), dc);
    EXPECT_NE(HandCursor(), nullptr);
    EXPECT_EQ(HandCursor(), HandCursor());
}

} // namespace
