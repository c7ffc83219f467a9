// The password dialog: sets a new password (typed twice) with an optional
// hint, or deletes the password after a confirmation. Everything it changes
// is stored before the dialog ends.
#pragma once

#include "../settings/storedpassword.h"
#include "../toolkit/controls/exbutton.h"
#include "../toolkit/controls/exedit.h"
#include "../toolkit/controls/exstatic.h"
#include "capslocknote.h"
#include "mgtbasedlg.h"

class exmlang;
class mgtSettings;

// Where the dialog's rows go, in client pixels. Only the vertical positions
// change; every control keeps its size and its left edge.
struct InputDlgRows {
    int newPasswordTop = 0;
    int confirmTop = 0;
    int hintTop = 0;
    int buttonTop = 0;
    int linkTop = 0;
    int clientHeight = 0;
};

// `infoTop`/`infoBottom`: the information text's edges; `editHeight`: the
// height of a password field; the hint row is skipped when it is hidden.
InputDlgRows ArrangeInputDlgRows(int infoTop, int infoBottom, int editHeight, bool hintVisible, int buttonHeight,
                                 int linkHeight);

class mgtInputDlg : public mgtBaseDlg {
public:
    mgtInputDlg(mgtSettings& settings, const exmlang& strings);
    ~mgtInputDlg() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool IsDialogMessage(MSG* message) override;
    void SubclassControls() override;
    BOOL OnInitDialog() override;
    void UpdateControls() override;

private:
    void UpdateCapsLockNote();
    void FitLayout();
    void OnOk();
    void OnDeletePassword();
    // Saves a new password and hint; on failure the record is left as it was.
    bool StorePassword(const PasswordRecord& record, const exstring& hint);
    exstring Text(const wchar_t* section, const wchar_t* key) const;

    mgtSettings& settings_;
    const exmlang& strings_;
    exStatic information_;
    exEdit newPassword_;
    exEdit confirmPassword_;
    exEdit hint_;
    exButton_Link deleteLink_;
    exButton ok_;
    exButton cancel_;
    CapsLockNote capsLockNote_;
};
