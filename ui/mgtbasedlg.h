// The base of the application's dialogs: a themed dialog that can refuse to
// be closed and refuse the system's end-of-session query.
#pragma once

#include "../toolkit/controls/exbasedlg.h"

class mgtBaseDlg : public exBaseDlg {
public:
    explicit mgtBaseDlg(uint32_t templateId = 0) : exBaseDlg(templateId) {}
    ~mgtBaseDlg() override = default;

    // WM_CLOSE and WM_QUERYENDSESSION are answered 0 while blockClose is set,
    // and of the system commands only a move of the window by this thread's
    // own caption drag is carried out: minimising, sizing or closing a lock
    // window would uncover the desktop.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (blockClose && (message == WM_CLOSE || message == WM_QUERYENDSESSION)) return 0;
        if (blockClose && message == WM_SYSCOMMAND &&
            ((wParam & 0xFFF0) != SC_MOVE || (InSendMessageEx(nullptr) & ISMEX_SEND) != 0))
            return 0;
        return exBaseDlg::WindowProc(message, wParam, lParam);
    }

    bool blockClose = false;
};
