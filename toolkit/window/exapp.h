// The toolkit's application object: module instance, main window, name, exit
// code and message loop, and the variant that lets message filters (such as
// the tooltip's relay) see each message first. It knows no control.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"

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
    exWnd* MainWindow() const;
    void SetMainWindow(exWnd* window);
    const exstring& Name() const { return name_; }
    int ExitCode() const { return exitCode_; }
    void SetExitCode(int code) { exitCode_ = code; }

private:
    HINSTANCE instance_;
    exstring name_;
    int exitCode_;
    bool commonControlsStarted_ = false;
};

class exBaseApp : public exApp {
public:
    exBaseApp();
    ~exBaseApp() override;

    // Shows the message to every filter; true when one consumed it.
    bool PreTranslateMessage(MSG* message) override;

    // A filter sees each message of the loop before it is dispatched; true
    // consumes it. Adding one twice changes nothing.
    using MessageFilter = bool (*)(MSG* message);
    static void AddMessageFilter(MessageFilter filter);
};

// The one application object of the process, or null before it is built.
exApp* TheApp();
exBaseApp* TheBaseApp();

// The product name; the program file's name is used if it is ever empty.
extern const exchar kProductName[];
