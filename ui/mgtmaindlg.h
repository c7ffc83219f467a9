// The main window: icon, product name, version, maker and web link, and the
// buttons Lock Now, Settings and Help.
#pragma once

#include <functional>

#include "../toolkit/controls/exbutton.h"
#include "../toolkit/controls/exstatic.h"
#include "../toolkit/window/messagemap.h"
#include "mgtbasedlg.h"

class exMenu;
class exmlang;
class mgtSettings;

// What the window needs of the application, which lives above this layer.
struct MainServices {
    mgtSettings& settings;
    const exmlang& strings;
    exMenu& settingsMenu;
    exstring version;
    // Offered every message first: the single-instance activation request.
    std::function<void(HWND, UINT)> onMessage;
    // Starts the process that locks once this one has ended; false when it
    // could not be started.
    std::function<bool()> startLockProcess;
    std::function<void()> help;
    // Loads the language just chosen and rebuilds the menus in it.
    std::function<void()> languageChosen;
};

// The product's web page, shown on the link.
extern const wchar_t kProductWebAddress[];
extern const wchar_t kMakerName[];

class mgtMainDlg : public mgtBaseDlg {
public:
    explicit mgtMainDlg(MainServices services);
    ~mgtMainDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SubclassControls() override;
    BOOL OnInitDialog() override;

private:
    exHandled OnDestroy(exMessage& message);
    exHandled OnCommandMessage(exMessage& message);
    // A command of the settings menu.
    void RunSettingsChoice(UINT id);
    void LockNow();
    void ShowSettingsMenu();
    void SetPassword();
    void StackInfoLines();
    void ShowTexts();

    MainServices services_;
    exPictureBox icon_;
    exStatic title_;
    exStatic version_;
    exStatic maker_;
    exButton_Link link_;
    exButton lockNow_;
    exButton settings_;
    exButton help_;
    exSPLine separator_;
};
