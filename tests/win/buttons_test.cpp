// Buttons, links and check boxes bound to the fixture dialog's controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/drawservices.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exbutton.h"
#include "toolkit/excheckbox.h"
#include "toolkit/extheme.h"
#include "toolkit/extooltip.h"

namespace {

using namespace std::chrono_literals;

struct ButtonsDialog : exBaseDlg {
    ButtonsDialog() : exBaseDlg(IDD_TOOLKIT_FIXTURE) {}

    exButton button, ok;
    exButton_Link link;
    exCheckBox check, plainCheck, threeState, radioA1, radioA2, radioB1, radioB2;
    std::vector<WPARAM> commands;

    void SubclassControls() override {
        const std::pair<exWnd*, int> bindings[] = {
            {&button, IDC_FX_BUTTON},          {&ok, IDOK},
            {&link, IDC_FX_LINK},              {&check, IDC_FX_CHECK},
            {&plainCheck, IDC_FX_PLAIN_CHECK}, {&threeState, IDC_FX_THREE_STATE},
            {&radioA1, IDC_FX_RADIO_A1},       {&radioA2, IDC_FX_RADIO_A2},
            {&radioB1, IDC_FX_RADIO_B1},       {&radioB2, IDC_FX_RADIO_B2},
        };
        for (const auto& binding : bindings) binding.first->SubclassDlgItem(Handle(), binding.second);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND && lParam != 0) commands.push_back(wParam);
        return exBaseDlg::WindowProc(message, wParam, lParam);
    }
    long Count(int id, WORD code) const {
        return static_cast<long>(std::count(commands.begin(), commands.end(), MAKEWPARAM(id, code)));
    }
    HWND Item(int id) const { return GetDlgItem(Handle(), id); }
};

LONG_PTR TypeOf(HWND control) {
    return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
}

LRESULT CheckOf(HWND control) {
    return SendMessageW(control, BM_GETCHECK, 0, 0);
}

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        SetWindowPos(dialog.Handle(), HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    void TearDown() override { Theme().ApplyScheme(-1); }

    // Applies a scheme and hands its marker to the dialog, as the main window
    // would receive it; the dialog passes it on to every control.
    void UseScheme(int index) {
        ASSERT_TRUE(Theme().ApplyScheme(index));
        PostMessageW(dialog.Handle(), WM_SYSCOLORCHANGE, 0, reinterpret_cast<LPARAM>(&Theme().Scheme()));
        const LONG_PTR wanted = Theme().SystemColors() ? BS_AUTOCHECKBOX : BS_OWNERDRAW;
        ASSERT_TRUE(WaitFor([&] { return TypeOf(dialog.Item(IDC_FX_CHECK)) == wanted; }, 2s))
            << "check box type " << TypeOf(dialog.Item(IDC_FX_CHECK));
    }

    ButtonsDialog dialog;
};

TEST_F(ButtonsTest, DrawingModeFollowsSchemeAndBorderSides) {
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    const HWND check = dialog.Item(IDC_FX_CHECK);
    EXPECT_EQ(TypeOf(button), BS_PUSHBUTTON) << "system-colours mode leaves a framed button to the system";
    EXPECT_EQ(TypeOf(dialog.Item(IDC_FX_LINK)), BS_OWNERDRAW) << "a link is always drawn by the toolkit";

    UseScheme(1);  // Dark: face 0x333333, border 0x858585, accent 0xCC7A00
    EXPECT_EQ(TypeOf(button), BS_OWNERDRAW);
    ASSERT_EQ(dialog.button.ButtonStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON))
        << "not the default button, whose border is always the accent";
    SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(CheckOf(check), BST_CHECKED) << "an owner-drawn auto check box keeps its own state";

    SetCursorPos(0, 0);
    SetFocus(dialog.Item(IDC_FX_EDIT));
    RECT client{};
    GetClientRect(button, &client);
    const int middle = client.bottom / 2;
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(button, 4, middle) == 0x333333u; }, 2s))
        << std::hex << "face 0x" << ScreenPixel(button, 4, middle);
    EXPECT_EQ(ScreenPixel(button, 0, middle), 0x858585u) << "border without the focus";
    SetFocus(button);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(button, 0, middle) == 0xCC7A00u; }, 2s))
        << std::hex << "border 0x" << ScreenPixel(button, 0, middle);
    EXPECT_EQ(ScreenPixel(button, 4, middle), 0x333333u) << "face with the focus";

    UseScheme(-1);
    EXPECT_EQ(TypeOf(button), BS_PUSHBUTTON);
    EXPECT_EQ(CheckOf(check), BST_CHECKED) << "the state reaches the native box again";
    dialog.button.SetBorders(true, false, true, false);
    EXPECT_EQ(TypeOf(button), drawservices::ThemingAvailable() ? BS_PUSHBUTTON : BS_OWNERDRAW)
        << "a partly framed button is drawn by the system only with visual styles";
}

