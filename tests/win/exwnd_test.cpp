// Binding and message routing of window objects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"
#include "../../toolkit/window/exwnd.h"

namespace {

std::vector<UINT> g_previousSaw;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP) g_previousSaw.push_back(message);
    if (message == WM_APP + 5) return 55;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A top-level window with the recording class procedure.
HWND MakeRecordingWindow() {
    static const ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MgRecording";
        return RegisterClassW(&windowClass);
    }();
    (void)atom;
    return CreateWindowExW(0, L"MgRecording", L"rec", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct Recorder : exWnd {
    std::vector<UINT> saw;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= WM_APP || message == WM_COMMAND || message == WM_DRAWITEM) saw.push_back(message);
        if (message == WM_APP + 1) return 11;
        return exWnd::WindowProc(message, wParam, lParam);
    }
};

struct ReflectingChild : exWnd {
    bool handleCommand = true, handleDraw = true;
    int commands = 0, draws = 0, measures = 0, notifies = 0;
    HBRUSH brush = nullptr;
    bool OnCommand(UINT) override {
        ++commands;
        return handleCommand;
    }
    void OnDrawItem(DRAWITEMSTRUCT* item) override {
        ++draws;
        if (!handleDraw) exWnd::OnDrawItem(item);
    }
    void OnMeasureItem(MEASUREITEMSTRUCT*) override { ++measures; }
    bool OnNotify(NMHDR*, LRESULT*) override {
        ++notifies;
        return true;
    }
    void OnCtlColor(HDC, HBRUSH* result) override {
        if (brush != nullptr) *result = brush;
    }
};

TEST(ExwndBinding, TheObjectFirstThenThePreviousProcedureWhileBound) {
    HWND window = MakeRecordingWindow();
    Recorder object;
    ASSERT_TRUE(object.SubclassWindow(window));
    EXPECT_EQ(exWnd::FromHandle(window), &object);
    g_previousSaw.clear();
    EXPECT_EQ(SendMessageW(window, WM_APP + 1, 0, 0), 11);       // handled by the object
    EXPECT_EQ(SendMessageW(window, WM_APP + 5, 0, 0), 55);       // passed on
    EXPECT_EQ(object.saw, (std::vector<UINT>{WM_APP + 1, WM_APP + 5}));
    EXPECT_EQ(g_previousSaw, std::vector<UINT>{WM_APP + 5});

    object.Detach(false);
    EXPECT_EQ(SendMessageW(window, WM_APP + 5, 0, 0), 55) << "the previous procedure is not back";
    EXPECT_EQ(object.saw.size(), 2u) << "the object still sees messages";
    EXPECT_EQ(exWnd::FromHandle(window), nullptr);
    // WM_NCDESTROY unbinds.
    EXPECT_TRUE(object.SubclassWindow(window));
    DestroyWindow(window);
    EXPECT_EQ(object.Handle(), nullptr);

    window = MakeRecordingWindow();
    {
        Recorder shortLived;
        ASSERT_TRUE(shortLived.SubclassWindow(window));
    }
    EXPECT_FALSE(IsWindow(window)) << "destroying the object destroys its window";
}

class Reflection : public ::testing::Test {
protected:
    void SetUp() override {
        parentWindow = MakeRecordingWindow();
        ASSERT_TRUE(parent.SubclassWindow(parentWindow));
        childWindow = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD, 0, 0, 10, 10, parentWindow,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(42)), nullptr, nullptr);
        ASSERT_TRUE(child.SubclassWindow(childWindow));
    }
    void TearDown() override { DestroyWindow(parentWindow); }

    HWND parentWindow = nullptr;
    HWND childWindow = nullptr;
    Recorder parent;
    ReflectingChild child;
};

// What the child takes stays with it, the rest goes on to the parent; item messages reach the child they
// name, never for a menu. From another thread WM_NOTIFY is never read, an *ITEM only for the receiver's own child.
TEST_F(Reflection, MessagesForAChildReachItFirstAndOnlyItsOwn) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = childWindow;
    for (const bool handled : {true, false}) {
        child.handleCommand = child.handleDraw = handled;  // the base OnDrawItem marks it unhandled
        SendMessageW(parentWindow, WM_COMMAND, MAKEWPARAM(42, BN_CLICKED), reinterpret_cast<LPARAM>(childWindow));
        SendMessageW(parentWindow, WM_DRAWITEM, 42, reinterpret_cast<LPARAM>(&item));
        const std::vector<UINT> passedOn = handled ? std::vector<UINT>() : std::vector<UINT>{WM_COMMAND, WM_DRAWITEM};
        EXPECT_EQ(parent.saw, passedOn);
    }
    EXPECT_TRUE(child.commands == 2 && child.draws == 2);

    const UniqueWindowDc dc(parentWindow);
    child.brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(SendMessageW(parentWindow, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc.Get()),
                           reinterpret_cast<LPARAM>(childWindow)),
              reinterpret_cast<LRESULT>(child.brush));

    ReflectingChild stranger;  // bound, but no child of the parent
    ASSERT_TRUE(stranger.SubclassWindow(MakeRecordingWindow()));
    struct Case { const char* name; bool elsewhere; UINT message, type; HWND item; UINT id; ReflectingChild* target;
                  int ReflectingChild::*counter; int reached; };
    const Case cases[] = {
        {"menu drawn", false, WM_DRAWITEM, ODT_MENU, childWindow, 42, &child, &ReflectingChild::draws, 0},
        {"own child measured", false, WM_MEASUREITEM, ODT_BUTTON, nullptr, 42, &child, &ReflectingChild::measures, 1},
        {"menu measured", false, WM_MEASUREITEM, ODT_MENU, nullptr, 42, &child, &ReflectingChild::measures, 0},
        {"own child notifies", false, WM_NOTIFY, 0, childWindow, 42, &child, &ReflectingChild::notifies, 1},
        {"notification, no ID", false, WM_NOTIFY, 0, childWindow, 0, &child, &ReflectingChild::notifies, 0},
        {"own child drawn", true, WM_DRAWITEM, ODT_BUTTON, childWindow, 42, &child, &ReflectingChild::draws, 1},
        {"stranger drawn", true, WM_DRAWITEM, ODT_BUTTON, stranger.Handle(), 42, &stranger, &ReflectingChild::draws, 0},
        {"own child, wrong ID", true, WM_DRAWITEM, ODT_BUTTON, childWindow, 43, &child, &ReflectingChild::draws, 0},
        {"own child measured", true, WM_MEASUREITEM, ODT_BUTTON, nullptr, 42, &child, &ReflectingChild::measures, 1},
        {"own child notifies", true, WM_NOTIFY, 0, childWindow, 42, &child, &ReflectingChild::notifies, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.elsewhere ? ", another thread" : ""));
        const int before = c.target->*c.counter;
        DRAWITEMSTRUCT draw{c.type, c.id, 0, 0, 0, c.item, nullptr, {}, 0};
        MEASUREITEMSTRUCT measure{c.type, c.id, 0, 0, 0, 0};
        NMHDR header{c.item, c.id, static_cast<UINT>(-2)};  // NM_CLICK
        void* data = c.message == WM_DRAWITEM ? static_cast<void*>(&draw)
                   : c.message == WM_MEASUREITEM ? static_cast<void*>(&measure) : static_cast<void*>(&header);
        const auto lParam = reinterpret_cast<LPARAM>(data);
        if (c.elsewhere) SendFromElsewhere(parentWindow, c.message, c.id, lParam);
        else SendMessageW(parentWindow, c.message, c.id, lParam);
        EXPECT_EQ(c.target->*c.counter - before, c.reached);
    }
}

} // namespace
