#include "displaylanguages.h"

#include <windows.h>

#include "languagechoice.h"

std::vector<exstring> UserDisplayLanguages() {
    ULONG count = 0;
    ULONG size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) return {};
    // One more NUL than asked for, so that a short answer still ends.
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, buffer.data(), &size)) return {};
    // A list of NUL-terminated names, ended by an empty one.
    std::vector<exstring> languages;
    for (const wchar_t* name = buffer.data(); name < buffer.data() + buffer.size() && *name != L'\0';
         name += languages.back().size() + 1)
        languages.emplace_back(name);
    return languages;
}

const Catalogue& CatalogueForUser(const exstring& wanted) {
    return ChooseCatalogue(wanted, UserDisplayLanguages());
}
