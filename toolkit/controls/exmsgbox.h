// The toolkit's own message box: a themed dialog built from an in-memory
// template that stands in for MessageBoxW.
#pragma once

#include <windows.h>

#include "../../text/exstring.h"
#include "exbasedlg.h"
#include "exbutton.h"
#include "excheckbox.h"
#include "exstatic.h"

// Shows a modal message box and returns the id of the button that closed it
// (IDOK, IDCANCEL, IDYES, IDNO, ...), or -1 when no box could be made.
// `style` takes the MB_ type (OK, OK/Cancel, Yes/No, Yes/No/Cancel; the
// leftmost button is the default) and icon bits. With `checkText` a
// check box is shown; its initial and final state travel through `checkState`.
int ShowMessageBox(HWND owner, const exstring& text, UINT style, const wchar_t* caption = nullptr,
                   const wchar_t* checkText = nullptr, bool* checkState = nullptr);

// Localised captions for the four common buttons; a null text leaves that
// button's caption as it is.
void SetButtonTexts(const wchar_t* ok, const wchar_t* cancel, const wchar_t* yes, const wchar_t* no);

// The caption of a result button (IDOK .. IDCONTINUE): the override when set,
// else the system's own caption, else the built-in English one. Empty for
// any other id.
exstring GetButtonText(int id);

class exMessageBox : public exBaseDlg {
public:
    exMessageBox(const exstring& text, UINT style, const exstring& caption, const wchar_t* checkText,
                 bool checkState);
    ~exMessageBox() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateMessage(MSG* message) override;
    void SubclassControls() override;
    BOOL OnInitDialog() override;
    void OnDraw(HDC dc, const RECT& client) override;

    // The check box state, read back when the box closes.
    bool CheckState() const { return checkState_; }

private:
    exHandled OnCommandMessage(exMessage& message);
    exHandled OnClose(exMessage& message);
    exHandled OnDestroy(exMessage& message);
    exHandled OnPaint(exMessage& message);
    exHandled OnEraseBkgnd(exMessage& message);

    void PrepareButtons();
    void PrepareCheckBox();
    void PrepareMessage();
    void PlaceMessage();
    RECT ContentArea(const RECT& client) const;
    void SizeAndPlace();
    // The text at the first candidate width whose height fits.
    SIZE MeasureTextBlock(const int (&candidates)[4], int availableHeight) const;
    // Fits the check box to its text within `limit` pixels; its size.
    SIZE FitCheckBox(int limit);
    RECT WorkArea() const;
    int FitCaption(int windowWidth, int maxWidth) const;
    void PlaceControls(SIZE button, int gap);
    bool EndByEscape();
    void CopyTextToClipboard() const;

    UINT style_;
    HICON icon_ = nullptr;
    exstring caption_;
    exstring text_;
    const wchar_t* checkText_;
    bool checkState_;
    exButton buttons_[3];
    exCheckBox checkBox_;
    exStatic message_;
};
