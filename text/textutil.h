// Small text operations shared across the program. Positions and lengths are
// UTF-16 code units.
#pragma once

#include <cstdint>

#include "exstring.h"

enum TrimMode : unsigned {
    kTrimLeading = 1,
    kTrimTrailing = 2,
    kTrimBoth = 3,
};

// Removes characters of `set` from the ends selected by `mode`.
exstring& Trim(exstring& text, const exchar* set, unsigned mode = kTrimBoth);

// Replaces every exact match of `search` (length 0 = up to NUL); inserted text
// is never searched again. A null replacement removes the matches.
exstring& ReplaceAll(exstring& text, const exchar* search, size_t searchLength, const exchar* replacement);
exstring& ReplaceAll(exstring& text, const exchar* search, const exchar* replacement);

exstring ToLowerAscii(const exstring& text);
exstring ToUpperAscii(const exstring& text);

enum MenuDots : int {
    kMenuDotsTwoOrMore = 0, // drop a trailing run of two or more dots
    kMenuDotsEllipsis = 1,  // drop exactly three trailing dots
    kMenuDotsKeep = 2,
};

// Strips what only belongs in a menu: the tab suffix, trailing dots by mode,
// and single ampersands ("&&" stays).
exstring& CleanMenuText(exstring& text, int dotsMode);

exstring BytesToHex(const uint8_t* bytes, long long count);

// Decodes hex digits (ignoring "0x" and any non-digit) into `output`; returns
// the number of bytes written, 0 when they would not fit.
size_t HexToBytes(const exstring& text, uint8_t* output, size_t capacity, bool reverse);
