#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "lock/coverfit.h"

namespace {

// The most extreme shapes a decoder hands over, a pixel wide or high: each
// result covers the monitor, centred within a pixel, and stays in range
// (UndefinedBehaviorSanitizer watches every conversion).
TEST(CoverArea, ExtremeShapesStayDefinedAndCover) {
    const int64_t cases[][4] = {{1920, 1080, 1, 1200000}, {1920, 1080, 1200000, 1}};
    for (const auto& c : cases) {
        const CoverRect cover = CoverArea(c[0], c[1], c[2], c[3]);
        const int64_t width = c[0], height = c[1];
        const int64_t offCentre = std::max(std::abs(int64_t{cover.left} + cover.right - width),
                                           std::abs(int64_t{cover.top} + cover.bottom - height));
        EXPECT_TRUE(cover.left <= 0 && cover.top <= 0 && cover.right >= width && cover.bottom >= height &&
                    offCentre <= 1 && cover.right - cover.left <= kMaxCoverExtent &&
                    cover.bottom - cover.top <= kMaxCoverExtent)
            << c[2] << "x" << c[3] << " on " << c[0] << "x" << c[1] << " -> " << cover.left << "," << cover.top
            << "," << cover.right << "," << cover.bottom;
    }
}

} // namespace
