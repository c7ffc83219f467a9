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

// The running executable; with `quote`, enclosed in quotes when it has a space.
exstring ModulePath(bool quote);

// The last part of a path: what follows the last separator or drive colon.
exstring FileNameOf(const exstring& path);
