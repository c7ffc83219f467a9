// Where the lock background puts its picture: scaled to cover the primary
// monitor, centred on it (cropped equally on the two sides of the longer
// dimension), and where the primary monitor lies within the virtual screen.
#pragma once

#include <windows.h>

struct BackgroundLayout {
    // The picture within a bitmap the size of the primary monitor.
    RECT picture;
    // The primary monitor's place within the bitmap of the virtual screen.
    POINT primaryOrigin;
    SIZE primarySize;
};

BackgroundLayout LayoutBackground(const RECT& virtualScreen, const RECT& primaryArea, SIZE picture);
