// The keyboard layout of the password field, shown on a small button beside
// it and changed by a click on it: the lock's key filter drops most layout
// hot keys (Win+Space, Ctrl+Shift), and the owner must still get to the
// layout the password was set with.
#pragma once

#include <windows.h>

#include "../text/exstring.h"

class exButton;
class exmlang;

// "ENG", "DEU": the language of the layout in three letters, as the
// taskbar shows it.
exstring LayoutShortName(HKL layout);

// The layout that follows `current` in `installed`, or null when there is no other.
HKL NextLayout(HKL current, const HKL* installed, int count);

// Makes the next installed layout this thread's; false when there is none.
bool SwitchToNextLayout();

// The button shows this thread's layout, and takes clicks only when there is
// another to switch to.
void ShowKeyboardLayout(exButton& button, const exmlang& strings);
