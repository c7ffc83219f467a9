// One language's texts, built into the program: nothing is read from outside,
// so a planted file cannot change what the lock says.
#pragma once

#include <cstddef>

#include "../text/exstring.h"

struct CatalogueEntry {
    const exchar* section;
    const exchar* key;
    const exchar* text;
};

struct Catalogue {
    const exchar* tag;   // the language's name as Windows gives it ("de", "pt-BR")
    const exchar* name;  // the language's own name, as the chooser shows it
    const CatalogueEntry* entries;
    size_t count;

    const CatalogueEntry* begin() const { return entries; }
    const CatalogueEntry* end() const { return entries + count; }
};

// Every catalogue of the program, English first; `count` receives how many.
const Catalogue* const* Catalogues(size_t& count);
const Catalogue& EnglishCatalogue();
