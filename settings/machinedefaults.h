// The settings an administrator gives a silent install (msiexec public
// properties), written as the machine's defaults: the settings below
// HKEY_LOCAL_MACHINE, which every user without settings of their own gets and
// may still change. Not policies.
#pragma once

#include <vector>

#include "../text/exstring.h"
#include "mgtsettings.h"

// Takes "NAME=value" words: AUTOSTART=0|1, IDLELOCK=minutes (0 to 1440),
// LOCKBEFORESLEEP=0|1, HOTKEY=0|1. An empty value means the property was not
// given. Settings stored there already stay unless named; a new tree starts
// from the program's defaults. False when a word was not understood (the
// others are written all the same) or nothing could be written.
bool WriteMachineDefaults(const SettingsStore& store, const std::vector<exstring>& words);
