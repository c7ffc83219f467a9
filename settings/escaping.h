// The stored form of configuration text: line breaks and tabs become "\r",
// "\n", "\t", backslashes that could be misread are doubled, and a text wholly
// enclosed in quotes gets those quotes escaped, so every text reads back as it
// was written.
#pragma once

#include "../text/exstring.h"

exstring& EscapeText(exstring& text);
exstring& UnescapeText(exstring& text);
