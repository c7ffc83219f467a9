// A string table: a configuration tree whose texts have their named macros
// (%name, %[section]name) replaced as they are added, and whose numbered
// placeholders (%0 to %5) are filled on every lookup.
#pragma once

#include "../settings/exini.h"

class exmlang : public exini {
public:
    // Replaces an earlier macro of the same name in any letter case. The text
    // itself is stored unexpanded.
    bool AddMacro(const exstring& name, const exstring& text);

    // An empty section means the default section.
    exstring GetText(const exstring& section, const exstring& key,
                     const exstring& a0 = exstring(), const exstring& a1 = exstring(),
                     const exstring& a2 = exstring(), const exstring& a3 = exstring(),
                     const exstring& a4 = exstring(), const exstring& a5 = exstring()) const;

    void OnSetValue(const exstring& section, const exstring& key, exstring& value) override;

    void ExpandMacros(const exstring& section, exstring& text) const;

private:
    exstring ResolveMacro(const exstring& macro, const exstring& section, bool keepDecorations) const;
    bool FindReplacement(const exstring& explicitSection, const exstring& name, const exstring& section,
                         exstring& replacement) const;

    exstrmap<exstring> macros_;
};

// Length of the macro starting at `start` (which holds '%'), or 0 for none.
size_t MacroLengthAt(const exstring& text, size_t start);
