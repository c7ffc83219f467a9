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

// The rows of a white 32-bit canvas after `draw`, a character a pixel: '#'
// for red, '.' for white, '?' for anything else.
std::vector<std::string> Drawn(int width, int height, const std::function<void(HDC)>& draw) {
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    const HDC dc = buffer.Get(nullptr, width, height);
    SolidFill(dc, {0, 0, width, height}, kWhite);
    draw(dc);
    std::vector<std::string> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            rows[y] += c == kRed ? '#' : (c == kWhite ? '.' : '?');
        }
    return rows;
}

// A repaint at the same size or smaller allocates nothing; a larger one gets its size.
TEST(OffscreenBuffer, ReusedUntilOutgrown) {
    OffscreenBuffer buffer(OffscreenBuffer::Kind::Dib32);
    HDC dc = buffer.Get(nullptr, 40, 30);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    EXPECT_EQ(buffer.Get(nullptr, 10, 20), dc);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap) << "a smaller request reuses the bitmap";
    buffer.Get(nullptr, 50, 10);
    EXPECT_EQ(buffer.BitmapWidth() * 100 + buffer.BitmapHeight(), 5010) << "replaced by exactly the requested size";
}

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
        // Up the left from (0,3), along the top, down the right, back along the bottom.
        {"dotted focus frame", 5, 4, [](HDC dc) { FocusFrame(dc, {0, 0, 5, 4}, kRed); },
         {{0, ".#.#."}, {1, "#...#"}, {2, "....."}, {3, "#.#.#"}}},
        // Height 8, four columns, centred.
        {"arrow right", 16, 16, [](HDC dc) { Arrow(dc, {0, 0, 16, 16}, kRed); },
         {{3, "................"}, {4, "......#........."}, {7, "......####......"}, {11, "......#........."}}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> drawn = Drawn(c.width, c.height, c.draw);
        for (const auto& row : c.rows) EXPECT_EQ(drawn[row.first], row.second) << c.shape << ", row " << row.first;
    }
    SolidFill(nullptr, {0, 0, 6, 4}, kRed);
}

// Orange, unless the background's lightness is within 0.4 of its own: then moved away.
TEST(Shapes, ContrastColour) {
    const COLORREF cases[][2] = {{RGB(0, 0, 0), RGB(204, 102, 0)},      {RGB(128, 128, 128), RGB(52, 26, 0)},
                                 {RGB(37, 37, 37), RGB(255, 139, 23)}, {RGB(191, 191, 191), RGB(178, 89, 0)}};
    for (const auto& c : cases) EXPECT_EQ(ContrastColor(c[0]), c[1]) << std::hex << c[0];
}

// Also a real font measured, and measuring nothing.
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
    const HFONT gui = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(MeasureFontMetrics(gui).height, TextExtent(gui, L"x").cy) << "the font's line height";
    const UniqueWindowDc screen(nullptr);
    RECT empty{0, 0, 500, 100};
    EXPECT_EQ(MeasureText(L"", DT_SINGLELINE, screen.Get(), empty), 0);
    EXPECT_TRUE(IsRectEmpty(&empty));
}

// Stock icons at the system's sizes, or the side the DPI asks for.
TEST(SystemIcons, LoadedAtTheSideTheDpiAsks) {
    exsysicon icons;
    for (int key = kIconInformationLarge; key <= kIconQuestionSmall; ++key) {  // large and small alternate
        const int side = GetSystemMetrics((key - kIconInformationLarge) % 2 == 0 ? SM_CXICON : SM_CXSMICON);
        EXPECT_EQ(IconBitmapSize(icons.Get(key)).cx, side) << "stock or fallback icon loaded at its size, key " << key;
    }
    // Standard size at 100 %, the system's answer, dots per inch: the side loaded.
    const int sizes[][4] = {{32, 32, 96, 32}, {32, 32, 144, 48}, {16, 16, 144, 24}, {32, 80, 192, 80}};
    for (const auto& s : sizes)
        EXPECT_EQ(IconSizeForDpi(s[0], s[1], static_cast<UINT>(s[2])), s[3]) << s[0] << " at " << s[2];
}

} // namespace
