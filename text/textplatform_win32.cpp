#include "textplatform.h"

#include <climits>
#include <windows.h>

namespace {

UINT ToWin32CodePage(TextCodePage codePage) {
    return codePage == TextCodePage::Utf8 ? CP_UTF8 : CP_ACP;
}

} // namespace

bool PlatformCompareNoCase(const exchar* a, size_t aLength, const exchar* b, size_t bLength, int& result) {
    if (aLength > INT_MAX || bLength > INT_MAX) return false;
    const int answer = CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE);
    if (answer == 0) return false;
    result = answer - CSTR_EQUAL;
    return true;
}

std::string PlatformToCodePage(const exchar* text, size_t length, TextCodePage codePage) {
    if (text == nullptr || length == 0 || length > INT_MAX) return {};
    const UINT cp = ToWin32CodePage(codePage);
    const int size = WideCharToMultiByte(cp, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    const int written = WideCharToMultiByte(cp, 0, text, static_cast<int>(length), &out[0], size, nullptr, nullptr);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written));
    return out;
}

std::basic_string<exchar> PlatformFromCodePage(const char* text, size_t length, TextCodePage codePage) {
    if (text == nullptr || length == 0 || length > INT_MAX) return {};
    const UINT cp = ToWin32CodePage(codePage);
    const int size = MultiByteToWideChar(cp, 0, text, static_cast<int>(length), nullptr, 0);
    if (size <= 0) return {};
    std::basic_string<exchar> out(static_cast<size_t>(size), exchar(0));
    const int written = MultiByteToWideChar(cp, 0, text, static_cast<int>(length), &out[0], size);
    if (written <= 0) return {};
    out.resize(static_cast<size_t>(written));
    return out;
}
