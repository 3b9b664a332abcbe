#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>

#include "resource.h"
#include "ui/win32_colored_label.h"
#include "ui/win32_dialog.h"
#include "ui_program_resources.h"

namespace kestrine {
namespace {

constexpr int finishCommand = 40001;
constexpr int hideCommand = 40002;
constexpr int labelId = 4242;

// Runs the About template with a table of its own; `script` runs at the end of the
// initialisation, with the window created but not yet shown.
class ScriptedDialog : public Dialog {
public:
    static const MessageEntry<ScriptedDialog> table[];

    explicit ScriptedDialog(std::function<void(ScriptedDialog&)> script)
        : Dialog(programResources(), IDD_ABOUT), script_(std::move(script)) {}

    ColoredLabel label;
    int cancelsSeen = 0;
    bool keepOpenOnCancel = false;
    bool visibleAfterIdle = true;
    bool visibleAfterShow = false;

private:
    void bindControls() override {
        CreateWindowExA(0, "STATIC", "...", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 50, 10, hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(labelId)), nullptr, nullptr);
        bind(label, labelId);
    }
    bool onInitDialog() override {
        script_(*this);
        return true;
    }
    Reply dispatch(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void onCancel() {
        ++cancelsSeen;
        PostMessageA(hwnd(), WM_COMMAND, MAKEWPARAM(finishCommand, 0), 0);
    }
    void finish() { endDialog(7); }
    // Hidden before the modal loop first runs idle; a timer looks again once it has.
    void hideEarly() {
        hideUntilShown();
        SetTimer(hwnd(), 1, 100, nullptr);
    }
    Reply onTimer(WPARAM, LPARAM) {
        KillTimer(hwnd(), 1);
        visibleAfterIdle = IsWindowVisible(hwnd()) != FALSE;
        showWindow(SW_SHOWNORMAL);
        visibleAfterShow = IsWindowVisible(hwnd()) != FALSE;
        endDialog(7);
        return 0;
    }

    std::function<void(ScriptedDialog&)> script_;
};

const MessageEntry<ScriptedDialog> ScriptedDialog::table[] = {
    commandEntry(IDCANCEL, &ScriptedDialog::onCancel),
    commandEntry(finishCommand, &ScriptedDialog::finish),
    commandEntry(hideCommand, &ScriptedDialog::hideEarly),
    messageEntry(WM_TIMER, &ScriptedDialog::onTimer),
};

// Cancel reaches the table only when the test asks the dialog to keep itself open.
Reply ScriptedDialog::dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && !keepOpenOnCancel) return std::nullopt;
    return dispatchMessage(*this, std::span<const MessageEntry<ScriptedDialog>>(table), msg, wParam, lParam);
}

class ModalDialog : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(programResources(), nullptr) << "kestrine.exe must be built beside the tests"; }
};

TEST_F(ModalDialog, CloseBoxEndsWithCancel) {
    ScriptedDialog dialog([](ScriptedDialog& d) { PostMessageA(d.hwnd(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(dialog.runModal(nullptr), IDCANCEL);
}

TEST_F(ModalDialog, StaysHiddenUntilTheProgramShowsIt) {
    ScriptedDialog dialog([](ScriptedDialog& d) { PostMessageA(d.hwnd(), WM_COMMAND, hideCommand, 0); });
    EXPECT_EQ(dialog.runModal(nullptr), 7);
    EXPECT_FALSE(dialog.visibleAfterIdle);
    EXPECT_TRUE(dialog.visibleAfterShow);
}

TEST_F(ModalDialog, EscapeEndsWithCancel) {
    ScriptedDialog dialog(
        [](ScriptedDialog& d) { PostMessageA(GetDlgItem(d.hwnd(), IDOK), WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(dialog.runModal(nullptr), IDCANCEL);
}

TEST_F(ModalDialog, OkButtonEndsWithOk) {
    ScriptedDialog dialog(
        [](ScriptedDialog& d) { PostMessageA(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); });
    EXPECT_EQ(dialog.runModal(nullptr), IDOK);
}

TEST_F(ModalDialog, TableThatHandlesCancelKeepsTheDialogOpen) {
    ScriptedDialog dialog([](ScriptedDialog& d) {
        d.keepOpenOnCancel = true;
        PostMessageA(d.hwnd(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(dialog.runModal(nullptr), 7);
    EXPECT_EQ(dialog.cancelsSeen, 1);
}

TEST_F(ModalDialog, BoundLabelAnswersTheReflectedColorQuery) {
    HBRUSH answered = nullptr;
    COLORREF textColor = 0;
    COLORREF backgroundColor = 0;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        d.label.setTextColor(0x0000A0);
        HDC dc = GetDC(d.label.hwnd());
        answered = reinterpret_cast<HBRUSH>(SendMessageA(d.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(d.label.hwnd())));
        textColor = GetTextColor(dc);
        backgroundColor = GetBkColor(dc);
        ReleaseDC(d.label.hwnd(), dc);
        d.endDialog(IDCANCEL);
    });
    dialog.runModal(nullptr);
    ASSERT_NE(answered, nullptr);
    EXPECT_EQ(textColor, 0x0000A0u);
    EXPECT_EQ(backgroundColor, GetSysColor(COLOR_BTNFACE));
    LOGBRUSH brush{};
    ASSERT_NE(GetObjectA(answered, sizeof(brush), &brush), 0);
    EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST_F(ModalDialog, UnboundStaticGetsTheDialogsOwnColours) {
    HBRUSH answered = nullptr;
    HBRUSH labelBrush = nullptr;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        HWND other = CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, 20, 50, 10, d.hwnd(), nullptr, nullptr, nullptr);
        HDC dc = GetDC(other);
        answered = reinterpret_cast<HBRUSH>(
            SendMessageA(d.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(other)));
        labelBrush = d.label.onReflectedColor(dc);
        ReleaseDC(other, dc);
        d.endDialog(IDCANCEL);
    });
    dialog.runModal(nullptr);
    EXPECT_NE(answered, labelBrush);
}

TEST_F(ModalDialog, ResetTextColorFollowsTheSystemWindowTextColor) {
    COLORREF afterReset = 1;
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        d.label.setTextColor(0x00A000);
        d.label.resetTextColor();
        afterReset = d.label.textColor();
        d.endDialog(IDCANCEL);
    });
    dialog.runModal(nullptr);
    EXPECT_EQ(afterReset, GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(ModalDialog, WindowWithoutOwnerOpensCentredOnTheScreen) {
    RECT window{};
    RECT work{};
    ScriptedDialog dialog([&](ScriptedDialog& d) {
        GetWindowRect(d.hwnd(), &window);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoA(MonitorFromWindow(d.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
        work = monitor.rcWork;
        d.endDialog(IDCANCEL);
    });
    dialog.runModal(nullptr);
    EXPECT_NEAR(window.left + window.right, work.left + work.right, 1);
    EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 1);
}

}  // namespace
}  // namespace kestrine
