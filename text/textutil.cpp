#include "textutil.h"

#include <algorithm>

namespace {

bool InSet(exchar c, const exchar* set) {
    for (const exchar* p = set; *p != 0; ++p)
        if (*p == c) return true;
    return false;
}

int HexDigitValue(exchar c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

exstring& Trim(exstring& text, const exchar* set, unsigned mode) {
    if (text.empty() || set == nullptr || *set == 0) return text;
    if (mode & kTrimTrailing) {
        size_t end = text.size();
        while (end > 0 && InSet(text[end - 1], set)) --end;
        text.erase(end);
    }
    if (mode & kTrimLeading) {
        size_t begin = 0;
        while (begin < text.size() && InSet(text[begin], set)) ++begin;
        text.erase(0, begin);
    }
    return text;
}

exstring& ReplaceAll(exstring& text, const exchar* search, size_t searchLength, const exchar* replacement) {
    if (search == nullptr) return text;
    if (searchLength == 0) searchLength = TextLength(search);
    if (searchLength == 0) return text;
    size_t position = text.find(search, 0, searchLength);
    if (position == exstring::npos) return text;
    // One pass into a new string: repeated in-place replacement is quadratic on long texts.
    const size_t replacementLength = TextLength(replacement);
    exstring out;
    out.reserve(text.size());
    size_t copied = 0;
    while (position != exstring::npos) {
        out.append(text, copied, position - copied);
        if (replacement != nullptr) out.append(replacement, replacementLength);
        copied = position + searchLength;
        position = text.find(search, copied, searchLength);
    }
    out.append(text, copied, exstring::npos);
    text.swap(out);
    return text;
}

exstring& ReplaceAll(exstring& text, const exchar* search, const exchar* replacement) {
    return ReplaceAll(text, search, 0, replacement);
}

exstring ToLowerAscii(const exstring& text) {
    exstring out(text);
    for (exchar& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<exchar>(c + ('a' - 'A'));
    return out;
}

exstring ToUpperAscii(const exstring& text) {
    exstring out(text);
    for (exchar& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<exchar>(c - ('a' - 'A'));
    return out;
}

exstring& CleanMenuText(exstring& text, int dotsMode) {
    if (text.empty()) return text;

    if (text.find('\t') != exstring::npos) {
        const size_t firstNonTab = text.find_first_not_of('\t');
        if (firstNonTab != exstring::npos) {
            const size_t tab = text.find('\t', firstNonTab);
            if (tab != exstring::npos) text.erase(tab);
        }
    }

    size_t dots = 0;
    while (dots < text.size() && text[text.size() - 1 - dots] == '.') ++dots;
    if ((dotsMode == kMenuDotsTwoOrMore && dots >= 2) || (dotsMode == kMenuDotsEllipsis && dots == 3))
        text.erase(text.size() - dots);

    size_t kept = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&') {
            text[kept++] = '&';
            text[kept++] = '&';
            ++i;
        } else if (text[i] != '&') {
            text[kept++] = text[i];
        }
    }
    text.erase(kept);
    return text;
}

exstring BytesToHex(const uint8_t* bytes, long long count) {
    static const exchar kDigits[] = EXT("0123456789abcdef");
    exstring out;
    if (bytes == nullptr || count <= 0) return out;
    out.reserve(static_cast<size_t>(count) * 2);
    for (long long i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

size_t HexToBytes(const exstring& text, uint8_t* output, size_t capacity, bool reverse) {
    if (text.empty() || output == nullptr) return 0;
    exstring digits = ToLowerAscii(text);
    ReplaceAll(digits, EXT("0x"), nullptr);
    digits.erase(std::remove_if(digits.begin(), digits.end(), [](exchar c) { return HexDigitValue(c) < 0; }),
                 digits.end());
    if (digits.size() % 2 != 0) digits.insert(digits.begin(), exchar('0'));

    const size_t count = digits.size() / 2;
    if (count > capacity) return 0;
    for (size_t i = 0; i < count; ++i) {
        const int value = HexDigitValue(digits[2 * i]) * 16 + HexDigitValue(digits[2 * i + 1]);
        output[reverse ? count - 1 - i : i] = static_cast<uint8_t>(value);
    }
    return count;
}
