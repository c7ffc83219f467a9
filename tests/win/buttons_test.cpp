// Buttons and links bound to the fixture dialog's controls, in the system
// colours the program runs with.
#include <gtest/gtest.h>

#include <chrono>

#include "fixture/fixturedialog.h"
#include "testsupport.h"

namespace {

using namespace std::chrono_literals;

using ButtonsTest = FixtureTest;

TEST_F(ButtonsTest, FramedButtonsAreLeftToTheSystemAndLinksNot) {
    EXPECT_EQ(dialog.ButtonType(IDC_FX_BUTTON), BS_PUSHBUTTON);
    EXPECT_EQ(dialog.ButtonType(IDC_FX_LINK), BS_OWNERDRAW);
    EXPECT_EQ(dialog.ButtonType(IDC_FX_CHECK), BS_AUTOCHECKBOX);
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

// The main window's web link and the password dialog's delete link.
TEST_F(ButtonsTest, LinkFitsItsTextKeepingItsLeftEdge) {
    const HWND link = dialog.Item(IDC_FX_LINK);
    const RECT before = WindowRectOf(link);
    for (const wchar_t* text : {L"A considerably longer link text", L"Short"}) {
        SetWindowTextW(link, text);
        const SIZE extent = TextExtent(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), text);
        const RECT after = WindowRectOf(link);
        EXPECT_TRUE(after.left == before.left && after.right - after.left == extent.cx + 2)
            << exstring(text).ToUtf8() << ": left " << after.left << ", width " << after.right - after.left;
    }
}

} // namespace
