// Dialogs: modeless creation from a resource or an in-memory template, and a
// modal loop of the toolkit's own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exwnd.h"

class exDialog : public exWnd {
public:
    // A template resource ID, or 0 for the in-memory template.
    explicit exDialog(uint32_t templateId = 0);
    ~exDialog() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool IsDialogMessage(MSG* message) override;
    virtual void SubclassControls();
    virtual BOOL OnInitDialog();

    // Modeless: true when a window was created.
    bool Create(HWND parent);
    // -1 when the dialog could not be created or is bound already.
    INT_PTR DoModal(HWND parent = nullptr);
    // Records the result (0 counts as IDCANCEL) and wakes the modal loop.
    bool EndDialog(INT_PTR result);
    INT_PTR EndResult() const { return endResult_; }

    bool BeginTemplate(int16_t cx, int16_t cy, bool popup, unsigned reserveItems);
    bool AddTemplateButton(uint16_t id, int16_t x, int16_t y, int16_t cx, int16_t cy);
    // Writes another 10-character window class name over the template's.
    bool SetTemplateClassName(const wchar_t* name);
    // Sets the template's own styles, or adds style bits to one item.
    bool SetTemplateStyles(DWORD style, DWORD exStyle);
    bool AddTemplateItemStyle(unsigned index, DWORD bits);
    const std::vector<uint8_t>& TemplateBytes() const { return template_; }

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    INT_PTR endResult_;
    uint32_t templateId_;
    uint16_t pointSize_;
    const wchar_t* faceName_;
    const wchar_t* className_;
    std::vector<uint8_t> template_;
};

// Registers (once per process) a window class named like `name` that behaves
// as the system dialog class. Returns its atom, or 0.
ATOM RegisterDialogClass(const wchar_t* name, HINSTANCE instance);
// How many controls a plain or extended dialog template holds; 0 when too short.
unsigned TemplateItemCount(const uint8_t* dialogTemplate, size_t size);
// Adds WS_EX_LAYOUTRTL to a plain or extended template of a top-level
// dialog; false for a child dialog's or one too short.
bool MirrorTopLevelTemplate(std::vector<uint8_t>& dialogTemplate);
// The class name a dialog template asks for, or empty when it names none.
std::wstring TemplateClassName(const uint8_t* dialogTemplate, size_t size);
