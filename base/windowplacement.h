// A window's normal rectangle and maximised state, kept within the work area
// of its monitor when applied.
#pragma once

#include <windows.h>

// Reads (read = true) or applies the placement; false when the window does
// not exist, the placement cannot be read, or an applied rectangle is empty.
bool WindowPlacement(HWND window, RECT& rectangle, bool& maximised, bool read);

// Moves `rectangle` inside `area` without changing its size; a rectangle larger
// than the area is aligned with the area's left and top edges.
RECT KeepInside(RECT rectangle, const RECT& area);
