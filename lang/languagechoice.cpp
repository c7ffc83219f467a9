#include "languagechoice.h"

namespace {

exstring PrimaryLanguage(const exstring& tag) {
    return tag.substr(0, tag.find('-'));
}

template <typename Match>
const Catalogue* FindCatalogue(Match matches) {
    size_t count = 0;
    const Catalogue* const* catalogues = Catalogues(count);
    for (size_t i = 0; i < count; ++i)
        if (matches(*catalogues[i])) return catalogues[i];
    return nullptr;
}

const Catalogue* FindAlongParents(exstring tag) {
    // A hand-written value may separate its subtags the POSIX way.
    for (exchar& c : tag)
        if (c == '_') c = '-';
    for (;;) {
        if (tag.empty()) return nullptr;
        if (const Catalogue* found = FindCatalogue([&](const Catalogue& c) { return tag.EqualsNoCase(c.tag); }))
            return found;
        const size_t dash = tag.rfind('-');
        if (dash == exstring::npos) break;
        tag.erase(dash);
    }
    return FindCatalogue([&](const Catalogue& c) { return PrimaryLanguage(c.tag).EqualsNoCase(tag); });
}

} // namespace

const Catalogue& ChooseCatalogue(const exstring& wanted, const std::vector<exstring>& displayLanguages) {
    if (const Catalogue* found = FindAlongParents(wanted)) return *found;
    for (const exstring& language : displayLanguages)
        if (const Catalogue* found = FindAlongParents(language)) return *found;
    return EnglishCatalogue();
}
