// Window objects: every window of the program is an object bound to one
// handle by replacing the window's procedure with one shared procedure, which
// routes messages (and reflects notifications to child controls) before the
// previous procedure sees them.
#pragma once

#include <windows.h>

#include <map>

#include "../../text/exstring.h"

class exWnd {
public:
    exWnd();
    exWnd(const exWnd&) = delete;
    exWnd& operator=(const exWnd&) = delete;

    // Virtual operations in their fixed order.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual bool IsDialogMessage(MSG* message);
    virtual void OnSubclassed();
    virtual bool PreTranslateMessage(MSG* message);
    virtual void OnDrawItem(DRAWITEMSTRUCT* item);
    virtual void OnMeasureItem(MEASUREITEMSTRUCT* item);
    virtual int OnCompareItem(COMPAREITEMSTRUCT* item);
    virtual bool OnNotify(NMHDR* header, LRESULT* result);
    virtual bool OnCommand(UINT notificationCode);
    virtual void OnCtlColor(HDC dc, HBRUSH* brush);
    virtual ~exWnd();
    virtual bool SubclassDlgItem(HWND parent, int controlId);
    virtual bool SubclassWindow(HWND window);

    // Unbinds; with `destroy` the window is destroyed first.
    void Detach(bool destroy);

    HWND Handle() const { return handle_; }
    HFONT Font() const { return font_; }
    WNDPROC PreviousProc() const { return previousProc_; }

    LONG GetStyle() const;
    LONG GetExStyle() const;
    // 0 when nothing changed (nothing is written), 1 otherwise.
    int ModifyStyle(LONG remove, LONG add, bool refresh = false);
    int ModifyStyleEx(LONG remove, LONG add, bool refresh = false);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool CenterWindow(HWND centerOn = nullptr);

    static exWnd* FromHandle(HWND window);
    // The thread's main window: destroying it ends the message loop, and
    // windows without an owner centre on it. Set by the application.
    static exWnd* MainWindow();
    static void SetMainWindow(exWnd* window);
    // What F1 (WM_HELP) does in any window; nothing without a handler.
    static void SetHelpHandler(void (*handler)());
    // Whether a menu of one of this thread's windows is open now.
    static bool MenuOpen();
    // The window with this control ID below `parent`, preferring the deepest
    // match inside the direct child that has it.
    static HWND FindDescendant(HWND parent, int controlId);

    static LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    bool Attach(HWND window);
    void SetMinTrackSize(int width, int height) {
        minTrackWidth_ = width;
        minTrackHeight_ = height;
    }
    int MinTrackWidth() const { return minTrackWidth_; }
    int MinTrackHeight() const { return minTrackHeight_; }

private:
    friend class exWndRouting;
    friend void BindPendingObject(HWND window);

    int ModifyLong(int index, LONG remove, LONG add, bool refresh);

    WNDPROC previousProc_;
    int minTrackWidth_;
    int minTrackHeight_;
    HFONT font_;
    bool drawItemNotHandled_;
    bool measureItemNotHandled_;
    bool compareItemNotHandled_;
    HWND handle_;
};

// Whether the message being handled was sent from another thread (or
// process): its sender may be any program of the desktop.
bool SentFromAnotherThread();

// The window's text; empty for none or an invalid window.
exstring WindowTextOf(HWND window);

// The process-wide map from handles to bound objects. At process end it
// unbinds whatever is still bound, without destroying windows.
class exWndMap : public std::map<HWND, exWnd*> {
public:
    virtual ~exWndMap();
};

exWndMap* WindowMap();

// The object that the next created dialog window binds to.
void SetPendingObject(exWnd* object);
exWnd* PendingObject();
// Binds the pending object to `window` if it has none yet (and clears it).
void BindPendingObject(HWND window);
