// Messages between the lock tests and their host processes.
#pragma once

#include <windows.h>

const wchar_t kLockHostTitle[] = L"MgLockHost";
const wchar_t kWitnessTitle[] = L"MgWitness";
const wchar_t kHandOverName[] = L"MGTHAND";  // the instance the restart roles hand over

const UINT kQueryKeyCount = WM_APP + 1;   // wParam: virtual key
const UINT kQueryClicks = WM_APP + 2;
const UINT kQueryLocked = WM_APP + 3;
const UINT kStopAndQuit = WM_APP + 5;
const UINT kQueryMoves = WM_APP + 7;
// Posted: brings the window lParam to the front, then keeps the lock's window
// thread busy for wParam ms.
const UINT kBusyWindowThread = WM_APP + 8;
// Makes and returns a hidden counting window; wParam: extended styles, lParam:
// nonzero for one owned by the main window.
const UINT kMakeWindow = WM_APP + 9;
