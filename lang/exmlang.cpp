#include "exmlang.h"

#include "../text/textutil.h"

namespace {

bool IsMacroNameChar(exchar c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

bool IsDigit(exchar c) {
    return c >= '0' && c <= '9';
}

// A reference embedded in a longer text loses its accelerator decorations:
// "Open (&O)..." reads "Open " inside a sentence.
void StripDecorations(exstring& text) {
    const size_t amp = text.find('&');
    if (amp == exstring::npos) return;
    const size_t length = text.size();
    if (length >= 5 && amp > 0 && amp < length - 2 && text[amp + 1] != '&') {
        const exchar before = text[amp - 1];
        const exchar after = text[amp + 2];
        if ((before == '(' && after == ')') || (before == '[' && after == ']')) text.erase(amp - 1, 4);
    }
    CleanMenuText(text, kMenuDotsEllipsis);
}

} // namespace

size_t MacroLengthAt(const exstring& text, size_t start) {
    size_t q = start + 1;
    if (q < text.size() && text[q] == '[') {
        const size_t close = text.find(']', q + 1);
        if (close == exstring::npos) return 0;
        q = close + 1;
    }
    while (q < text.size() && IsMacroNameChar(text[q])) ++q;
    if (q == start + 1) return 0;
    if (text[q - 1] == '-' || text[q - 1] == '_') --q;
    if (q == start + 1) return 0;
    return q - start;
}

bool exmlang::AddMacro(const exstring& name, const exstring& text) {
    if (name.empty()) return false;
    auto it = macros_.find(name);
    if (it == macros_.end()) macros_.emplace(name, text);
    else it->second = text;
    return true;
}

void exmlang::OnSetValue(const exstring& section, const exstring&, exstring& value) {
    ExpandMacros(section, value);
}

void exmlang::ExpandMacros(const exstring& section, exstring& text) const {
    size_t position = 0;
    while ((position = text.find('%', position)) != exstring::npos) {
        if (position + 1 < text.size() && (text[position + 1] == '%' || IsDigit(text[position + 1]))) {
            position += 2;
            continue;
        }
        const size_t length = MacroLengthAt(text, position);
        if (length == 0) {
            ++position;
            continue;
        }
        const bool wholeText = position == 0 && length == text.size();
        const exstring replacement = ResolveMacro(text.substr(position, length), section, wholeText);
        text.replace(position, length, replacement);
        position += replacement.size();
    }
}

bool exmlang::FindReplacement(const exstring& explicitSection, const exstring& name, const exstring& section,
                              exstring& replacement) const {
    if (!explicitSection.empty()) {
        if (!HasKey(explicitSection, name)) return false;
        replacement = Get(explicitSection, name);
        return true;
    }
    const auto macro = macros_.find(name);
    if (macro != macros_.end()) {
        replacement = macro->second;
        return true;
    }
    if (!section.empty() && HasKey(section, name)) {
        replacement = Get(section, name);
        return true;
    }
    if (HasKey(defaultSection, name)) {
        replacement = Get(defaultSection, name);
        return true;
    }
    return false;
}

exstring exmlang::ResolveMacro(const exstring& macro, const exstring& section, bool keepDecorations) const {
    exstring name = macro.substr(1);
    exstring explicitSection;
    if (!name.empty() && name[0] == '[') {
        const size_t close = name.find(']');
        if (close != exstring::npos) {
            explicitSection = name.substr(1, close - 1);
            name.erase(0, close + 1);
        }
    }
    if (name.empty()) return macro;

    exstring replacement;
    if (!FindReplacement(explicitSection, name, section, replacement) || replacement.empty()) return macro;
    if (!keepDecorations && replacement.find('&') != exstring::npos) StripDecorations(replacement);
    return replacement;
}

exstring exmlang::GetText(const exstring& section, const exstring& key, const exstring& a0, const exstring& a1,
                          const exstring& a2, const exstring& a3, const exstring& a4, const exstring& a5) const {
    const exstring* const arguments[] = {&a0, &a1, &a2, &a3, &a4, &a5};
    exstring text = Get(section.empty() ? defaultSection : section, key);
    size_t position = 0;
    while ((position = text.find('%', position)) != exstring::npos && position + 1 < text.size()) {
        const exchar next = text[position + 1];
        if (next == '%') {
            text.erase(position, 1);
            position += 1;
        } else if (next >= '0' && next <= '5') {
            const exstring& argument = *arguments[next - '0'];
            text.replace(position, 2, argument);
            position += argument.size();
        } else {
            position += 2;
        }
    }
    return text;
}
