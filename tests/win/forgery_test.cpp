// What another program can ask of the lock's controls (forged close messages
// go to the real lock end to end).
#include <gtest/gtest.h>
#include <windows.h>

#include "testsupport.h"
#include "../../toolkit/controls/exedit.h"
#include "../../toolkit/controls/exscrollbox.h"
#include "../../toolkit/theme/extheme.h"
#include "../../toolkit/window/exwnd.h"

namespace {

using namespace std::chrono_literals;

// The password field in its scroll box, as in the lock's dialog: asked from
// outside every way, it stays masked and gives no text, copies or cuts none.
TEST(Forgery, PasswordFieldGivesNothingAway) {
    TestWindow parent(L"forgery");
    Theme().SetAppearance(Appearance::kDark);
    exEdit field;
    ASSERT_TRUE(field.SubclassWindow(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"secret", WS_CHILD | ES_PASSWORD, 0,
                                                     0, 99, 20, parent.Handle(), nullptr, nullptr, nullptr)));
    ASSERT_TRUE(field.HasScrollBox());
    for (HWND target : {field.ScrollBox().Handle(), field.Handle()}) {
        SendFromElsewhere(target, EM_SETPASSWORDCHAR, 0);
        wchar_t text[16] = {16};
        EXPECT_EQ(SendFromElsewhere(target, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text)), 0);
        EXPECT_STREQ(text, L"");
        EXPECT_EQ(SendFromElsewhere(target, WM_GETTEXTLENGTH), 0);
        EXPECT_EQ(SendFromElsewhere(target, EM_GETLINE, 0, reinterpret_cast<LPARAM>(text)), 0);
        EXPECT_EQ(SendMessageW(target, WM_GETTEXTLENGTH, 0, 0), 6) << "its own thread reads the field";
    }
    EXPECT_NE(SendMessageW(field.Handle(), EM_GETPASSWORDCHAR, 0, 0), 0) << "unmasked";
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    SendMessageW(field.Handle(), EM_SETSEL, 0, -1);
    SendFromElsewhere(field.Handle(), WM_COPY);
    SendMessageW(field.Handle(), WM_CUT, 0, 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT)) << "copied or cut out";
    EXPECT_EQ(GetWindowTextLengthW(field.Handle()), 6) << "cut";
    Theme().SetAppearance(Appearance::kSystemColours);
}

// The lock lets clicks beside its dialog go unasked only while no menu of
// its own is open; another program cannot open or shut that count.
TEST(Forgery, MenuLoopsAnnouncedFromOutsideCountForNothing) {
    TestWindow parent(L"forgery");
    HWND field = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 10, 10, parent.Handle(), nullptr, nullptr, nullptr);
    exScrollBox box;
    box.Attach(field);
    SendFromElsewhere(box.Handle(), WM_ENTERMENULOOP);
    PostMessageW(box.Handle(), WM_ENTERMENULOOP, 0, 0);
    const auto postedHandled = [] { return HIWORD(GetQueueStatus(QS_POSTMESSAGE)) == 0; };
    ASSERT_TRUE(WaitFor(postedHandled, 1s));
    EXPECT_FALSE(exWnd::MenuOpen());
    SendMessageW(box.Handle(), WM_ENTERMENULOOP, 0, 0);  // as the system does, on the window's thread
    SendFromElsewhere(box.Handle(), WM_EXITMENULOOP);
    PostMessageW(box.Handle(), WM_EXITMENULOOP, 0, 0);
    ASSERT_TRUE(WaitFor(postedHandled, 1s));
    EXPECT_TRUE(exWnd::MenuOpen());
    SendMessageW(box.Handle(), WM_EXITMENULOOP, 0, 0);
    EXPECT_FALSE(exWnd::MenuOpen());
}

} // namespace
