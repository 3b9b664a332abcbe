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
#include "fakes/fake_file_store.h"
#include "fakes/fake_history_lock.h"
#include "fakes/fake_list_control.h"
#include "fakes/fake_message_sink.h"
#include "fakes/fake_notify_shell.h"
#include "fakes/fake_refresh_view.h"
#include "fakes/fake_volume_source.h"
#include "probe/health_probe.h"
#include "real_drives.h"
#include "refresh/caution_news.h"
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
    Refresh refresh{devices, volumes};
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
        {driveList, volumeList, view, tray, eventLog, cycle, systemMessages, messages, thresholds, refresh.result()}};
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

// The window's refresh with its history: the real SSD's table at drive 2, its reallocated
// sectors (id 5) as each step sets them, recorded into an in-memory history.
class PresentingWithHistory : public Presenting {
protected:
    PresentingWithHistory() { files.folders = {"C:\\ProgramData\\VTN\\KSTM"}; }
    const RefreshResult& presentSectors(std::uint64_t reallocated, UtcSeconds time,
                                        AcceptScope accept = AcceptScope::None) {
        std::ofstream(scenarioPath, std::ios::binary)
            << "2 healthy vendor=INTEL product=SSDSA2CW120G3 serial=CVPR1234\n"
            << testing::realAtaAttributeLines(2, {{5, reallocated}});
        testing::FakeHistoryLock lock(lockFile);
        const HistoryRecording recording{files, lock, pause, historyPath, historyPath + ".lock", time, accept, 2, true};
        EXPECT_TRUE(recorded.run(
            thresholds, [this](const RefreshResult& result) { rendering->present(result); }, &recording));
        return recorded.result();
    }
    std::vector<std::string> notificationTexts() const {
        std::vector<std::string> texts;
        for (const TrayIconRecord* record : notifications()) texts.push_back(record->infoText);
        return texts;
    }
    std::vector<LogEvent> eventsWithId(std::uint32_t id) const {
        std::vector<LogEvent> found;
        for (const LogEvent& event : eventLog.events)
            if (event.id == id) found.push_back(event);
        return found;
    }

    const std::string historyPath = "C:\\ProgramData\\VTN\\KSTM\\KSTMH.dat";
    Refresh recorded{devices, volumes, judgeWithHistory};
    RefreshPresenter* rendering = &presenter;
    testing::FakeFileStore files;
    testing::FakeLockFile lockFile;
    testing::CountingPause pause;
    static constexpr UtcSeconds start = 1'796'000'000;
};

// A count is told once when it appears and once each time it grows past the history's previous
// sample, also across a restart (a new presenter); a caution is no failure; accepting writes 111
// and turns the picture back to the check mark.
TEST_F(PresentingWithHistory, GrownCountsAreToldOnceAndCautionIsNoFailure) {
    const LogEvent grown8{
        EventType::Warning,
        cautionGrownEvent,
        {"Disk 2 - INTEL SSDSA2CW120G3", "INTEL SSDSA2CW120G3", "CVPR1234", "reallocated sectors", "8", "none"}};
    const RefreshResult& first = presentSectors(8, start);
    EXPECT_EQ(driveList.items.at(0).image, 3) << "caution";
    EXPECT_EQ(first.failingDriveCount, 0);
    EXPECT_EQ(view.drivePanel.smartStatus, "Ok") << "the panel keeps its texts";
    EXPECT_EQ(
        notificationTexts(),
        std::vector<std::string>{"D: 4.2 % free, below 10 %\nDisk 2 - INTEL SSDSA2CW120G3: 8 reallocated sectors"});
    EXPECT_EQ(eventsWithId(cautionGrownEvent), std::vector<LogEvent>{grown8});
    EXPECT_TRUE(eventsWithId(driveFailingEvent).empty());

    presentSectors(8, start + 60);
    RefreshPresenter restarted{
        {driveList, volumeList, view, tray, eventLog, cycle, systemMessages, messages, thresholds, refresh.result()}};
    rendering = &restarted;
    presentSectors(8, start + 120);
    EXPECT_EQ(eventsWithId(cautionGrownEvent).size(), 1u) << "the same value is not told again";

    presentSectors(12, start + 180);
    presentSectors(12, start + 240);
    ASSERT_EQ(eventsWithId(cautionGrownEvent).size(), 2u);
    EXPECT_EQ(eventsWithId(cautionGrownEvent)[1].strings.at(4), "12");
    EXPECT_EQ(notificationTexts().back(), "Disk 2 - INTEL SSDSA2CW120G3: 12 reallocated sectors");

    const RefreshResult& accepted = presentSectors(12, start + 300, AcceptScope::OneDrive);
    EXPECT_EQ(driveList.items.at(0).image, 1);
    EXPECT_EQ(acceptRefusal(accepted, 2, "", systemMessages), "");
    EXPECT_EQ(
        healthAccepted(accepted, 2),
        (LogEvent{EventType::Information,
                  healthAcceptedEvent,
                  {"Disk 2 - INTEL SSDSA2CW120G3", "INTEL SSDSA2CW120G3", "CVPR1234", "12 reallocated sectors"}}));

    presentSectors(13, start + 360);
    EXPECT_EQ(driveList.items.at(0).image, 3);
    EXPECT_EQ(notificationTexts().back(), "Disk 2 - INTEL SSDSA2CW120G3: 13 reallocated sectors, 12 accepted");
    EXPECT_EQ(eventsWithId(cautionGrownEvent).back().strings.at(5), "12");
    EXPECT_EQ(eventsWithId(cautionGrownEvent).size(), 3u);
}

// A history that cannot be written is told once in the run and its counts still once; the
// acceptance it could not take is refused in words; a damaged one set aside is told.
TEST_F(PresentingWithHistory, AHistoryThatCannotBeWrittenIsToldOnceAndRefusesAcceptance) {
    files.failReplaces = true;
    presentSectors(8, start);
    const RefreshResult& refused = presentSectors(8, start + 60, AcceptScope::OneDrive);
    EXPECT_EQ(eventsWithId(historyNotRecordedEvent),
              (std::vector<LogEvent>{
                  {EventType::Warning, historyNotRecordedEvent, {historyPath, "it could not be written: error 5"}}}));
    EXPECT_EQ(eventsWithId(cautionGrownEvent).size(), 1u);
    EXPECT_EQ(acceptRefusal(refused, 2, "", systemMessages),
              "The current health of Disk 2 - INTEL SSDSA2CW120G3 was not accepted: the health history KSTMH.dat was "
              "not recorded: it could not be written: error 5.");
    EXPECT_EQ(acceptRefusal(refused, 2, "there is no folder C:\\ProgramData", systemMessages),
              "The current health of Disk 2 - INTEL SSDSA2CW120G3 was not accepted: the health history could not be "
              "recorded: there is no folder C:\\ProgramData.");

    files.failReplaces = false;
    files.files[historyPath] = {'K', 'S', 'T', 'H', 9};
    presentSectors(8, start + 120);
    ASSERT_EQ(eventsWithId(historySetAsideEvent).size(), 1u);
    EXPECT_EQ(eventsWithId(historySetAsideEvent)[0].strings.at(2), historyPath + ".damaged-20261130T005520Z");
    EXPECT_EQ(eventsWithId(historyNotRecordedEvent).size(), 1u);
}

}  // namespace
}  // namespace kestrine
