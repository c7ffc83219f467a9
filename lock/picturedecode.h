// Decodes the lock's picture straight to the pixels the primary monitor
// shows: scaled to cover it and cropped, so that no more than one screen of
// pixels outlives the decode.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "../base/uniquehandle.h"

struct ScreenPicture {
    SIZE source{0, 0};  // the picture file's own size
    SIZE screen{0, 0};  // the monitor it was made for, and its size
    UniqueBitmap pixels;  // 32-bit, premultiplied alpha
    bool opaque = true;   // no pixel lets the colour through
};

// False for a file that is not a picture, is damaged, or has more than
// `maxPixels` pixels; `picture` is then left empty. Call on a thread that may
// block: decoding a large file takes a while.
[[nodiscard]] bool DecodeForScreen(const uint8_t* bytes, size_t size, SIZE screen, unsigned long long maxPixels,
                     ScreenPicture& picture);

// Copies `picture` onto `dc` at `at`, stretched when the monitor has changed
// size since it was made; transparent parts show what is already there.
void DrawScreenPicture(HDC dc, const RECT& at, const ScreenPicture& picture);
