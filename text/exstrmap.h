// Ordered maps keyed by text without regard to letter case.
#pragma once

#include <map>

#include "exstring.h"

struct exmap_nocasecompare {
    bool operator()(const exstring& a, const exstring& b) const {
        return CompareNoCase(a.data(), a.size(), b.data(), b.size()) < 0;
    }
};

// A key keeps the letter case it was first inserted with; later writes in
// other letter case only change the value.
template <class V>
class exstrmap : public std::map<exstring, V, exmap_nocasecompare> {
public:
    bool Has(const exstring& key) const { return this->find(key) != this->end(); }
};