TEST_F(ButtonsTest, DoubleClickIsASecondClick) {
    UseScheme(1);  // the system reports BN_DOUBLECLICKED for owner-drawn buttons
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    const LPARAM at = MAKELPARAM(5, 5);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    // Posted messages come before the next input, so the release follows the press.
    ASSERT_TRUE(WaitFor([&] { return GetCapture() == button; }, 1s)) << "no second press";
    SendMessageW(button, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(dialog.Count(IDC_FX_BUTTON, BN_CLICKED), 2);
    EXPECT_EQ(dialog.Count(IDC_FX_BUTTON, BN_DOUBLECLICKED), 0);
}

TEST_F(ButtonsTest, EnterClicksTheFocusedButton) {
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    SetFocus(button);
    MSG key{button, WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
    if (!IsDialogMessageW(dialog.Handle(), &key)) {
        TranslateMessage(&key);
        DispatchMessageW(&key);
    }
    EXPECT_TRUE(WaitFor([&] { return dialog.Count(IDC_FX_BUTTON, BN_CLICKED) == 1; }, 1s))
        << "clicks: " << dialog.Count(IDC_FX_BUTTON, BN_CLICKED);
    EXPECT_EQ(dialog.Count(IDOK, BN_CLICKED), 0) << "Enter went to the default button";
}

TEST_F(ButtonsTest, CheckAndRadioStatesWhileOwnerDrawn) {
    UseScheme(1);
    const struct {
        int id;
        UINT action;  // BM_SETCHECK with `request`, or BM_CLICK
        WPARAM request;
        LRESULT expected;
    } steps[] = {
        {IDC_FX_PLAIN_CHECK, BM_SETCHECK, BST_INDETERMINATE, BST_CHECKED},
        {IDC_FX_PLAIN_CHECK, BM_SETCHECK, BST_UNCHECKED, BST_UNCHECKED},
        {IDC_FX_PLAIN_CHECK, BM_CLICK, 0, BST_UNCHECKED},  // a plain box does not toggle itself
        {IDC_FX_THREE_STATE, BM_SETCHECK, BST_INDETERMINATE, BST_INDETERMINATE},
        {IDC_FX_THREE_STATE, BM_SETCHECK, BST_UNCHECKED, BST_UNCHECKED},
        {IDC_FX_THREE_STATE, BM_CLICK, 0, BST_CHECKED},
        {IDC_FX_THREE_STATE, BM_CLICK, 0, BST_INDETERMINATE},
        {IDC_FX_THREE_STATE, BM_CLICK, 0, BST_UNCHECKED},
        {IDC_FX_RADIO_A1, BM_SETCHECK, BST_CHECKED, BST_CHECKED},
        {IDC_FX_RADIO_B1, BM_SETCHECK, BST_CHECKED, BST_CHECKED},
        {IDC_FX_RADIO_A2, BM_CLICK, 0, BST_CHECKED},
    };
    for (const auto& step : steps) {
        SendMessageW(dialog.Item(step.id), step.action, step.request, 0);
        EXPECT_EQ(CheckOf(dialog.Item(step.id)), step.expected)
            << "control " << step.id << ", message 0x" << std::hex << step.action << " with " << step.request;
    }
    EXPECT_EQ(CheckOf(dialog.Item(IDC_FX_RADIO_A1)), BST_UNCHECKED) << "the auto radio group";
    EXPECT_EQ(CheckOf(dialog.Item(IDC_FX_RADIO_B1)), BST_CHECKED) << "another group was touched";
    EXPECT_EQ(dialog.Count(IDC_FX_RADIO_A2, BN_CLICKED), 1) << "the parent still hears the click";
}

TEST_F(ButtonsTest, RightAlignedLinkKeepsItsRightEdge) {
    const HWND link = dialog.Item(IDC_FX_LINK);
    const RECT before = WindowRectOf(link);
    for (const wchar_t* text : {L"A considerably longer link text", L"Short"}) {
        SetWindowTextW(link, text);
        const SIZE extent = TextExtent(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), text);
        const RECT after = WindowRectOf(link);
        EXPECT_TRUE(after.right == before.right && after.right - after.left == extent.cx + 2)
            << exstring(text).ToUtf8() << ": right " << after.right << ", width " << after.right - after.left;
    }
}

TEST_F(ButtonsTest, TooltipTextsDropThePrefix) {
    ASSERT_NE(ToolTip().Handle(), nullptr) << "buttons create the tooltip when they are bound";
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    EXPECT_EQ(ToolTip().ToolText(button), exstring(L"Lock Now"));
    SetWindowTextW(button, L"&Unlock");
    EXPECT_EQ(ToolTip().ToolText(button), exstring(L"Unlock")) << "the tool follows the window text";
    dialog.button.SetTooltipText(L"Lock the screen now");
    EXPECT_EQ(ToolTip().ToolText(button), exstring(L"Lock the screen now"));
}

} // namespace
