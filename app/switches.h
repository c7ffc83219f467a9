// The program's command-line switches.
#pragma once

#include "../text/exstring.h"

inline const exchar kSwitchCheckPassword[] = EXT("+checkpwd");
inline const exchar kSwitchBoot[] = EXT("+boot");
inline const exchar kSwitchLock[] = EXT("+lock");
inline const exchar kSwitchTray[] = EXT("+tray");
