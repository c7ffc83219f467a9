// The application's string table, filled with one of the built-in catalogues.
#pragma once

#include "catalogue.h"
#include "exmlang.h"

class mgtMLang : public exmlang {
public:
    // English until told otherwise.
    mgtMLang();

    // Replaces every text by the catalogue's. English lies beneath, so a text
    // a catalogue lacked would still say something.
    void Load(const Catalogue& catalogue);
    const Catalogue& Language() const { return *language_; }

private:
    void Add(const Catalogue& catalogue);

    const Catalogue* language_;
};
