// The toolkit's message box, driven from a timer while its modal loop runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <vector>

#include "testsupport.h"
#include "../../toolkit/controls/exmsgbox.h"

namespace {

using namespace std::chrono_literals;

// Shows a box while `step` acts on it from a timer, until the step answers true.
int Drive(const std::function<int()>& show, const std::function<bool(HWND)>& step) {
    TimerSteps steps([&] {
        const HWND box = ShownMessageBox();
        return box != nullptr && step(box);
    });
    return show();
}

int DriveOnce(UINT style, const std::function<void(HWND)>& act, const wchar_t* text = L"Text") {
    return Drive([&] { return ShowMessageBox(nullptr, text, style, L"Box"); },
                 [&](HWND box) { act(box); return true; });
}

void Cancel(HWND box) { SendMessageW(box, WM_COMMAND, IDCANCEL, 0); }

// Visible result buttons, left to right.
std::vector<int> ButtonIds(HWND box) {
    std::map<LONG, int> byLeft;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (IsWindowVisible(child) && id >= IDOK && id <= IDCONTINUE) byLeft[WindowRectOf(child).left] = id;
    }
    std::vector<int> ids;
    for (const auto& entry : byLeft) ids.push_back(entry.second);
    return ids;
}

// By type: captions, the default, what the last button, Esc and the close box give; a check box's state goes in
// and out. A screen reader finds the message (Wine's proxy calls a static a client: the role is not asked).
TEST(MsgBox, ButtonsCaptionsResultsCheckBoxAndTheMessageReadOut) {
    SetButtonTexts(L"Fine", L"Stop", L"Sure", L"Nope");
    const std::map<int, exstring> captions = {{IDOK, L"Fine"}, {IDCANCEL, L"Stop"}, {IDYES, L"Sure"}, {IDNO, L"Nope"}};
    const exstring text = L"Set a password first?\r\nAnyone can unlock now.";
    const struct {
        UINT style;
        const wchar_t* check;
        std::vector<int> buttons;
        int escape;
    } cases[] = {{MB_OK, nullptr, {IDOK}, IDOK},
                 {MB_YESNOCANCEL, L"Don't ask me again", {IDYES, IDNO, IDCANCEL}, IDCANCEL},
                 {MB_YESNO, nullptr, {IDYES, IDNO}, IDNO}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
        std::vector<int> shown;
        std::vector<exstring> texts, names;
        int defaultId = 0, focusId = 0;
        bool state = true, shownChecked = false, checkClicked = false;
        const auto show = [&] { return ShowMessageBox(nullptr, text, c.style, L"Box", c.check, &state); };
        const int clicked = Drive(show, [&](HWND box) {
            if (!checkClicked) {  // alone in its tick, so that a box it ended is gone at the next
                defaultId = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
                focusId = GetDlgCtrlID(GetFocus());
                HWND check = GetDlgItem(box, 1004);
                shownChecked = IsWindowVisible(check) && SendMessageW(check, BM_GETCHECK, 0, 0) == BST_CHECKED;
                SendMessageW(check, BM_CLICK, 0, 0);
                checkClicked = true;
                return false;
            }
            shown = ButtonIds(box);
            for (int id : shown) texts.push_back(WindowTextOf(GetDlgItem(box, id)));
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
                if (IsWindowVisible(child)) names.push_back(AccessibleOf(child).name);
            if (shown.empty()) Cancel(box);
            else SendMessageW(GetDlgItem(box, shown.back()), BM_CLICK, 0, 0);
            return true;
        });
        ASSERT_EQ(shown, c.buttons);
        for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(texts[i], captions.at(shown[i]));
        EXPECT_NE(std::find(names.begin(), names.end(), text), names.end()) << names.size() << " children";
        EXPECT_TRUE(defaultId == c.buttons.front() && focusId == c.buttons.front())
            << "default " << defaultId << ", focus " << focusId;
        EXPECT_EQ(clicked, c.buttons.back());
        EXPECT_EQ(shownChecked, c.check != nullptr) << "the state given in is shown, only with a text";
        EXPECT_FALSE(state) << "cleared by the click, or no check box at all";
        EXPECT_EQ(DriveOnce(c.style, Cancel), c.escape) << "Esc";
        EXPECT_EQ(DriveOnce(c.style, [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }), c.escape) << "close box";
    }
}

TEST(MsgBox, LongTextWidensTheBoxWithinTheWorkArea) {
    auto boxRect = [](const exstring& text) {
        RECT rect{};
        DriveOnce(MB_OK, [&](HWND box) { GetWindowRect(box, &rect); Cancel(box); }, text.c_str());
        return rect;
    };
    exstring longText;
    for (int i = 0; i < 120; ++i) longText += L"Every word of this sentence has to be shown somewhere. ";
    const RECT small = boxRect(L"Short.");
    const RECT large = boxRect(longText);
    RECT work{}, inside{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GT(large.right - large.left, small.right - small.left);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
    IntersectRect(&inside, &large, &work);
    EXPECT_TRUE(EqualRect(&inside, &large)) << "box " << large.right - large.left << " x " << large.bottom - large.top;
}

TEST(MsgBox, CtrlCCopiesTheTextWithoutLeadingLineBreaks) {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    exstring copied;
    bool pressed = false;
    Drive([] { return ShowMessageBox(nullptr, L"\r\n\r\nLine one\r\nLine two", MB_OK, L"Box"); },
          [&](HWND box) {
              if (!pressed) {  // the key is handled by the modal loop before the next tick
                  pressed = true;
                  SendKey(VK_CONTROL, true);
                  WaitFor([] { return GetKeyState(VK_CONTROL) < 0; }, 1s);
                  PostMessageW(GetFocus() != nullptr ? GetFocus() : box, WM_KEYDOWN, 'C', 0);
                  return false;
              }
              SendKey(VK_CONTROL, false);
              if (OpenClipboard(nullptr)) {
                  HANDLE data = GetClipboardData(CF_UNICODETEXT);
                  if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) copied = text;
                  GlobalUnlock(data);
                  CloseClipboard();
              }
              Cancel(box);
              return true;
          });
    EXPECT_EQ(copied, exstring(L"Line one\r\nLine two"));
}

} // namespace
