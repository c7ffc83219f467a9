// The few services the text core takes from the operating system. Windows
// builds use Win32; other builds use portable stand-ins (simple per-code-unit
// upper-casing, Windows-1252 as the ANSI code page) so the core can be tested
// natively under the sanitizers.
#pragma once

#include <string>

#include "exchar.h"

enum class TextCodePage { Ansi, Utf8 };

// Ordinal comparison after simple upper-case mapping: -1, 0 or +1.
// Returns false when the platform could not compare.
bool PlatformCompareNoCase(const exchar* a, size_t aLength, const exchar* b, size_t bLength, int& result);

// Conversions with the platform's default behaviour: characters without a
// mapping become the code page's default character, invalid UTF-16 becomes
// U+FFFD in UTF-8. A failure gives the empty result.
std::string PlatformToCodePage(const exchar* text, size_t length, TextCodePage codePage);
std::basic_string<exchar> PlatformFromCodePage(const char* text, size_t length, TextCodePage codePage);
