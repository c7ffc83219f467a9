#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "lock/coverfit.h"

namespace {

// Pictures of every shape a decoder may hand over, on monitors small and
// large: each result covers the monitor, is centred on it within a pixel, and
// stays in range (UndefinedBehaviorSanitizer watches every conversion).
TEST(CoverArea, ExtremeShapesStayDefinedAndCover) {
    const int64_t most = INT32_MAX;
    const struct {
        int64_t areaWidth, areaHeight, pictureWidth, pictureHeight;
    } cases[] = {
        {1920, 1080, 1, 1200000},
        {1920, 1080, 1200000, 1},
        {7680, 4320, 1, most},
        {7680, 4320, most, 1},
        {7680, 4320, most, most},
        {1, 1, most, 3},
        {most, most, 1, 1},
        {most, 1, 1, most},
        {1, most, 1, 1},
    };
    for (const auto& c : cases) {
        const CoverRect cover = CoverArea(c.areaWidth, c.areaHeight, c.pictureWidth, c.pictureHeight);
        const int64_t width = std::min<int64_t>(c.areaWidth, kMaxCoverExtent);
        const int64_t height = std::min<int64_t>(c.areaHeight, kMaxCoverExtent);
        SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " on " << c.areaWidth << "x"
                                        << c.areaHeight << " -> " << cover.left << "," << cover.top << ","
                                        << cover.right << "," << cover.bottom);
        EXPECT_TRUE(cover.left <= 0 && cover.top <= 0 && cover.right >= width && cover.bottom >= height);
        EXPECT_LE(std::llabs(int64_t{cover.left} + cover.right - width), 1);
        EXPECT_LE(std::llabs(int64_t{cover.top} + cover.bottom - height), 1);
        EXPECT_TRUE(cover.right - cover.left <= kMaxCoverExtent && cover.bottom - cover.top <= kMaxCoverExtent);
    }
}

} // namespace
