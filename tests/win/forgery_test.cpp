// A password field's text asked for by another thread or program: it stays
// in the process. (Forged lifecycle and close messages are sent to the real
// lock end to end.)
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "testsupport.h"
#include "toolkit/exscrollbox.h"
#include "toolkit/exwnd.h"

namespace {

using namespace std::chrono_literals;

// As another program would: from a thread that is not the window's.
// This thread keeps pumping meanwhile, or the send could not be answered.
LRESULT SendFromElsewhere(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    LRESULT result = 0;
    std::atomic<bool> done{false};
    std::thread sender([&] {
        result = SendMessageW(window, message, wParam, lParam);
        done = true;
    });
    WaitFor([&] { return done.load(); }, 5s);
    sender.join();
    return result;
}

TEST(Forgery, PasswordFieldTextStaysInTheProcess) {
    TestWindow parent(L"forgery");
    for (const bool password : {true, false}) {
        HWND field = CreateWindowExW(0, L"EDIT", L"secret", WS_CHILD | WS_VISIBLE | (password ? ES_PASSWORD : 0), 10,
                                     10, 100, 20, parent.Handle(), nullptr, nullptr, nullptr);
        exScrollBox box;
        box.Attach(field);
        wchar_t text[16] = L"unchanged";
        SendFromElsewhere(box.Handle(), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, password ? L"" : L"secret");
        EXPECT_EQ(SendFromElsewhere(box.Handle(), WM_GETTEXTLENGTH), password ? 0 : 6);
        EXPECT_EQ(SendMessageW(box.Handle(), WM_GETTEXTLENGTH, 0, 0), 6) << "its own thread reads the field";
    }
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
