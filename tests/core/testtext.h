// Test helpers for text: readable failure messages.
#pragma once

#include <ostream>

#include "text/exstring.h"

inline void PrintTo(const exstring& text, std::ostream* out) {
    *out << '"' << text.ToUtf8() << '"';
}
