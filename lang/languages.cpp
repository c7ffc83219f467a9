#include "languages.h"

std::vector<exstring> AvailableLanguages() {
    return {exstring(EXT("en"))};
}

bool ApplyLanguage(exmlang&, const exstring& language) {
    // English is the catalogue every string table starts with.
    return language.CompareNoCase(EXT("en")) == 0;
}

bool IsRightToLeftLanguage(const exstring& language) {
    static const exchar* const kRightToLeft[] = {EXT("ar"), EXT("he"), EXT("fa"), EXT("ur"), EXT("yi"), EXT("ps")};
    const size_t dash = language.find(EXT('-'));
    const exstring primary = dash == exstring::npos ? language : language.substr(0, dash);
    for (const exchar* tag : kRightToLeft)
        if (primary.CompareNoCase(tag) == 0) return true;
    return false;
}
