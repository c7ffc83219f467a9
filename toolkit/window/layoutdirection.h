// The direction the program's windows are laid out in. One switch, set from
// the language before any window is made.
#pragma once

// Mirrors every top-level window made after the call, dialogs and message
// boxes included (children follow their parents), or stops mirroring new ones.
void SetRightToLeft(bool rightToLeft);
bool IsRightToLeft();
