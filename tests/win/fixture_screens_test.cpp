// The fixture dialog with every control kind bound, shown in both painting
// modes and written to the build folder as screenshots a person can look at.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "fixture/fixture_ids.h"
#include "testsupport.h"
#include "toolkit/exbasedlg.h"
#include "toolkit/exbutton.h"
#include "toolkit/excheckbox.h"
#include "toolkit/exedit.h"
#include "toolkit/exstatic.h"
#include "toolkit/exsysicon.h"
#include "toolkit/extheme.h"

namespace {

using namespace std::chrono_literals;

struct EveryControlDialog : exBaseDlg {
    EveryControlDialog() : exBaseDlg(IDD_TOOLKIT_FIXTURE) {}
    void SubclassControls() override {
        const HWND window = Handle();
        wrap.SubclassDlgItem(window, IDC_FX_WRAP);
        line.SubclassDlgItem(window, IDC_FX_LINE);
        captionLine.SubclassDlgItem(window, IDC_FX_CAPTION_LINE);
        picture.SubclassDlgItem(window, IDC_FX_PICTURE);
        const int buttonIds[] = {IDC_FX_BUTTON, IDOK, IDCANCEL};
        for (int i = 0; i < 3; ++i) buttons[i].SubclassDlgItem(window, buttonIds[i]);
        link.SubclassDlgItem(window, IDC_FX_LINK);
        const int checkIds[] = {IDC_FX_CHECK,    IDC_FX_PLAIN_CHECK, IDC_FX_THREE_STATE, IDC_FX_RADIO_A1,
                                IDC_FX_RADIO_A2, IDC_FX_RADIO_B1,    IDC_FX_RADIO_B2};
        for (int i = 0; i < 7; ++i) checks[i].SubclassDlgItem(window, checkIds[i]);
        edit.SubclassDlgItem(window, IDC_FX_EDIT);
        multiline.SubclassDlgItem(window, IDC_FX_MULTILINE);
    }
    void InitContent() override {
        picture.SetIcon(SystemIcons().Get(kIconWarningLarge));
        SetWindowTextW(wrap.Handle(), L"Every control of the toolkit, as the program's dialogs show them.");
        edit.SetCueBanner(L"Enter password", true);
        SetWindowTextW(multiline.Handle(), L"One\r\nTwo\r\nThree\r\nFour\r\nFive\r\nSix\r\nSeven\r\nEight");
        ::SendMessageW(checks[0].Handle(), BM_SETCHECK, BST_CHECKED, 0);
        ::SendMessageW(checks[2].Handle(), BM_SETCHECK, BST_INDETERMINATE, 0);
        ::SendMessageW(checks[3].Handle(), BM_SETCHECK, BST_CHECKED, 0);
        ::SendMessageW(checks[6].Handle(), BM_SETCHECK, BST_CHECKED, 0);
        EnableWindow(buttons[2].Handle(), FALSE);
    }
    exStatic wrap;
    exSPLine line, captionLine;
    exPictureBox picture;
    exButton buttons[3];
    exButton_Link link;
    exCheckBox checks[7];
    exEdit edit, multiline;
};

// The window's area of the screen as a 24-bit bottom-up BMP file.
bool SaveWindowPicture(HWND window, const exstring& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD imageSize = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
                          0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(path.ToUtf8(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return static_cast<bool>(out);
}

TEST(FixtureScreens, EveryControlInBothPaintingModes) {
    struct {
        int scheme;
        const wchar_t* file;
    } modes[] = {{-1, L"toolkit-fixture-system.bmp"}, {1, L"toolkit-fixture-dark.bmp"}};
    for (const auto& mode : modes) {
        ASSERT_TRUE(Theme().ApplyScheme(mode.scheme));
        EveryControlDialog dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        SetWindowPos(dialog.Handle(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        SetFocus(dialog.buttons[0].Handle());
        // Below the separator line and left of the buttons: plain dialog background.
        RECT line{};
        GetWindowRect(dialog.line.Handle(), &line);
        const POINT background{line.right + 2, line.bottom + 1};
        const COLORREF expected = mode.scheme == 1 ? 0x252525 : GetSysColor(COLOR_BTNFACE);
        EXPECT_TRUE(WaitFor([&] { return ScreenPixel(background.x, background.y) == expected; }, 3s))
            << "background 0x" << std::hex << ScreenPixel(background.x, background.y);
        WaitFor([] { return false; }, 300ms);  // let every control finish painting
        EXPECT_TRUE(SaveWindowPicture(dialog.Handle(), TestDirectory() + mode.file));
    }
    Theme().ApplyScheme(-1);
}

} // namespace
