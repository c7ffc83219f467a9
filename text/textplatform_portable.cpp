#include "textplatform.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same value, as Windows does.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
const char kCp1252Default = '?';
const char16_t kReplacement = 0xFFFD;

locale_t UnicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return locale;
}

char16_t SimpleUpper(char16_t unit) {
    if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
    if (unit >= 0xD800 && unit < 0xE000) return unit;
    const locale_t locale = UnicodeLocale();
    if (locale == static_cast<locale_t>(nullptr)) return unit;
    const wint_t upper = towupper_l(static_cast<wint_t>(unit), locale);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

char ToCp1252(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (unsigned i = 0; i < 32; ++i)
        if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
    return kCp1252Default;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string EncodeUtf8(const exchar* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

void AppendUtf16(std::basic_string<exchar>& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

// One code point from UTF-8, or kReplacement for a malformed sequence; i moves past it.
char32_t DecodeOne(const unsigned char* s, size_t length, size_t& i) {
    const unsigned char lead = s[i++];
    if (lead < 0x80) return lead;
    int extra;
    char32_t cp;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) { extra = 1; cp = lead & 0x1F; minimum = 0x80; }
    else if (lead >= 0xE0 && lead <= 0xEF) { extra = 2; cp = lead & 0x0F; minimum = 0x800; }
    else if (lead >= 0xF0 && lead <= 0xF4) { extra = 3; cp = lead & 0x07; minimum = 0x10000; }
    else return kReplacement;
    for (int k = 0; k < extra; ++k) {
        if (i >= length || (s[i] & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (s[i++] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return kReplacement;
    return cp;
}

} // namespace

bool PlatformCompareNoCase(const exchar* a, size_t aLength, const exchar* b, size_t bLength, int& result) {
    const size_t common = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < common; ++i) {
        const char16_t ua = SimpleUpper(a[i]);
        const char16_t ub = SimpleUpper(b[i]);
        if (ua != ub) {
            result = ua < ub ? -1 : 1;
            return true;
        }
    }
    result = aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
    return true;
}

std::string PlatformToCodePage(const exchar* text, size_t length, TextCodePage codePage) {
    if (text == nullptr || length == 0) return {};
    if (codePage == TextCodePage::Utf8) return EncodeUtf8(text, length);
    std::string out(length, '\0');
    for (size_t i = 0; i < length; ++i) out[i] = ToCp1252(text[i]);
    return out;
}

std::basic_string<exchar> PlatformFromCodePage(const char* text, size_t length, TextCodePage codePage) {
    if (text == nullptr || length == 0) return {};
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::basic_string<exchar> out;
    out.reserve(length);
    if (codePage == TextCodePage::Utf8) {
        for (size_t i = 0; i < length;) AppendUtf16(out, DecodeOne(bytes, length, i));
        return out;
    }
    for (size_t i = 0; i < length; ++i) {
        const unsigned char byte = bytes[i];
        out += (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return out;
}
