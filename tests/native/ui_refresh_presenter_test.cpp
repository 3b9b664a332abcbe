// The presenter between one refresh and the window: the lists and panels it fills, the state
// it shows, and the news it tells, over an in-memory list, notification area, event log and
// window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_event_log.h"
#include "fakes/fake_list_control.h"
#include "fakes/fake_message_sink.h"
#include "fakes/fake_notify_shell.h"
#include "fakes/fake_refresh_view.h"
#include "fakes/fake_volume_source.h"
#include "probe/health_probe.h"
#include "scripted_device_port.h"
#include "tray/status_events.h"
#include "ui/refresh_presenter.h"

namespace kestrine {
namespace {

constexpr std::uintptr_t okIcon = 0x600D;
constexpr std::uintptr_t warningIcon = 0xBAD;
constexpr char twoDrivesOneFailing[] =
    "0 healthy vendor=ACME product=X100\n2 failing-spf vendor=WDC product=WD5000AAKS\n";

// Drives from a scenario, C: at 45 % free and D: at 4.25 % free, the default warning percent 10.
class Presenting : public ::testing::Test {
protected:
    void SetUp() override {
        volumes.add('C', 100'000'000'000, 45'000'000'000, "System");
        volumes.add('D', 100'000'000'000, 4'250'000'000, "Data");
        presenter.icons = {okIcon, warningIcon};
        tray.owner = 0x4242;
        tray.add();
    }
    void TearDown() override { std::filesystem::remove(scenarioPath); }

    void present(const std::string& drives) {
        std::ofstream(scenarioPath, std::ios::binary) << drives;
        ASSERT_TRUE(refresh.run(thresholds, [this](const RefreshResult& result) { presenter.present(result); }));
    }
    std::vector<const TrayIconRecord*> notifications() const {
        std::vector<const TrayIconRecord*> shown;
        for (const testing::FakeNotifyShell::Call& call : shell.calls)
            if ((call.record.flags & notifyFlagInfo) != 0) shown.push_back(&call.record);
        return shown;
    }
    std::vector<std::uint32_t> eventIds() const {
        std::vector<std::uint32_t> ids;
        for (const LogEvent& event : eventLog.events) ids.push_back(event.id);
        return ids;
    }

    std::string scenarioPath = (std::filesystem::temp_directory_path() / "kestrine_presenter.txt").string();
    scripted::ScriptedDevicePort devices{scenarioPath};
    testing::FakeVolumeSource volumes;
    SettingsRecord thresholds = defaultSettings();
    Refresh refresh{devices, volumes, allHealthReads};
    testing::FakeListControl driveList;
    testing::FakeListControl volumeList;
    testing::RecordingRefreshView view;
    testing::FakeNotifyShell shell;
    TrayIcon tray{shell};
    testing::RecordingEventLog eventLog;
    RefreshCycle cycle;
    testing::NoSystemMessages systemMessages;
    testing::RecordingMessageSink messages;
    RefreshPresenter presenter{
        {driveList, volumeList, view, tray, eventLog, cycle, systemMessages, messages, thresholds}};
};

TEST_F(Presenting, FirstRefreshFillsListsAndPanelsShowsTheWarningAndTellsEveryProblem) {
    cycle.tickCount = 77;
    present(twoDrivesOneFailing);
    ASSERT_EQ(driveList.itemCount(), 2);
    EXPECT_EQ(driveList.items[1].text, "Disk 2 - WDC WD5000AAKS");
    EXPECT_EQ(driveList.items[1].image, 2);
    EXPECT_EQ(volumeList.itemCount(), 2);
    EXPECT_EQ(view.listsInStepCount, 1);
    EXPECT_EQ(view.drivePanel.name, "ACME X100");
    EXPECT_EQ(view.volumePanel.letterText, "C:");
    EXPECT_EQ(cycle.tickCount, 0);

    EXPECT_EQ(view.stateIcons, std::vector<std::uintptr_t>{warningIcon});
    EXPECT_EQ(tray.data().icon, warningIcon);
    EXPECT_EQ(tray.data().tooltip, "Drive Status Warning");
    EXPECT_EQ(view.comeForwardCount, 1);
    ASSERT_EQ(notifications().size(), 1u);
    EXPECT_EQ(notifications()[0]->infoTitle, "Drive Status Warning");
    EXPECT_EQ(notifications()[0]->infoText, "Disk 2 - WDC WD5000AAKS predicts failure\nD: 4.2 % free, below 10 %");
    EXPECT_EQ(eventIds(), (std::vector<std::uint32_t>{driveFailingEvent, volumeLowEvent}));
    EXPECT_EQ(eventLog.events[0].type, EventType::Error);
    EXPECT_EQ(eventLog.events[1].strings.at(1), "4.2 %");
}

// A problem that stays tells nothing again and changes no picture; one more problem in the
// same state is told and brings the window forward; the ends are told in the event log alone,
// and the state turns ok.
TEST_F(Presenting, KeptProblemsTellNothingNewOnesAreToldAndRecoveriesOnlyLogged) {
    present(twoDrivesOneFailing);
    present(twoDrivesOneFailing);
    EXPECT_EQ(notifications().size(), 1u);
    EXPECT_EQ(eventLog.events.size(), 2u);
    EXPECT_EQ(view.stateIcons.size(), 1u);
    EXPECT_EQ(view.comeForwardCount, 1);

    volumes.add('E', 200'000'000'000, 3'000'000'000, "Backup");
    present(twoDrivesOneFailing);
    ASSERT_EQ(notifications().size(), 2u);
    EXPECT_EQ(notifications()[1]->infoText, "E: 1.5 % free, below 10 %");
    EXPECT_EQ(view.stateIcons.size(), 1u);
    EXPECT_EQ(view.comeForwardCount, 2);

    volumes.volumes.erase('E');
    volumes.add('D', 100'000'000'000, 60'000'000'000, "Data");
    present("0 healthy vendor=ACME product=X100\n2 healthy vendor=WDC product=WD5000AAKS\n");
    EXPECT_EQ(notifications().size(), 2u);
    EXPECT_EQ(eventIds(), (std::vector<std::uint32_t>{driveFailingEvent, volumeLowEvent, volumeLowEvent, driveOkEvent,
                                                      volumeOkEvent}));
    EXPECT_EQ(view.stateIcons, (std::vector<std::uintptr_t>{warningIcon, okIcon}));
    EXPECT_EQ(tray.data().tooltip, "Drive Status Ok");
    EXPECT_EQ(view.comeForwardCount, 2);
    EXPECT_EQ(driveList.items[1].image, 1);
}

TEST_F(Presenting, PanelsFollowTheMarksAndShowNothingBeforeTheFirstRefresh) {
    presenter.updateDrivePanel();
    presenter.updateVolumePanel();
    EXPECT_EQ(view.drivePanel.name, "None Selected");
    EXPECT_EQ(view.volumePanel.percentText, "...");

    present(twoDrivesOneFailing);
    driveList.mark = 1;
    volumeList.mark = 1;
    presenter.followMarks();
    EXPECT_EQ(view.drivePanel.name, "WDC WD5000AAKS");
    EXPECT_EQ(view.drivePanel.spfStatus, "Failure Predicted");
    EXPECT_EQ(view.volumePanel.letterText, "D:");
    EXPECT_EQ(view.volumePanel.percentText, "4.2 %");
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace kestrine
