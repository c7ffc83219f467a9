#include "pictureheader.h"

#include <cstring>

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

uint16_t LittleEndian16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

int32_t LittleEndian32(const uint8_t* p) {
    uint32_t value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    int32_t result;
    std::memcpy(&result, &value, sizeof(result));
    return result;
}

bool IsStartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool JpegSize(const uint8_t* data, size_t size, PictureSize& picture) {
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // no frame header before the data
        const uint16_t length = BigEndian16(data + at + 2);
        if (length < 2) return false;
        if (IsStartOfFrame(marker)) {
            if (at + 9 > size) return false;
            picture.height = BigEndian16(data + at + 5);
            picture.width = BigEndian16(data + at + 7);
            return true;
        }
        at += 2 + static_cast<size_t>(length);
    }
    return false;
}

} // namespace

bool PictureSizeFromHeader(const uint8_t* data, size_t size, PictureSize& picture) {
    if (data == nullptr) return false;
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 24 && std::memcmp(data, kPng, 8) == 0 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        picture.width = BigEndian32(data + 16);
        picture.height = BigEndian32(data + 20);
        return true;
    }
    if (size >= 10 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) {
        picture.width = LittleEndian16(data + 6);
        picture.height = LittleEndian16(data + 8);
        return true;
    }
    if (size >= 26 && data[0] == 'B' && data[1] == 'M') {
        const int32_t headerSize = LittleEndian32(data + 14);
        if (headerSize == 12) {
            picture.width = LittleEndian16(data + 18);
            picture.height = LittleEndian16(data + 20);
        } else {
            picture.width = LittleEndian32(data + 18);
            const long long height = LittleEndian32(data + 22);
            picture.height = height < 0 ? -height : height;
        }
        return true;
    }
    if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8) return JpegSize(data, size, picture);
    return false;
}
