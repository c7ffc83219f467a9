// A password field's text asked for by another thread or program: it stays
// in the process, and the field stays masked. (Forged lifecycle and close
// messages are sent to the real lock end to end.)
#include <gtest/gtest.h>
#include <windows.h>

#include "testsupport.h"
#include "toolkit/exedit.h"
#include "toolkit/exscrollbox.h"
#include "toolkit/extheme.h"
#include "toolkit/exwnd.h"

namespace {

using namespace std::chrono_literals;

exstring ClipboardText() {
    exstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void EmptyTheClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

// Unmasked first, then asked every way there is: a toolkit password field,
// bare and framed by its scroll box, gives nothing away and stays masked.
// A plain field answers the same questions, so they do read.
TEST(Forgery, PasswordFieldIsNeitherReadNorUnmasked) {
    struct Case { const char* name; Appearance look; bool password; };
    const Case cases[] = {{"bare", Appearance::kSystemColours, true},
                          {"framed", Appearance::kDark, true},
                          {"plain field", Appearance::kSystemColours, false}};
    TestWindow parent(L"forgery");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Theme().SetAppearance(c.look);
        HWND created = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"secret", WS_CHILD | WS_VISIBLE |
                                       (c.password ? ES_PASSWORD : 0), 10, 10, 100, 20, parent.Handle(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(7)), nullptr, nullptr);
        exEdit field;
        ASSERT_TRUE(field.SubclassWindow(created));
        const HWND asked = GetDlgItem(parent.Handle(), 7);  // the box, where there is one
        ASSERT_EQ(asked != field.Handle(), c.look == Appearance::kDark) << "framed by a scroll box";
        EmptyTheClipboard();
        for (HWND target : {asked, field.Handle()}) {
            SendFromElsewhere(target, EM_SETPASSWORDCHAR, 0);
            wchar_t text[16] = L"unchanged";
            SendFromElsewhere(target, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, c.password ? L"" : L"secret");
            EXPECT_EQ(SendFromElsewhere(target, WM_GETTEXTLENGTH), c.password ? 0 : 6);
            wchar_t line[16] = {16};
            EXPECT_EQ(SendFromElsewhere(target, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), c.password ? 0 : 6);
            SendFromElsewhere(target, EM_SETSEL, 0, -1);
            SendFromElsewhere(target, WM_COPY);
        }
        SendFromElsewhere(field.Handle(), WM_CUT);
        if (c.password) {
            EXPECT_EQ(ClipboardText(), exstring()) << "copied or cut out";
            EXPECT_NE(SendMessageW(field.Handle(), EM_GETPASSWORDCHAR, 0, 0), 0) << "unmasked";
            EXPECT_NE(GetWindowLongPtrW(field.Handle(), GWL_STYLE) & ES_PASSWORD, 0);
            // Its own thread reads it still, and even it cannot unmask it.
            EXPECT_EQ(GetWindowTextLengthW(field.Handle()), 6);
            SendMessageW(field.Handle(), EM_SETPASSWORDCHAR, 0, 0);
            EXPECT_NE(SendMessageW(field.Handle(), EM_GETPASSWORDCHAR, 0, 0), 0);
        } else {
            EXPECT_EQ(ClipboardText(), exstring(L"secret"));
        }
        field.Detach(true);
    }
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
    WaitFor([] { return false; }, 50ms);  // the posted ones go through the queue
    EXPECT_FALSE(exWnd::MenuOpen());
    SendMessageW(box.Handle(), WM_ENTERMENULOOP, 0, 0);  // as the system does, on the window's thread
    SendFromElsewhere(box.Handle(), WM_EXITMENULOOP);
    PostMessageW(box.Handle(), WM_EXITMENULOOP, 0, 0);
    WaitFor([] { return false; }, 50ms);
    EXPECT_TRUE(exWnd::MenuOpen());
    SendMessageW(box.Handle(), WM_EXITMENULOOP, 0, 0);
    EXPECT_FALSE(exWnd::MenuOpen());
}

} // namespace
