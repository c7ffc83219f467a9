// The one tooltip window of the process. Buttons register their texts with
// it; the application's message loop relays mouse messages to it.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"
#include "../theme/extheme_control.h"
#include "../window/exwnd.h"

class exToolTipCtrl : public exWnd, public extheme_control {
public:
    exToolTipCtrl() = default;
    ~exToolTipCtrl() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawState(HDC dc, const RECT& rect, int state) override;

    // Creates the window once; true when it exists.
    bool Create();
    // Nothing without the window, a tool window or a text. "&" prefixes are
    // removed from the text; LPSTR_TEXTCALLBACKW passes through.
    void AddTool(HWND tool, const wchar_t* text);
    void RemoveTool(HWND tool);
    // The registered text of `tool` (TTM_GETTEXTW); empty without one.
    exstring ToolText(HWND tool) const;

    // Characters of the buffer the current tool's text is read into.
    static constexpr int kTextCapacity = 1024;
};

// The process-wide tooltip object (its window is made on first Create).
exToolTipCtrl& ToolTip();
// Its window, or null; never constructs the object.
HWND ToolTipWindow();
