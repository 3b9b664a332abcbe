#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_notify_shell.h"
#include "tray/tray_icon.h"

namespace kestrine {
namespace {

using testing::FakeNotifyShell;

class TrayIconCalls : public ::testing::Test {
protected:
    FakeNotifyShell shell;
    TrayIcon tray{shell};

    // The window's set-up sequence.
    void setUpAndAdd() {
        tray.setCallbackMessage(0xC123);
        tray.setIcon(135);
        tray.setTooltip("Smart Status Ok");
        tray.owner = 0x4242;
        tray.add();
    }
};

TEST_F(TrayIconCalls, StartsWithIdTwoAllFlagsAndDefaultCallback) {
    EXPECT_FALSE(tray.added());
    EXPECT_EQ(tray.data().iconId, 2u);
    EXPECT_EQ(tray.data().flags, 7u);
    EXPECT_EQ(tray.data().callbackMessage, 0xA44Cu);
    EXPECT_EQ(tray.data().tooltip, "");
}

TEST_F(TrayIconCalls, SettersBeforeAddStoreWithoutCallingTheShell) {
    EXPECT_TRUE(tray.setCallbackMessage(0xC123));
    EXPECT_TRUE(tray.setIcon(135));
    EXPECT_TRUE(tray.setTooltip("Smart Status Ok"));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconCalls, AddSendsTheStoredValuesWithOwnerAndId) {
    setUpAndAdd();
    ASSERT_EQ(shell.calls.size(), 1u);
    const FakeNotifyShell::Call& call = shell.calls[0];
    EXPECT_EQ(call.action, NotifyAction::Add);
    EXPECT_EQ(call.record.owner, 0x4242u);
    EXPECT_EQ(call.record.iconId, 2u);
    EXPECT_EQ(call.record.flags, 7u);
    EXPECT_EQ(call.record.callbackMessage, 0xC123u);
    EXPECT_EQ(call.record.icon, 135u);
    EXPECT_EQ(call.record.tooltip, "Smart Status Ok");
    EXPECT_TRUE(tray.added());
}

TEST_F(TrayIconCalls, ZeroCallbackMessageClearsTheMessageFlag) {
    tray.setCallbackMessage(0);
    EXPECT_EQ(tray.data().flags, notifyFlagIcon | notifyFlagTip);
    tray.setCallbackMessage(0xC123);
    EXPECT_EQ(tray.data().flags, 7u);
}

TEST_F(TrayIconCalls, FailedAddLeavesTheIconNotAdded) {
    shell.succeed = false;
    setUpAndAdd();
    EXPECT_FALSE(tray.added());
    EXPECT_TRUE(tray.setIcon(134));
    EXPECT_EQ(shell.calls.size(), 1u);  // only the add
}

TEST_F(TrayIconCalls, SettersOnAnAddedIconModifyWithTheWholeRecord) {
    setUpAndAdd();
    EXPECT_TRUE(tray.setIcon(134));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].action, NotifyAction::Modify);
    EXPECT_EQ(shell.calls[1].record.icon, 134u);
    EXPECT_EQ(shell.calls[1].record.tooltip, "Smart Status Ok");
    EXPECT_EQ(shell.calls[1].record.owner, 0x4242u);
}

TEST_F(TrayIconCalls, FailedModifyKeepsTheValueForTheNextModify) {
    setUpAndAdd();
    shell.succeed = false;
    EXPECT_FALSE(tray.setIcon(134));
    EXPECT_TRUE(tray.added());
    EXPECT_EQ(tray.data().icon, 134u);
    shell.succeed = true;
    EXPECT_TRUE(tray.setTooltip("Drive Status Warning"));
    const TrayIconRecord& sent = shell.calls.back().record;
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Modify);
    EXPECT_EQ(sent.icon, 134u);
    EXPECT_EQ(sent.tooltip, "Drive Status Warning");
}

TEST_F(TrayIconCalls, RemoveDeletesAndClearsAdded) {
    setUpAndAdd();
    EXPECT_TRUE(tray.remove());
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Remove);
    EXPECT_FALSE(tray.added());
    EXPECT_TRUE(tray.setIcon(134));
    EXPECT_EQ(shell.calls.size(), 2u);  // no modify after removal
}

TEST_F(TrayIconCalls, FailedRemoveKeepsTheIconAdded) {
    setUpAndAdd();
    shell.succeed = false;
    EXPECT_FALSE(tray.remove());
    EXPECT_TRUE(tray.added());
}

TEST_F(TrayIconCalls, RemoveCallsTheShellEvenWhenNeverAdded) {
    EXPECT_TRUE(tray.remove());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].action, NotifyAction::Remove);
}

