// Turns fuzzer bytes into UTF-16 text: each byte pair is one code unit, so
// every code unit (lone surrogates and NUL included) can appear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/exstring.h"

inline exstring TextFromBytes(const uint8_t* data, size_t size) {
    exstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<exchar>(data[i] | (data[i + 1] << 8));
    return text;
}

// Splits at U+0001 into at most `parts` pieces (the last one takes the rest).
inline std::vector<exstring> SplitParts(const exstring& text, size_t parts) {
    std::vector<exstring> out(1);
    for (const exchar unit : text) {
        if (unit == 1 && out.size() < parts) out.emplace_back();
        else out.back() += unit;
    }
    out.resize(parts);
    return out;
}
