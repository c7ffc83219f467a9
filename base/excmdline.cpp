#include "excmdline.h"

#include "../text/textutil.h"

namespace {

// Splits after trimming; `emit` receives each non-empty token.
template <class Emit>
void Tokenize(const exstring& text, Emit emit) {
    exstring current;
    bool inQuotes = false;
    for (size_t i = 0; i < text.size();) {
        const exchar c = text[i];
        if (c == '\\') {
            size_t run = 0;
            while (i + run < text.size() && text[i + run] == '\\') ++run;
            i += run;
            if (i < text.size() && text[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(run, '\\');
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
            ++i;
        } else if (c == ' ' && !inQuotes) {
            if (!current.empty()) emit(current);
            current.clear();
            ++i;
        } else {
            current += c;
            ++i;
        }
    }
    if (!current.empty()) emit(current);
}

} // namespace

const exchar* ArgumentsOf(const exchar* commandLine) {
    if (commandLine == nullptr) return nullptr;
    bool inQuotes = false;
    for (const exchar* p = commandLine; *p != 0; ++p) {
        if (*p == ' ' && !inQuotes) return p + 1;
        if (*p == '"') inQuotes = !inQuotes;
    }
    return commandLine + TextLength(commandLine);
}

std::vector<exstring> CommandLineTokens(const exstring& text) {
    std::vector<exstring> tokens;
    exstring trimmed(text);
    Trim(trimmed, EXT(" \t"), kTrimBoth);
    Tokenize(trimmed, [&tokens](const exstring& token) { tokens.push_back(token); });
    return tokens;
}

void excmdline::Parse(const exstring& text) {
    tokens_.clear();
    exstring trimmed(text);
    Trim(trimmed, EXT(" \t"), kTrimBoth);
    Tokenize(trimmed, [this](const exstring& token) { Add(token); });
}

void excmdline::Add(const exstring& token) {
    if (token.empty()) return;
    for (exstring& existing : tokens_) {
        if (existing.EqualsNoCase(token)) {
            existing = token;
            return;
        }
    }
    tokens_.push_back(token);
}

bool excmdline::Contains(const exstring& token) const {
    if (token.empty()) return false;
    for (const exstring& existing : tokens_)
        if (existing.EqualsNoCase(token)) return true;
    return false;
}

exstring excmdline::QuoteArg(const exstring& token) {
    if (token.empty()) return token;
    exstring out;
    out.reserve(token.size() + 2);
    size_t backslashes = 0;
    for (const exchar c : token) {
        if (c == '"') {
            // The run before a quote doubles, and the quote itself is escaped.
            out.append(backslashes + 1, '\\');
        }
        backslashes = (c == '\\') ? backslashes + 1 : 0;
        out += c;
    }
    // Tabs are quoted too: Windows splits at them, and a leading or trailing
    // tab would otherwise be trimmed away when the line is read back.
    if (token.find_first_of(EXT(" \t")) != exstring::npos) {
        // Backslashes before the closing quote must double or they escape it.
        out.append(backslashes, '\\');
        out.insert(out.begin(), exchar('"'));
        out += '"';
    }
    return out;
}

exstring excmdline::ToString() const {
    exstring out;
    for (const exstring& token : tokens_) {
        if (!out.empty()) out += ' ';
        out += QuoteArg(token);
    }
    return out;
}
