// Drawing primitives checked pixel by pixel on memory DCs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "testsupport.h"
#include "../../toolkit/draw/exfont.h"
#include "../../toolkit/controls/exsysicon.h"
#include "../../toolkit/draw/offscreenbuffer.h"
#include "../../toolkit/draw/shapes.h"

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

private:
    OffscreenBuffer buffer_{OffscreenBuffer::Kind::Dib32};
    HDC dc_ = nullptr;
    int width_;
    int height_;
};

TEST(OffscreenBuffer, GrowsButNeverShrinks) {
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    ASSERT_NE(buffer.Get(nullptr, 0, 0), nullptr);
    EXPECT_EQ(buffer.BitmapWidth() * 100 + buffer.BitmapHeight(), 101) << "never empty";
    HDC dc = buffer.Get(nullptr, 40, 30);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    EXPECT_EQ(buffer.Get(nullptr, 10, 20), dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << "a smaller request reuses the bitmap";
    EXPECT_EQ(buffer.UsedWidth(), 10);
    buffer.Get(nullptr, 50, 10);
    EXPECT_EQ(buffer.BitmapWidth() * 100 + buffer.BitmapHeight(), 5010) << "replaced by exactly the requested size";
}

// Rows of pixels: '#' for red, '.' for white, '?' for anything else.
TEST(Shapes, PixelRows) {
    struct Case {
        const char* shape;
        int width, height;
        std::function<void(HDC)> draw;
        std::vector<std::pair<int, std::string>> rows;
    };
    const Case cases[] = {
        {"solid fill; no colour paints nothing", 6, 3,
         [](HDC dc) {
             SolidFill(dc, {1, 1, 4, 3}, kRed);
             SolidFill(dc, {0, 0, 6, 3}, kNoColor);
             SolidFill(dc, {0, 0, 6, 3}, 0xFFFFFFFF);
         },
         {{0, "......"}, {1, ".###.."}, {2, ".###.."}}},
        {"border strips, left and bottom, 2 wide", 6, 5,
         [](HDC dc) {
             BorderStrips(dc, {0, 0, 6, 5}, kRed, kSideLeft | kSideBottom, 2, 0x80);
             BorderStrips(dc, {0, 0, 6, 5}, kNoColor, kAllSides, 1);
         },
         {{0, "##...."}, {2, "##...."}, {3, "######"}, {4, "######"}}},
        {"3-D edge: top-right and bottom-left corners belong to the second colour", 4, 3,
         [](HDC dc) { Edge3D(dc, {0, 0, 4, 3}, kRed, kBlue); }, {{0, "###?"}, {1, "#..?"}, {2, "????"}}},
        // Up the left from (0,3), along the top, down the right, back along the bottom.
        {"dotted focus frame", 5, 4, [](HDC dc) { FocusFrame(dc, {0, 0, 5, 4}, kRed); },
         {{0, ".#.#."}, {1, "#...#"}, {2, "....."}, {3, "#.#.#"}}},
        // Inset max((int)(13 * 0.15), 2) + 1 = 3 on each side; frame in blue, ground in green.
        {"square check mark", 13, 13, [](HDC dc) { CheckMark(dc, {0, 0, 13, 13}, kGreen, kBlue, kRed, kMarkSquare); },
         {{2, "?????????????"}, {3, "???#######???"}, {9, "???#######???"}}},
        {"chevron down, 8 wide becomes 7", 9, 6, [](HDC dc) { Chevron(dc, {0, 0, 9, 6}, kRed, kRed, 8, false); },
         {{1, ".#######."}, {2, "..#####.."}, {3, "...###..."}, {4, "....#...."}}},
        {"chevron up with an outline", 9, 6, [](HDC dc) { Chevron(dc, {0, 0, 9, 6}, kRed, kBlue, 7, true); },
         {{1, "....?...."}, {4, ".?#####?."}}},
        // Height 8, four columns, centred.
        {"arrow right", 16, 16, [](HDC dc) { Arrow(dc, {0, 0, 16, 16}, kRed); },
         {{3, "................"}, {4, "......#........."}, {7, "......####......"}, {11, "......#........."}}},
    };
    for (const Case& c : cases) {
        Canvas canvas(c.width, c.height);
        c.draw(canvas.Dc());
        for (const auto& row : c.rows) EXPECT_EQ(canvas.Row(row.first, kRed), row.second) << c.shape << ", row " << row.first;
    }
    SolidFill(nullptr, {0, 0, 6, 4}, kRed);
}

TEST(Shapes, RoundedFrom21PixelsAndCircles) {
    Canvas plain(20, 21), rounded(21, 21), disc(20, 20), ring(20, 20);
    RoundedRect(plain.Dc(), {0, 0, 20, 21}, kGreen, kRed, 1.0f);
    RoundedRect(rounded.Dc(), {0, 0, 21, 21}, kGreen, kRed, 1.0f);
    FillCircle(disc.Dc(), 2, 2, 16, kBlue);
    CircleOutline(ring.Dc(), {2, 2, 18, 18}, kBlue);
    EXPECT_EQ(plain.At(0, 0), kRed) << "20 wide: a plain rectangle with square corners";
    EXPECT_EQ(rounded.At(0, 0), kWhite) << "the corner is cut";
    EXPECT_EQ(rounded.At(10, 10), kGreen);
    EXPECT_NE(rounded.At(10, 0), kWhite) << "the top edge is drawn";
    EXPECT_TRUE(disc.At(10, 10) == kBlue && disc.At(2, 2) == kWhite);
    EXPECT_TRUE(ring.At(10, 10) == kWhite && ring.At(10, 2) != kWhite);
}

TEST(Shapes, ContrastColour) {
    struct Case {
        COLORREF background;
        COLORREF expected;
    };
    const Case cases[] = {
        {RGB(255, 255, 255), RGB(204, 102, 0)}, {RGB(0, 0, 0), RGB(204, 102, 0)},
        {RGB(128, 128, 128), RGB(52, 26, 0)},   {RGB(37, 37, 37), RGB(255, 139, 23)},
        {RGB(128, 64, 0), RGB(255, 166, 77)},   {RGB(191, 191, 191), RGB(178, 89, 0)},  // 0.35 apart: too close
    };
    for (const Case& c : cases) EXPECT_EQ(ContrastColor(c.background), c.expected) << std::hex << c.background;
}

// Also the fallback menu font, a real font measured, and measuring nothing.
TEST(FontUnits, RoundingHalvesAwayFromZero) {
    EXPECT_EQ(MetricsFromSample(286, 16).averageWidth, 6);
    EXPECT_EQ(MetricsFromSample(285, 16).averageWidth, 5);
    const struct {
        FontMetrics font;
        POINT units, pixels;
    } cases[] = {{{16, 7}, {7, 7}, {12, 14}} /* 12.25 */, {{13, 6}, {1, 1}, {2, 2}} /* 1.5, 1.625 */};
    for (const auto& c : cases) {
        const POINT pixels = DialogUnitsToPixels(c.font, c.units.x, c.units.y);
        EXPECT_TRUE(pixels.x == c.pixels.x && pixels.y == c.pixels.y) << pixels.x << "," << pixels.y;
    }
    const POINT unchanged = DialogUnitsToPixels(static_cast<HFONT>(nullptr), 7, 9);
    EXPECT_TRUE(unchanged.x == 7 && unchanged.y == 9);

    EXPECT_EQ(FallbackMenuFont(144).lfHeight, -18);
    EXPECT_EQ(FallbackMenuFont(0).lfHeight, -12);
    const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(MeasureFontMetrics(gui).height, TextExtent(gui, L"x").cy) << "the font's line height";
    const UniqueWindowDc screen(nullptr);
    RECT empty{0, 0, 500, 100};
    EXPECT_EQ(MeasureText(L"", DT_SINGLELINE, screen.Get(), empty), 0);
    EXPECT_TRUE(IsRectEmpty(&empty));
}

// Stock icons at the system's sizes, or the side the DPI asks for.
TEST(SystemIcons, SizesBelongToTheKeyAsked) {
    exsysicon icons;
    icons.Load();
    for (int key = kIconInformationLarge; key <= kIconQuestionSmall; ++key) {  // large and small alternate
        const int side = GetSystemMetrics((key - kIconInformationLarge) % 2 == 0 ? SM_CXICON : SM_CXSMICON);
        EXPECT_EQ(icons.IconSize(key).cx, side) << key;
        EXPECT_EQ(IconBitmapSize(icons.Get(key)).cx, side) << "stock or fallback icon loaded at its size, key " << key;
    }
    EXPECT_EQ(icons.Get(99), nullptr);
    // The program's own icon, of a size no system key has.
    const UniqueBitmap mask(CreateBitmap(24, 24, 1, 1, nullptr));
    const UniqueBitmap color(CreateCompatibleBitmap(UniqueWindowDc(nullptr).Get(), 24, 24));
    ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
    icons.Set(kIconAppLarge, CreateIconIndirect(&info));
    EXPECT_EQ(icons.IconSize(kIconAppLarge).cx, 24);
    // Standard size at 100 %, the system's answer, dots per inch: the side loaded.
    const int sizes[][4] = {{32, 32, 96, 32}, {32, 32, 144, 48}, {32, 32, 192, 64}, {48, 0, 192, 96},
                            {16, 16, 144, 24}, {32, 64, 192, 64}, {32, 80, 192, 80}, {32, 32, 0, 32}};
    for (const auto& s : sizes)
        EXPECT_EQ(IconSizeForDpi(s[0], s[1], static_cast<UINT>(s[2])), s[3]) << s[0] << " at " << s[2];
}

} // namespace
