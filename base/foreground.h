// Activation of a window even when another process owns the foreground.
#pragma once

#include <windows.h>

void ForceForeground(HWND window);
