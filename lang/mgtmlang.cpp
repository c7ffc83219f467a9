#include "mgtmlang.h"

mgtMLang::mgtMLang() : language_(&EnglishCatalogue()) {
    Load(EnglishCatalogue());
}

void mgtMLang::Load(const Catalogue& catalogue) {
    Clear();
    AddMacro(EXT("app_name"), EXT("Marrowgate"));
    AddMacro(EXT("app_company"), EXT("Quarnwick Software"));
    Add(EnglishCatalogue());
    if (&catalogue != &EnglishCatalogue()) Add(catalogue);
    language_ = &catalogue;
}

void mgtMLang::Add(const Catalogue& catalogue) {
    for (const CatalogueEntry& entry : catalogue) Set(entry.section, entry.key, entry.text);
}
