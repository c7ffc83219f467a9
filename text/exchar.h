// The program's UTF-16 code unit, whatever the platform.
#pragma once

#ifdef _WIN32
// On Windows the code unit is wchar_t so that every W API takes c_str() as it is.
using exchar = wchar_t;
#define EXT(text) L##text
#else
using exchar = char16_t;
#define EXT(text) u##text
#endif
