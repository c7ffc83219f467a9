// The MD5 message digest (RFC 1321).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using Md5Digest = std::array<uint8_t, 16>;

class Md5 {
public:
    Md5();
    void Update(const void* data, size_t size);
    Md5Digest Finish();

    static Md5Digest Of(const void* data, size_t size);

private:
    void Transform(const uint8_t block[64]);

    uint32_t state_[4];
    uint64_t bitCount_;
    uint8_t buffer_[64];
    size_t buffered_;
};
