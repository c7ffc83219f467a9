// The configuration tree: section -> key -> value, names matched without
// regard to letter case. Settings and the string catalogue both live in one.
#pragma once

#include "../text/exstrmap.h"

using exinisection = exstrmap<exstring>;

class exini : public exstrmap<exinisection> {
public:
    exini();
    // Not virtual on purpose: a tree is always destroyed through its own type.
    ~exini() = default;
    exini(const exini&) = default;
    exini& operator=(const exini&) = default;

    // False, storing nothing, when the section or the key is empty.
    bool Set(const exstring& section, const exstring& key, const exstring& value);
    // Never creates anything; "" for anything missing.
    exstring Get(const exstring& section, const exstring& key) const;
    bool HasSection(const exstring& section) const;
    bool HasKey(const exstring& section, const exstring& key) const;
    void Clear() { clear(); }

    // Hook for derived trees: may change the value before it is stored.
    virtual void OnSetValue(const exstring& section, const exstring& key, exstring& value);

    exstring defaultSection;
};
