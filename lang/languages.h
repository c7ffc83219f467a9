// The catalogues built into the program, by language tag.
#pragma once

#include <vector>

#include "mgtmlang.h"

// Every language the program can speak, English first.
std::vector<exstring> AvailableLanguages();
// Lays the catalogue of `language` over the English texts of `strings`;
// false, with nothing changed, for a language the program does not have.
bool ApplyLanguage(mgtMLang& strings, const exstring& language);
// Whether `language` (a tag such as "he" or "ar-EG") is written right to left.
bool IsRightToLeftLanguage(const exstring& language);
