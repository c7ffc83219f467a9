// The program's text type: UTF-16 code units, whatever the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "exchar.h"

class exstring : public std::basic_string<exchar> {
public:
    using base = std::basic_string<exchar>;
    using base::base;

    exstring() = default;
    exstring(const base& other) : base(other) {}
    exstring(base&& other) noexcept : base(std::move(other)) {}
    // A null pointer gives the empty string; length 0 means "up to the NUL".
    exstring(const exchar* text);
    exstring(const exchar* text, size_t length);

    // Keeps the type, so the operations below stay available on parts.
    exstring substr(size_type position = 0, size_type count = npos) const {
        return exstring(base::substr(position, count));
    }

    static exstring FromAnsi(const char* text, size_t length = 0);
    std::string ToAnsi() const;
    std::string ToUtf8() const;

    // printf-style with a wide format; the program uses "%u" and "%I64d".
    static exstring Format(const exchar* format, ...);

    uint64_t ToUInt64() const;
    bool ToBool() const;

    bool EqualsNoCase(const exstring& other) const;
    bool EqualsNoCase(const exchar* text, size_t length = 0) const;
    int CompareNoCase(const exstring& other) const;
};

// Case-insensitive ordinal comparison of two runs of code units: -1, 0 or +1.
// A missing pointer, or a failing platform comparison, counts as equal.
int CompareNoCase(const exchar* a, size_t aLength, const exchar* b, size_t bLength);

// Length of a NUL-terminated run of code units.
size_t TextLength(const exchar* text);
