// A one-line note that Caps Lock is on, shown under a password field while
// a password field has the focus, so that a refused password is no mystery.
// Where the keypad is used, it also says that Num Lock is off.
#pragma once

#include <windows.h>

#include "../text/exstring.h"
#include "../toolkit/controls/exstatic.h"

// A hidden one-line static in the dialog's font, for a note made at run time.
HWND CreateTextLine(HWND dialog, const RECT& where, const exstring& text);

class CapsLockNote {
public:
    // Creates the hidden note inside `dialog`, just below `above`, as wide as it.
    bool Create(HWND dialog, HWND above, const exstring& text);
    // The note for Num Lock, which only Update's `keypadUsed` shows.
    void SetNumLockText(const exstring& text) { numLockText_ = text; }
    // Shows the note exactly when `fieldFocused` and Caps Lock is on, or
    // Num Lock is off after `keypadUsed`.
    void Update(bool fieldFocused, bool keypadUsed = false);
    HWND Handle() const { return note_.Handle(); }
    bool Visible() const;

    static bool CapsLockOn();
    static bool NumLockOn();
    // Whether a queued message may have changed the Caps Lock or Num Lock state.
    static bool MayToggle(const MSG& message);
    // A key of the numeric keypad going down, digits and Num Lock off alike.
    static bool IsKeypadKey(const MSG& message);

private:
    exStatic note_;
    exstring capsLockText_;
    exstring numLockText_;
};
