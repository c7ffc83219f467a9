// The name of the user who locked the screen, as a passer-by would know it.
#pragma once

#include "../text/exstring.h"

// The user's display name, or the account name where there is none.
exstring UserDisplayName();
