#include "languages.h"

#include "catalogue.h"

std::vector<exstring> AvailableLanguages() {
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    std::vector<exstring> tags;
    for (size_t i = 0; i < count; ++i) tags.emplace_back(catalogues[i]->tag);
    return tags;
}

bool ApplyLanguage(mgtMLang& strings, const exstring& language) {
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    for (size_t i = 0; i < count; ++i)
        if (language.EqualsNoCase(catalogues[i]->tag)) {
            strings.Load(*catalogues[i]);
            return true;
        }
    return false;
}

bool IsRightToLeftLanguage(const exstring& language) {
    static const exchar* const kRightToLeft[] = {EXT("ar"), EXT("he"), EXT("fa"), EXT("ur"), EXT("yi"), EXT("ps")};
    const size_t dash = language.find(EXT('-'));
    const exstring primary = dash == exstring::npos ? language : language.substr(0, dash);
    for (const exchar* tag : kRightToLeft)
        if (primary.CompareNoCase(tag) == 0) return true;
    return false;
}
