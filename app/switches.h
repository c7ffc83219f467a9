// The program's command-line switches.
#pragma once

#include "../text/exstring.h"

inline const exchar kSwitchCheckPassword[] = EXT("+checkpwd");
inline const exchar kSwitchBoot[] = EXT("+boot");
inline const exchar kSwitchLock[] = EXT("+lock");
inline const exchar kSwitchTray[] = EXT("+tray");
// Run by the installer with its public properties ("AUTOSTART=1" ...): writes
// them as the machine's default settings and ends.
inline const exchar kSwitchMachineDefaults[] = EXT("+defaults");
