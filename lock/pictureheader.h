// The pixel size of a picture read from its file header, without decoding:
// enough to turn away pictures too large to show before a decoder spends
// seconds and gigabytes on them. PNG, JPEG, GIF and BMP are recognised.
#pragma once

#include <cstddef>
#include <cstdint>

struct PictureSize {
    long long width = 0;
    long long height = 0;
};

// False when the format is not recognised or the header is cut short.
bool PictureSizeFromHeader(const uint8_t* data, size_t size, PictureSize& picture);
