// Dialogs that grow to their texts: each control's text is measured with its
// own font, and where one does not fit, the whole layout is stretched (across
// first, then down, since wrapped text needs less height when wider), within
// the work area. Long translations and large fonts alike fit so.
#pragma once

#include <windows.h>

// The size the text of `control` needs, frame included; 0 in a direction the
// control does not care about (no text, or an edit's width).
SIZE TextNeed(HWND control);

// Stretches the dialog's children and client area until every text fits, or
// the window fills its work area; true when anything changed.
bool FitDialogToTexts(HWND dialog);
