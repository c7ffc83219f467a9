// The toolkit's application object: module instance, main window, name and
// exit code, and the themed variant that tracks the open popup menu.
#pragma once

#include <windows.h>

#include "../text/exstring.h"

class exWnd;

class exApp {
public:
    exApp();
    virtual bool PreTranslateMessage(MSG* message);
    virtual ~exApp();
    virtual void OnHelp();

    exApp(const exApp&) = delete;
    exApp& operator=(const exApp&) = delete;

    // Registers the common control classes. Deferred from construction to the
    // first window, so that a start that shows none (the password query)
    // never loads the window libraries.
    void StartCommonControls();

    // The application's message loop; runs until WM_QUIT. False at once
    // without a main window.
    bool Run();

    HINSTANCE Instance() const { return instance_; }
    exWnd* MainWindow() const { return mainWindow_; }
    void SetMainWindow(exWnd* window) { mainWindow_ = window; }
    const exstring& Name() const { return name_; }
    int ExitCode() const { return exitCode_; }
    void SetExitCode(int code) { exitCode_ = code; }

private:
    HINSTANCE instance_;
    exWnd* mainWindow_;
    exstring name_;
    int exitCode_;
    bool commonControlsStarted_ = false;
};

class exBaseApp : public exApp {
public:
    exBaseApp();
    ~exBaseApp() override;

    // Relays mouse messages to the process-wide tooltip; never consumes.
    bool PreTranslateMessage(MSG* message) override;

    HMENU TrackedMenu() const { return trackedMenu_; }
    void SetTrackedMenu(HMENU menu) { trackedMenu_ = menu; }

private:
    HMENU trackedMenu_;
};

// The one application object of the process, or null before it is built.
exApp* TheApp();
exBaseApp* TheBaseApp();

// The product name; the program file's name is used if it is ever empty.
extern const exchar kProductName[];
