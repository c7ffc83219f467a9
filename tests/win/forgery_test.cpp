// Messages that other threads and programs can send or post to the program's
// windows: none may unbind a live window, destroy a control, minimise a lock
// window or read a password field.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "testsupport.h"
#include "toolkit/exscrollbox.h"
#include "ui/mgtbasedlg.h"

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

class LockWindow : public mgtBaseDlg {
public:
    LockWindow() : mgtBaseDlg(0) {
        blockClose = true;
        BeginTemplate(200, 100, true, 1);
        SetTemplateStyles(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0);
    }
};

TEST(Forgery, LifecycleAndCloseRequestsFromOutsideChangeNothing) {
    LockWindow window;
    ASSERT_TRUE(window.Create(nullptr));
    ShowAndSettle(window.Handle());
    HWND field = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, window.Handle(), nullptr,
                                 nullptr, nullptr);
    exScrollBox box;  // binds the field's new parent to the toolkit
    box.Attach(field);
    ASSERT_NE(box.Handle(), nullptr);
    struct Forgery { HWND target; UINT message; WPARAM wParam; };
    const Forgery forgeries[] = {{window.Handle(), WM_NCDESTROY, 0}, {window.Handle(), WM_DESTROY, 0},
                                 {box.Handle(), WM_NCDESTROY, 0},    {box.Handle(), WM_CLOSE, 0},
                                 {window.Handle(), WM_CLOSE, 0},     {window.Handle(), WM_SYSCOMMAND, SC_MINIMIZE},
                                 {window.Handle(), WM_SYSCOMMAND, SC_CLOSE}, {box.Handle(), WM_SYSCOMMAND, SC_MINIMIZE}};
    for (const Forgery& forgery : forgeries) {
        SendFromElsewhere(forgery.target, forgery.message, forgery.wParam);
        PostMessageW(forgery.target, forgery.message, forgery.wParam, 0);
        WaitFor([] { return false; }, 50ms);
        SCOPED_TRACE(forgery.message);
        ASSERT_EQ(exWnd::FromHandle(window.Handle()), &window) << "the window was unbound";
        ASSERT_EQ(exWnd::FromHandle(box.Handle()), &box) << "the control was unbound";
        ASSERT_TRUE(IsWindow(box.Handle()) && IsWindow(field)) << "the control was destroyed";
        ASSERT_TRUE(IsWindowVisible(window.Handle()) && !IsIconic(window.Handle())) << "the window was hidden";
    }
    window.Detach(true);
    EXPECT_FALSE(IsWindow(box.Handle())) << "a real destruction unbinds and destroys as before";
    EXPECT_EQ(box.Handle(), nullptr);
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

} // namespace
