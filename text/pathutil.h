// Paths the user can configure: expansion of environment variables and known
// folders, and what a path names. Windows only.
#pragma once

#include <windows.h>

#include "exstring.h"

// Empty when the GUID's first 32 bits are zero or the shell cannot answer.
exstring KnownFolderPath(const GUID& folder);

// Expands %VARIABLES%, then %{known-folder GUID}% tokens.
exstring ExpandPath(const exstring& path);

enum PathKindResult : int {
    kPathMissing = 0,
    kPathFile = 1,
    kPathDirectory = 2,
};
int PathKind(const exstring& path);

// The running executable, however long its path; with `quote`, enclosed in
// quotes when it has a space.
exstring ModulePath(bool quote);

// The longest path Windows takes, in characters.
constexpr DWORD kLongestPath = 32768;
// GetModuleFileNameW's shape, so that tests can stand in for a deep folder.
using ModuleFileNameFn = DWORD(WINAPI*)(HMODULE module, LPWSTR buffer, DWORD size);
// The whole file name of `module`; empty when it cannot be read.
exstring ModuleFileName(HMODULE module, ModuleFileNameFn read = GetModuleFileNameW);

// The last part of a path: what follows the last separator or drive colon.
exstring FileNameOf(const exstring& path);
