// Dialogs built from the in-memory template: creation, modal loop, ending.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "testsupport.h"
#include "../../toolkit/window/exapp.h"
#include "../../toolkit/window/exdialog.h"
#include "../../toolkit/window/placement.h"

namespace {

const UINT kRunStep = WM_APP + 20;

// A dialog that runs a step once its modal loop is up.
struct ScriptedDialog : exDialog {
    std::function<void(ScriptedDialog&)> step;
    BOOL OnInitDialog() override {
        PostMessageW(Handle(), kRunStep, 0, 0);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRunStep && step) {
            step(*this);
            return 0;
        }
        return exDialog::WindowProc(message, wParam, lParam);
    }
};

void BuildTemplate(exDialog& dialog, bool withButtons = true) {
    dialog.BeginTemplate(120, 60, true, 2);
    if (withButtons) {
        dialog.AddTemplateButton(IDOK, 10, 40, 40, 14);
        dialog.AddTemplateButton(IDCANCEL, 60, 40, 40, 14);
    }
}

TEST(DialogModal, OwnerDisabledOnlyWhileRunningAndQuitEndsOnlyTheLoop) {
    TestWindow owner(L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ScriptedDialog dialog;
    BuildTemplate(dialog);
    bool ownerEnabledInside = true;
    dialog.step = [&](ScriptedDialog& self) {
        ownerEnabledInside = IsWindowEnabled(owner.Handle()) != FALSE;
        self.EndDialog(0);
    };
    EXPECT_EQ(dialog.DoModal(owner.Handle()), IDCANCEL);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_EQ(dialog.Handle(), nullptr) << "the window is gone after the loop";

    const e2e::DiagnosticsOn diagnostics;
    exDialog noTemplate;
    EXPECT_EQ(noTemplate.DoModal(owner.Handle()), -1);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    // The failure is written down, not only answered with -1.
    EXPECT_NE(diagnostics.Text().find(" window-not-created 6\r\n"), std::string::npos) << diagnostics.Text();

    dialog.step = [](ScriptedDialog&) { PostQuitMessage(3); };
    EXPECT_EQ(dialog.DoModal(), 0);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT ends only the modal loop";
}

TEST(DialogCommands, OkAndCancelNeedUsableButtons) {
    // Whether the template has buttons, a control hidden or disabled first, the command, and the end (0: none).
    struct Case { bool buttons; int hide, disable; WPARAM command; INT_PTR expected; };
    const Case cases[] = {
        {true, 0, 0, IDOK, IDOK},
        {true, IDOK, 0, IDOK, 0},
        {true, 0, IDOK, IDOK, 0},
        {false, 0, 0, IDOK, 0},
        {true, 0, 0, IDCANCEL, IDCANCEL},
        {false, 0, 0, IDCANCEL, IDCANCEL},  // honoured through the system menu
    };
    for (const Case& c : cases) {
        exDialog dialog;
        BuildTemplate(dialog, c.buttons);
        ASSERT_TRUE(dialog.Create(nullptr));
        if (c.hide != 0) ShowWindow(GetDlgItem(dialog.Handle(), c.hide), SW_HIDE);
        if (c.disable != 0) EnableWindow(GetDlgItem(dialog.Handle(), c.disable), FALSE);
        SendMessageW(dialog.Handle(), WM_COMMAND, c.command, 0);
        EXPECT_EQ(dialog.EndResult(), c.expected) << "command " << c.command << " buttons " << c.buttons;
        EXPECT_TRUE(IsWindow(dialog.Handle())) << "ending a modeless dialog does not destroy it";
    }
}

TEST(DialogPlacement, CentringArithmeticAndTheBestReference) {
    const RECT screen{0, 0, 1000, 800};
    const struct {
        RECT window, centre, bounds;
        POINT expected;
    } cases[] = {
        {{0, 0, 400, 200}, {700, 600, 1000, 800}, screen, {600, 600}},  // pushed back inside
        {{0, 0, 400, 200}, {-300, -200, 0, 0}, screen, {0, 0}},
        {{0, 0, 1200, 900}, {0, 0, 1000, 800}, screen, {0, 0}},         // too large: left and top edges
    };
    for (const auto& c : cases) {
        const POINT got = CenteredPosition(c.window, c.centre, c.bounds);
        EXPECT_TRUE(got.x == c.expected.x && got.y == c.expected.y) << got.x << "," << got.y;
    }

    // A new dialog centres on a shown owner, else on a shown main window, else on the primary work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT workCentre{(work.left + work.right) / 2, (work.top + work.bottom) / 2};
    const auto expectCentredOn = [&](HWND owner, POINT expected, const char* what) {
        exDialog dialog;
        BuildTemplate(dialog);
        ASSERT_TRUE(dialog.Create(owner));
        const POINT centre = e2e::CentreOf(dialog.Handle());
        EXPECT_TRUE(std::abs(centre.x - expected.x) <= 1 && std::abs(centre.y - expected.y) <= 1)
            << what << ": centre " << centre.x << "," << centre.y << ", expected " << expected.x << "," << expected.y;
    };

    TestWindow owner(L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetWindowPos(owner.Handle(), nullptr, 300, 200, 400, 300, SWP_NOZORDER);
    expectCentredOn(owner.Handle(), e2e::CentreOf(owner.Handle()), "owner");
    ShowWindow(owner.Handle(), SW_HIDE);
    expectCentredOn(owner.Handle(), workCentre, "hidden owner");

    exBaseApp app;
    exDialog main;
    BuildTemplate(main);
    ASSERT_TRUE(main.Create(nullptr));
    SetWindowPos(main.Handle(), nullptr, 40, 60, 500, 400, SWP_NOZORDER | SWP_SHOWWINDOW);
    app.SetMainWindow(&main);
    expectCentredOn(nullptr, e2e::CentreOf(main.Handle()), "main window");
    ShowWindow(main.Handle(), SW_MINIMIZE);
    expectCentredOn(nullptr, workCentre, "minimised main window");
    app.SetMainWindow(nullptr);
}

} // namespace
