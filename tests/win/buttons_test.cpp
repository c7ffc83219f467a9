// Buttons and links bound to the fixture dialog's controls, in the system
// colours the program runs with.
#include <gtest/gtest.h>

#include <chrono>

#include "fixture/fixturedialog.h"
#include "testsupport.h"
#include "toolkit/drawservices.h"
#include "toolkit/extooltip.h"

namespace {

using namespace std::chrono_literals;

LONG_PTR TypeOf(HWND control) {
    return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
}

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.Create(nullptr));
        SetWindowPos(dialog.Handle(), HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    FixtureDialog dialog;
};

TEST_F(ButtonsTest, WhoDrawsWhat) {
    const HWND button = dialog.Item(IDC_FX_BUTTON);
    EXPECT_EQ(TypeOf(button), BS_PUSHBUTTON) << "a framed button is left to the system";
    EXPECT_EQ(TypeOf(dialog.Item(IDC_FX_LINK)), BS_OWNERDRAW) << "a link is always drawn by the toolkit";
    EXPECT_EQ(TypeOf(dialog.Item(IDC_FX_CHECK)), BS_AUTOCHECKBOX);
    dialog.button.SetBorders(true, false, true, false);
    EXPECT_EQ(TypeOf(button), drawservices::ThemingAvailable() ? BS_PUSHBUTTON : BS_OWNERDRAW)
        << "a partly framed button is drawn by the system only with visual styles";
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
