// Where a picture goes to cover an area: scaled by one factor until both of
// its sides reach the area's, centred, and cropped equally on the two sides
// of the longer dimension. Plain integers, so that every picture size gives
// a defined answer, however extreme its shape.
#pragma once

#include <cstdint>

// The farthest a side is stretched: GDI's own coordinate range (2^27). A
// picture whose cover would be larger is stretched to this on that side
// only, which still covers the area.
constexpr int32_t kMaxCoverExtent = 1 << 27;

struct CoverRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// With nothing to cover or no picture, the picture keeps its own size at the
// origin (held within the range above).
CoverRect CoverArea(int64_t areaWidth, int64_t areaHeight, int64_t pictureWidth, int64_t pictureHeight);
