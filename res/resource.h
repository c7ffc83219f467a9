// Fixed resource, control and command IDs shared by the templates and the code.
#pragma once

#define IDI_APPLICATION_ICON 101

#define IDD_MAIN 128
#define IDD_UNLOCK 129
#define IDD_PASSWORD 130

// Controls. 1 and 2 are IDOK and IDCANCEL.
#define IDC_INFORMATION 1001
#define IDC_LOCK_NOW 1002
#define IDC_SETTINGS 1003
#define IDC_HELP_BUTTON 1004
#define IDC_PASSWORD 1005
#define IDC_OPTIONS 1006
#define IDC_DELETE_PASSWORD 1006
#define IDC_APP_ICON 1007
#define IDC_PRODUCT_NAME 1008
#define IDC_VERSION 1009
#define IDC_WEB_LINK 1010
#define IDC_MAKER 1011
#define IDC_NEW_PASSWORD 1014
#define IDC_CONFIRM_PASSWORD 1015
#define IDC_PASSWORD_HINT 1016
#define IDC_SEPARATOR 1017
#define IDC_KEYBOARD_LAYOUT 1018

// Menu commands.
#define IDM_SET_PASSWORD 1005
#define IDM_SHOW_HINT 32771
#define IDM_BGCOLOR_SYSTEM 32773
#define IDM_BGCOLOR_CUSTOM 32774
#define IDM_BGIMAGE_NONE 32775
#define IDM_BGIMAGE_SYSTEM 32776
#define IDM_BGIMAGE_CUSTOM 32777
#define IDM_USE_ORIGINAL_SCREEN 32778
#define IDM_AUTO_START 32779

// The idle-lock choices, in menu order (Never, then minutes), and the
// helper's own commands.
#define IDM_IDLE_NEVER 32780
#define IDM_IDLE_1 32781
#define IDM_IDLE_5 32782
#define IDM_IDLE_10 32783
#define IDM_IDLE_15 32784
#define IDM_IDLE_30 32785
#define IDM_LOCK_ON_SLEEP 32786
#define IDM_SHOW_CLOCK 32787
#define IDM_TRAY_LOCK_NOW 32790
#define IDM_TRAY_SETTINGS 32791
#define IDM_TRAY_EXIT 32792
// The disabled line that says the organisation manages some settings.
#define IDM_MANAGED_NOTE 32793

// The Appearance choices, in menu order (as the toolkit's Appearance values).
#define IDM_APPEARANCE_FIRST 32800
#define IDM_APPEARANCE_LAST 32805

// The Language choices: Follow Windows, then each built-in catalogue in order.
#define IDM_LANGUAGE_FIRST 32810
#define IDM_LANGUAGE_LAST 32829
