#include "escaping.h"

// Both directions work in one pass over the text. The stored form is the one
// of a marker-based rewrite, but no code unit is reserved as a marker, so any
// text (U+FFFF included) survives.

namespace {

bool IsQuote(exchar c) {
    return c == '"' || c == '\'';
}

// Whether a backslash followed by `next` must be doubled to read back alone.
bool BackslashNeedsDoubling(exchar next) {
    switch (next) {
    case '\\': case '\r': case '\n': case '\t': case 'r': case 'n': case 't': case '"': case '\'':
        return true;
    default:
        return false;
    }
}

} // namespace

exstring& EscapeText(exstring& text) {
    const size_t length = text.size();
    const bool enclosed = length >= 2 && IsQuote(text.front()) && text.back() == text.front();
    exstring out;
    out.reserve(length + length / 8 + 2);
    for (size_t i = 0; i < length; ++i) {
        const exchar c = text[i];
        if (enclosed && (i == 0 || i + 1 == length)) out += '\\';
        switch (c) {
        case '\r': out += EXT("\\r"); break;
        case '\n': out += EXT("\\n"); break;
        case '\t': out += EXT("\\t"); break;
        case '\\':
            out += '\\';
            if (i + 1 == length || BackslashNeedsDoubling(text[i + 1])) out += '\\';
            break;
        default: out += c; break;
        }
    }
    text.swap(out);
    return text;
}

exstring& UnescapeText(exstring& text) {
    const size_t length = text.size();
    if (text.find('\\') == exstring::npos) return text;
    exstring out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const exchar c = text[i];
        if (c != '\\' || i + 1 == length) {
            out += c;
            continue;
        }
        const exchar next = text[i + 1];
        switch (next) {
        case '\\': case '"': case '\'': out += next; ++i; break;
        case 'r': out += '\r'; ++i; break;
        case 'n': out += '\n'; ++i; break;
        case 't': out += '\t'; ++i; break;
        default: out += '\\'; break;
        }
    }
    text.swap(out);
    return text;
}
