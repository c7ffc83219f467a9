// The configuration tree: section -> key -> value, names matched without
// regard to letter case. Settings and the string catalogue both live in one.
#pragma once

#include "../text/exstrmap.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
    // Replaces the tree with what root\keyPath holds: a subkey per section, a
    // REG_SZ value per key. True when the key has at least one subkey.
    bool LoadRegistry(HKEY root, const exstring& keyPath = SettingsKeyPath());
    // Writes every section and key; removes nothing. False when a section's
    // subkey could not be created (or the path is empty).
    bool SaveRegistry(HKEY root, const exstring& keyPath = SettingsKeyPath()) const;
#endif

    // The application's settings key below either root.
    static exstring SettingsKeyPath();

    // Hook for derived trees: may change the value before it is stored.
    virtual void OnSetValue(const exstring& section, const exstring& key, exstring& value);

    exstring defaultSection;
};
