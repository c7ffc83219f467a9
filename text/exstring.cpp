#include "exstring.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "textplatform.h"

#ifdef _WIN32
#include <wchar.h>
#endif

size_t TextLength(const exchar* text) {
    size_t length = 0;
    if (text != nullptr)
        while (text[length] != 0) ++length;
    return length;
}

exstring::exstring(const exchar* text) : exstring(text, 0) {}

exstring::exstring(const exchar* text, size_t length) {
    if (text == nullptr) return;
    assign(text, length == 0 ? TextLength(text) : length);
}

exstring exstring::FromAnsi(const char* text, size_t length) {
    if (text == nullptr) return {};
    if (length == 0)
        while (text[length] != 0) ++length;
    return PlatformFromCodePage(text, length, TextCodePage::Ansi);
}

std::string exstring::ToAnsi() const {
    return PlatformToCodePage(data(), size(), TextCodePage::Ansi);
}

std::string exstring::ToUtf8() const {
    return PlatformToCodePage(data(), size(), TextCodePage::Utf8);
}

#ifdef _WIN32

exstring exstring::Format(const exchar* format, ...) {
    if (format == nullptr) return {};
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int needed = _vscwprintf(format, measure);
    va_end(measure);
    exstring out;
    if (needed > 0) {
        out.resize(static_cast<size_t>(needed));
        // The buffer holds one more unit for the terminator the CRT writes.
        _vsnwprintf(&out[0], static_cast<size_t>(needed) + 1, format, args);
    }
    va_end(args);
    return out;
}

#else

// Native builds format numbers only: the format is ASCII, and the Microsoft
// "I64" size prefix becomes the standard "ll".
exstring exstring::Format(const exchar* format, ...) {
    if (format == nullptr) return {};
    std::string narrow;
    for (const exchar* p = format; *p != 0; ++p) {
        if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            narrow += "ll";
            p += 2;
        } else {
            narrow += static_cast<char>(*p < 0x80 ? *p : u'?');
        }
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, narrow.c_str(), measure);
    va_end(measure);
    exstring out;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), narrow.c_str(), args);
        out.assign(buffer.begin(), buffer.begin() + needed);
    }
    va_end(args);
    return out;
}

#endif

namespace {

bool IsParseSpace(exchar c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(exchar c, unsigned base) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z') value = c - 'A' + 10;
    return (value >= 0 && static_cast<unsigned>(value) < base) ? value : -1;
}

uint64_t ParseUnsigned(const exchar* p, const exchar* end, unsigned base) {
    while (p < end && IsParseSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; p < end; ++p) {
        const int digit = DigitValue(*p, base);
        if (digit < 0) break;
        if (value > (UINT64_MAX - static_cast<unsigned>(digit)) / base) overflow = true;
        value = value * base + static_cast<unsigned>(digit);
    }
    if (overflow) return UINT64_MAX;
    return negative ? (~value + 1) : value;
}

} // namespace

uint64_t exstring::ToUInt64() const {
    const exchar* begin = data();
    const exchar* end = begin + size();
    if (size() >= 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X'))
        return ParseUnsigned(begin + 2, end, 16);
    return ParseUnsigned(begin, end, 10);
}

bool exstring::ToBool() const {
    if (empty()) return false;
    if (size() == 4 && EqualsNoCase(EXT("true"), 4)) return true;
    return ToUInt64() != 0;
}

int CompareNoCase(const exchar* a, size_t aLength, const exchar* b, size_t bLength) {
    if (a == nullptr || b == nullptr) return 0;
    int result = 0;
    if (!PlatformCompareNoCase(a, aLength, b, bLength, result)) return 0;
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

bool exstring::EqualsNoCase(const exstring& other) const {
    return size() == other.size() && ::CompareNoCase(data(), size(), other.data(), other.size()) == 0;
}

bool exstring::EqualsNoCase(const exchar* text, size_t length) const {
    if (text == nullptr) return false;
    if (length == 0) length = TextLength(text);
    return size() == length && ::CompareNoCase(data(), size(), text, length) == 0;
}

int exstring::CompareNoCase(const exstring& other) const {
    return ::CompareNoCase(data(), size(), other.data(), other.size());
}
