// The two popup menus of the application: the settings menu of the main
// window and the Options menu of the unlock dialog, their marks and the
// actions of the settings commands.
#pragma once

#include <windows.h>

#include "../text/exstring.h"

class exMenu;
class exmlang;
class mgtSettings;

void BuildOptionsMenu(exMenu& menu, const exmlang& strings);
void BuildSettingsMenu(exMenu& menu, const exmlang& strings);

// The Lock When Idle sub-menu, shared by the settings menu and the helper's
// icon menu, and its marks.
void AppendIdleLockMenu(exMenu& menu, const exmlang& strings);
// Greys what the policies fix and, when any apply, adds the line that says so.
void RefreshIdleLockMarks(exMenu& menu, const mgtSettings& settings, const exmlang& strings);
// Whether `command` changes what the resident helper does.
bool IsHelperCommand(UINT command);
// Whether `command` chooses a language, which the caller then loads.
bool IsLanguageCommand(UINT command);

// Brings the marks and greying in line with the settings; called before
// every display, since nothing keeps them in step in between.
void RefreshSettingsMarks(exMenu& menu, const mgtSettings& settings, const exmlang& strings);

// Whether a policy of the organisation fixes what `command` would change.
bool SettingFixedByPolicy(UINT command, const mgtSettings& settings);

// The two common dialogs the settings commands open. Tests answer for the
// user through a subclass.
class SettingsChoosers {
public:
    virtual ~SettingsChoosers() = default;
    // `custom` is the chooser's array of 16 custom colours.
    virtual bool PickColor(HWND owner, COLORREF initial, COLORREF* custom, COLORREF& chosen);
    // `filter` holds NUL-separated pairs; `current` prefills the file name.
    virtual bool PickImage(HWND owner, const exstring& filter, const exstring& current, exstring& chosen);
};

// Carries out one command of the settings menu other than Set Password;
// every change is stored at once and an action that changes nothing stores
// nothing. False when `command` is not one of these commands.
bool RunSettingsCommand(UINT command, HWND owner, mgtSettings& settings, const exmlang& strings,
                        SettingsChoosers& choosers);

// The colour chooser's custom colours, kept while the program runs.
COLORREF* CustomColors();
// The file chooser's filter with its NULs, built from the catalogue.
exstring ImageFilter(const exmlang& strings);
