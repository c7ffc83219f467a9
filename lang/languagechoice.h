// Which built-in catalogue speaks to the user.
#pragma once

#include <vector>

#include "catalogue.h"

// The wanted language (empty for none), else the first of the display
// languages the program has, else English. Each tag is tried along its
// parents ("de-AT", then "de"); a bare language takes the program's one
// variant of it ("pt-PT" reaches "pt-BR").
const Catalogue& ChooseCatalogue(const exstring& wanted, const std::vector<exstring>& displayLanguages);
