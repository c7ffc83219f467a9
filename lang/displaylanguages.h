// The user's Windows display languages, and the catalogue they ask for.
#pragma once

#include <vector>

#include "catalogue.h"

// Most preferred first, as language names ("de-AT"); empty when Windows
// does not say.
std::vector<exstring> UserDisplayLanguages();

// The one place that picks the program's language: `wanted` is a tag from
// the settings or a policy, empty to follow Windows.
const Catalogue& CatalogueForUser(const exstring& wanted);
