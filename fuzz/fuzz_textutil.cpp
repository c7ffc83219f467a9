// Trim and CleanMenuText against their plain definitions.
#include <cstdlib>

#include "fuzzinput.h"
#include "text/textutil.h"

namespace {

bool HasLoneAmpersand(const exstring& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (i + 1 < text.size() && text[i + 1] == '&') ++i;
        else return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<exstring> parts = SplitParts(TextFromBytes(data, size), 2);
    const exstring& text = parts[0];

    exstring trimmed(text);
    const exstring set = parts[1].substr(0, parts[1].find(exchar(0)));
    Trim(trimmed, set.c_str(), kTrimBoth);
    if (!trimmed.empty() && !set.empty() &&
        (set.find(trimmed.front()) != exstring::npos || set.find(trimmed.back()) != exstring::npos))
        std::abort();

    for (int mode = 0; mode < 3; ++mode) {
        exstring cleaned(text);
        CleanMenuText(cleaned, mode);
        if (HasLoneAmpersand(cleaned) || cleaned.size() > text.size()) std::abort();
    }
    return 0;
}
