// Loading and drawing a picture with plain GDI+ flat API calls: the floor the
// render benchmark measures the lock's own decoder against.
#pragma once

#include <windows.h>

// Starts GDI+ once; it stays up until the process ends.
bool StartGdiplus();
// Loads the picture at `path` and draws all of it scaled onto `dc`, tiling
// flipped at the edges as a careful caller would; false when either fails.
bool DrawPictureWithGdiplus(HDC dc, const wchar_t* path, float width, float height);
