#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>
#include <vector>

#include "ui/win32_colored_label.h"
#include "ui/win32_dialog.h"

namespace kestrine {
namespace {

// Stands in for a registered message: its number is only known after the table is built.
UINT runTimeMessage = 0;

class Recorder {
public:
    static const MessageEntry<Recorder> table[];

    Reply dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    std::vector<std::string> calls;

private:
    Reply OnTimer(WPARAM wParam, LPARAM) {
        calls.push_back("timer " + std::to_string(wParam));
        return std::nullopt;  // handled, yet the default processing still runs
    }
    Reply OnRunTime(WPARAM, LPARAM lParam) {
        calls.push_back("run-time");
        return lParam + 1;
    }
    void exit() { calls.push_back("exit"); }
    void raise() { calls.push_back("raise"); }
    LRESULT onListClick(const NMHDR& header) {
        calls.push_back("click " + std::to_string(header.idFrom));
        return 5;
    }
};

const MessageEntry<Recorder> Recorder::table[] = {
    messageEntry(WM_TIMER, &Recorder::OnTimer),
    commandEntry(32772, &Recorder::exit),
    commandEntry(1019, &Recorder::raise),
    notifyEntry(1001, NM_CLICK, &Recorder::onListClick),
    registeredMessageEntry(runTimeMessage, &Recorder::OnRunTime),
};

Reply Recorder::dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    return dispatchMessage(*this, std::span<const MessageEntry<Recorder>>(table), msg, wParam, lParam);
}

NMHDR notification(UINT_PTR id, UINT code) {
    NMHDR header{};
    header.idFrom = id;
    header.code = code;
    return header;
}

LPARAM address(const NMHDR& header) { return reinterpret_cast<LPARAM>(&header); }

TEST(MessageTable, MenuCommandAndButtonClickReachTheirHandlers) {
    Recorder recorder;
    EXPECT_EQ(recorder.dispatch(WM_COMMAND, MAKEWPARAM(32772, 0), 0), Reply(0));
    EXPECT_EQ(recorder.dispatch(WM_COMMAND, MAKEWPARAM(1019, BN_CLICKED), 0), Reply(0));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"exit", "raise"}));
}

TEST(MessageTable, CommandWithAnotherNotificationCodeOrIdIsNotHandled) {
    Recorder recorder;
    EXPECT_EQ(recorder.dispatch(WM_COMMAND, MAKEWPARAM(1019, BN_SETFOCUS), 0), std::nullopt);
    EXPECT_EQ(recorder.dispatch(WM_COMMAND, MAKEWPARAM(1018, BN_CLICKED), 0), std::nullopt);
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(MessageTable, NotificationNeedsBothControlIdAndCode) {
    Recorder recorder;
    const NMHDR click = notification(1001, NM_CLICK);
    const NMHDR otherList = notification(1006, NM_CLICK);
    const NMHDR doubleClick = notification(1001, NM_DBLCLK);
    EXPECT_EQ(recorder.dispatch(WM_NOTIFY, 1001, address(click)), Reply(5));
    EXPECT_EQ(recorder.dispatch(WM_NOTIFY, 1006, address(otherList)), std::nullopt);
    EXPECT_EQ(recorder.dispatch(WM_NOTIFY, 1001, address(doubleClick)), std::nullopt);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"click 1001"}));
}

TEST(MessageTable, HandlerMayLeaveTheMessageToDefaultProcessing) {
    Recorder recorder;
    EXPECT_EQ(recorder.dispatch(WM_TIMER, 2, 0), std::nullopt);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"timer 2"}));
}

TEST(MessageTable, RegisteredMessageIsMatchedByItsNumberAtDispatchTime) {
    Recorder recorder;
    runTimeMessage = 0;
    // Not yet registered: a message numbered 0 must not reach the handler.
    EXPECT_EQ(recorder.dispatch(0, 0, 0), std::nullopt);

    runTimeMessage = RegisterWindowMessageA("KestrineTestMessage");
    ASSERT_NE(runTimeMessage, 0u);
    EXPECT_EQ(recorder.dispatch(runTimeMessage, 0, 41), Reply(42));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"run-time"}));
    runTimeMessage = 0;
}

TEST(MessageTable, UnlistedMessageIsNotHandled) {
    Recorder recorder;
    EXPECT_EQ(recorder.dispatch(WM_PAINT, 0, 0), std::nullopt);
    EXPECT_TRUE(recorder.calls.empty());
}

}  // namespace
}  // namespace kestrine
