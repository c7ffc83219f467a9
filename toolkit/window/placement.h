// Placement arithmetic of the toolkit's windows, kept apart from the windows.
#pragma once

#include <windows.h>

// Top-left corner for `window` centred on `centre` and kept inside `bounds`
// (when larger than the bounds, aligned with their left and top edges).
POINT CenteredPosition(const RECT& window, const RECT& centre, const RECT& bounds);