TEST_F(TrayIconCalls, LongTooltipIsCutToSixtyThreeCharacters) {
    const std::string exact(63, 'x');
    tray.setTooltip(exact);
    EXPECT_EQ(tray.data().tooltip, exact);
    tray.setTooltip(std::string(63, 'y') + "overflow");
    EXPECT_EQ(tray.data().tooltip, std::string(63, 'y'));
}

TEST_F(TrayIconCalls, TooltipEndsAtAZeroByte) {
    tray.setTooltip(std::string_view("Drive\0Status", 12));
    EXPECT_EQ(tray.data().tooltip, "Drive");
}

TEST_F(TrayIconCalls, RestoreAfterTaskbarRecreationAddsTheCurrentPicture) {
    setUpAndAdd();
    tray.setIcon(134);
    tray.setTooltip("Drive Status Warning");
    EXPECT_TRUE(tray.restore());
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Add);
    EXPECT_EQ(shell.calls.back().record.icon, 134u);
    EXPECT_EQ(shell.calls.back().record.tooltip, "Drive Status Warning");
    EXPECT_TRUE(tray.added());
}

TEST_F(TrayIconCalls, RestoreAfterRemoveDoesNothing) {
    setUpAndAdd();
    tray.remove();
    const std::size_t before = shell.calls.size();
    EXPECT_FALSE(tray.restore());
    EXPECT_EQ(shell.calls.size(), before);
}

TEST_F(TrayIconCalls, RestoreBeforeTheFirstAddDoesNothing) {
    EXPECT_FALSE(tray.restore());
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconCalls, RefusedAddIsRetriedEveryTwentyFiveTicks) {
    shell.succeed = false;
    setUpAndAdd();
    for (int i = 1; i < TrayIcon::retryTicks; ++i) EXPECT_FALSE(tray.retryAddIfDue()) << i;
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(tray.retryAddIfDue());
    ASSERT_GE(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].action, NotifyAction::Add);
    EXPECT_EQ(shell.calls[1].record.tooltip, "Smart Status Ok");
    EXPECT_FALSE(tray.added());

    shell.succeed = true;
    const std::size_t beforeSuccess = shell.calls.size();
    for (int i = 1; i < TrayIcon::retryTicks; ++i) tray.retryAddIfDue();
    EXPECT_EQ(shell.calls.size(), beforeSuccess);
    EXPECT_TRUE(tray.retryAddIfDue());
    EXPECT_TRUE(tray.added());
    for (int i = 0; i < 3 * TrayIcon::retryTicks; ++i) EXPECT_FALSE(tray.retryAddIfDue());
    EXPECT_EQ(shell.calls.size(), beforeSuccess + 1);
}

// After a DPI change the taskbar announces itself again but keeps the icon: the second add
// is refused, and the icon must still take its later pictures and tooltips.
TEST_F(TrayIconCalls, RestoreFindsAnIconTheShellStillShows) {
    setUpAndAdd();
    shell.showsTheIcon = true;
    EXPECT_TRUE(tray.restore());
    EXPECT_TRUE(tray.added());
    tray.setTooltip("Drive Status Warning");
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Modify);
    EXPECT_EQ(shell.calls.back().record.tooltip, "Drive Status Warning");
}

// An add that failed although the icon went up (a busy shell at login) is noticed by the
// next retry, which then stops.
TEST_F(TrayIconCalls, RetryFindsAnIconThatWentUpDespiteAFailedAdd) {
    shell.succeed = false;
    setUpAndAdd();
    shell.succeed = true;
    shell.showsTheIcon = true;
    for (int i = 0; i < TrayIcon::retryTicks; ++i) tray.retryAddIfDue();
    EXPECT_TRUE(tray.added());
    const std::size_t calls = shell.calls.size();
    for (int i = 0; i < 2 * TrayIcon::retryTicks; ++i) EXPECT_FALSE(tray.retryAddIfDue());
    EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(TrayIconCalls, FailedRestoreFallsBackToTheRetries) {
    setUpAndAdd();
    shell.succeed = false;
    tray.restore();
    EXPECT_FALSE(tray.added());
    shell.succeed = true;
    for (int i = 0; i < TrayIcon::retryTicks; ++i) tray.retryAddIfDue();
    EXPECT_TRUE(tray.added());
}

TEST_F(TrayIconCalls, NoRetriesBeforeAddOrAfterRemove) {
    for (int i = 0; i < 2 * TrayIcon::retryTicks; ++i) EXPECT_FALSE(tray.retryAddIfDue());
    EXPECT_TRUE(shell.calls.empty());
    shell.succeed = false;
    setUpAndAdd();
    shell.succeed = true;
    tray.remove();
    const std::size_t before = shell.calls.size();
    for (int i = 0; i < 2 * TrayIcon::retryTicks; ++i) EXPECT_FALSE(tray.retryAddIfDue());
    EXPECT_EQ(shell.calls.size(), before);
}

TEST_F(TrayIconCalls, NotificationGoesOutOnceWithTheWarningIconAndTheCurrentPicture) {
    setUpAndAdd();
    tray.setIcon(134);
    EXPECT_TRUE(tray.showNotification("Drive Status Warning", "Disk 1 - WDC WD5000AAKS predicts failure"));
    const TrayIconRecord& sent = shell.calls.back().record;
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Modify);
    EXPECT_EQ(sent.flags, 7u | notifyFlagInfo);
    EXPECT_EQ(sent.infoTitle, "Drive Status Warning");
    EXPECT_EQ(sent.infoText, "Disk 1 - WDC WD5000AAKS predicts failure");
    EXPECT_EQ(sent.infoFlags, notifyInfoWarning);
    EXPECT_EQ(sent.icon, 134u);
    EXPECT_EQ(sent.owner, 0x4242u);

    tray.setTooltip("Drive Status Warning");  // a later modify does not show it again
    EXPECT_EQ(shell.calls.back().record.flags, 7u);
    EXPECT_EQ(shell.calls.back().record.infoText, "");
}

