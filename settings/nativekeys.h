// Registry reads through the native API. Reading the settings is the first
// thing every start does, and under Wine loading the registry library for it
// costs more than the whole password query; the native calls need nothing
// beyond ntdll. The handles are ordinary key handles: the registry library's
// functions take them too. Results are Win32 error codes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "../text/exstring.h"

// Opens `path` below `root` for reading. Roots other than HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER and opened keys go through the registry library.
LONG OpenKeyForReading(HKEY root, const exstring& path, HKEY& key);
LONG CloseKey(HKEY key);

LONG QueryValueData(HKEY key, const exstring& name, DWORD& type, std::vector<uint8_t>& data);

// The name of subkey `index`; ERROR_NO_MORE_ITEMS past the last.
LONG EnumerateSubkey(HKEY key, DWORD index, exstring& name);

struct NamedValue {
    exstring name;
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};
// Value `index` with its data; ERROR_NO_MORE_ITEMS past the last.
LONG EnumerateValue(HKEY key, DWORD index, NamedValue& value);
