// The application's settings record.
#pragma once

#include <cstdint>

#include "../text/exstring.h"

constexpr size_t kDigestSize = 16;

class mgtSettings {
public:
    mgtSettings();

    // All zero bytes, or no digest at all, mean that no password is set.
    static bool IsBlankDigest(const uint8_t* digest);

    uint8_t Password[kDigestSize];
    exstring pwdHint;
    bool useOrgScreen;
    uint32_t bgColor;
    exstring bgImage;
    bool autoStart;
    int64_t modifiedTime;
};
