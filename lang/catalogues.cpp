#include "catalogue.h"

extern const Catalogue kEnglishCatalogue, kGermanCatalogue, kFrenchCatalogue, kSpanishCatalogue, kItalianCatalogue,
    kBrazilianPortugueseCatalogue, kPolishCatalogue, kJapaneseCatalogue, kArabicCatalogue;

namespace {

const Catalogue* const kCatalogues[] = {&kEnglishCatalogue,  &kGermanCatalogue,
                                        &kFrenchCatalogue,   &kSpanishCatalogue,
                                        &kItalianCatalogue,  &kBrazilianPortugueseCatalogue,
                                        &kPolishCatalogue,   &kJapaneseCatalogue,
                                        &kArabicCatalogue};

} // namespace

const Catalogue* const* Catalogues(size_t& count) {
    count = sizeof(kCatalogues) / sizeof(kCatalogues[0]);
    return kCatalogues;
}

const Catalogue& EnglishCatalogue() {
    return kEnglishCatalogue;
}
