#include "textutil.h"

namespace {

bool InSet(exchar c, const exchar* set) {
    for (const exchar* p = set; *p != 0; ++p)
        if (*p == c) return true;
    return false;
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