TEST_F(TrayIconCalls, NotificationTitleAndTextAreCutToFit) {
    setUpAndAdd();
    tray.showNotification(std::string(70, 't'), std::string(300, 'x'));
    EXPECT_EQ(shell.calls.back().record.infoTitle, std::string(63, 't'));
    EXPECT_EQ(shell.calls.back().record.infoText, std::string(255, 'x'));
    tray.showNotification("Drive Status Warning", std::string_view("D: 4.2 %\0hidden", 15));
    EXPECT_EQ(shell.calls.back().record.infoText, "D: 4.2 %");
}

// At a sign-in the taskbar may not be there yet when the first refresh finds a problem.
TEST_F(TrayIconCalls, NotificationWaitsUntilTheShellTakesTheIcon) {
    shell.succeed = false;
    setUpAndAdd();
    EXPECT_FALSE(tray.showNotification("Drive Status Warning", "E: 1.0 % free, below 10 %"));
    EXPECT_EQ(shell.calls.size(), 1u);  // only the refused add
    shell.succeed = true;
    for (int i = 0; i < TrayIcon::retryTicks; ++i) tray.retryAddIfDue();
    ASSERT_EQ(shell.calls.size(), 3u);
    EXPECT_EQ(shell.calls[1].action, NotifyAction::Add);
    EXPECT_EQ(shell.calls[2].action, NotifyAction::Modify);
    EXPECT_EQ(shell.calls[2].record.infoText, "E: 1.0 % free, below 10 %");
    EXPECT_TRUE(tray.restore());  // shown once only
    EXPECT_EQ(shell.calls.size(), 4u);
}

TEST_F(TrayIconCalls, RefusedOrRemovedNotificationIsNotShownLater) {
    setUpAndAdd();
    shell.succeed = false;
    EXPECT_FALSE(tray.showNotification("Drive Status Warning", "E: 1.0 % free, below 10 %"));
    EXPECT_TRUE(tray.added());
    shell.succeed = true;
    EXPECT_TRUE(tray.restore());
    EXPECT_EQ(shell.calls.back().record.flags & notifyFlagInfo, 0u);

    shell.succeed = false;
    tray.restore();  // the shell lost the icon
    tray.showNotification("Drive Status Warning", "F: 2.0 % free, below 10 %");
    shell.succeed = true;
    tray.remove();
    EXPECT_FALSE(tray.restore());
    EXPECT_EQ(shell.calls.back().action, NotifyAction::Remove);
}

struct TrayEventRow {
    std::uint32_t event;
    bool shows;
};

TEST(TrayEvents, ADoubleClickOnTheIconOrAClickOnTheNotificationShowsTheWindow) {
    const TrayEventRow rows[] = {
        {0x203, true},   // WM_LBUTTONDBLCLK
        {0x405, true},   // NIN_BALLOONUSERCLICK
        {0x201, false},  // WM_LBUTTONDOWN
        {0x202, false},  // WM_LBUTTONUP
        {0x206, false},  // WM_RBUTTONDBLCLK
        {0x200, false},  // WM_MOUSEMOVE
        {0x402, false},  // NIN_BALLOONSHOW
        {0x404, false},  // NIN_BALLOONTIMEOUT
        {0x403, false},  // NIN_BALLOONHIDE
    };
    for (const TrayEventRow& row : rows) EXPECT_EQ(showsWindow(row.event), row.shows) << std::hex << row.event;
}

}  // namespace
}  // namespace kestrine
