#include "layoutdirection.h"

#include <windows.h>

namespace {

bool g_rightToLeft = false;

} // namespace

void SetRightToLeft(bool rightToLeft) {
    g_rightToLeft = rightToLeft;
    SetProcessDefaultLayout(rightToLeft ? LAYOUT_RTL : 0);
}

bool IsRightToLeft() {
    return g_rightToLeft;
}
