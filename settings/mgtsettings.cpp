#include "mgtsettings.h"

mgtSettings::mgtSettings()
    : Password{}, useOrgScreen(false), bgColor(0xFF000000u), bgImage(EXT("System")), autoStart(false), modifiedTime(0) {}

bool mgtSettings::IsBlankDigest(const uint8_t* digest) {
    if (digest == nullptr) return true;
    for (size_t i = 0; i < kDigestSize; ++i)
        if (digest[i] != 0) return false;
    return true;
}
