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

enum MenuDots : int {
    kMenuDotsTwoOrMore = 0, // drop a trailing run of two or more dots
    kMenuDotsEllipsis = 1,  // drop exactly three trailing dots
    kMenuDotsKeep = 2,
};

// Strips what only belongs in a menu: the tab suffix, trailing dots by mode,
// and single ampersands ("&&" stays).
exstring& CleanMenuText(exstring& text, int dotsMode);

exstring BytesToHex(const uint8_t* bytes, long long count);
