// The core through two thousand refreshes, an hour apart, while drives fail, recover, remap
// sectors, appear and vanish, volumes come and go, the user moves the list marks and the
// warning percents change, rendered by the window's presenter and recorded into the health
// history. After every refresh the two lists must show exactly what is there, the counts must
// agree with them, and the notification and the events must tell exactly what changed; nothing
// may pile up. Under the sanitized suite this is also the leak check.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
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
#include "fakes/health_replies.h"
#include "history/history_file.h"
#include "probe/device_layouts.h"
#include "probe/drive_probe.h"
#include "probe/health_layouts.h"
#include "probe/health_probe.h"
#include "refresh/refresh.h"
#include "settings/settings_store.h"
#include "tray/status_events.h"
#include "ui/drive_list.h"
#include "ui/refresh_presenter.h"
#include "ui/volume_list.h"

namespace kestrine {
namespace {

using testing::descriptorReply;
using testing::FakeDevicePort;
using testing::FakeFileStore;
using testing::FakeListControl;
using testing::FakeNotifyShell;
using testing::FakeVolumeSource;
using testing::NoSystemMessages;
using testing::predictReply;
using testing::RecordingEventLog;
using testing::RecordingMessageSink;
using testing::RecordingRefreshView;
using testing::smartReply;
using testing::versionReply;

constexpr int refreshesToRun = 2000;
constexpr char baseFolder[] = "C:\\ProgramData";
constexpr StateIcons stateIcons = {0x600D, 0xBAD};
const std::string historyPath = std::string(baseFolder) + "\\VTN\\KSTM\\KSTMH.dat";

UtcSeconds hourly(int refresh) { return 1'796'000'000 + std::int64_t{3600} * refresh; }

// A drive (by number) or a volume (by slot), as the notification and the events name it.
enum class Watched { Drive, Volume };
using WatchedKey = std::pair<Watched, int>;

// Reallocating: healthy, with an attribute table whose reallocated sectors are more each time
// a drive turns to it, a caution.
enum class DriveState {
    Missing,
    Healthy,
    PredictsFailure,
    ThresholdExceeded,
    NoSmart,
    AccessDenied,
    IdentityFails,
    Reallocating
};
// How often each state comes up: failing drives are rare enough for the overall state to
// swing between ok and warning.
constexpr std::array<int, 8> driveStateWeights = {6, 12, 1, 1, 2, 2, 2, 2};

// The states in which this refresh read the drive's identity.
bool identityReadNow(DriveState state) {
    return state == DriveState::Healthy || state == DriveState::PredictsFailure ||
           state == DriveState::ThresholdExceeded || state == DriveState::NoSmart || state == DriveState::Reallocating;
}

// "ACME" and "Disk N rev V": another revision at the same number is another device.
std::string displayNameOf(int number, int revision) {
    return "ACME Disk " + std::to_string(number) + " rev " + std::to_string(revision);
}

std::vector<std::uint8_t> descriptorOf(int number, int revision) {
    return descriptorReply(
        {"ACME ", " Disk " + std::to_string(number) + " rev " + std::to_string(revision), "3132"});  // serial "12"
}

FakeDevicePort::Device scriptedDrive(DriveState state, int number, int revision) {
    const bool exceeded = state == DriveState::ThresholdExceeded;
    const std::uint32_t capabilities = state == DriveState::NoSmart ? 0x03 : 0x07;
    return {{device::ioctlStorageQueryProperty,
             {state == DriveState::IdentityFails ? FakeDevicePort::accessDenied : 0, descriptorOf(number, revision)}},
            {device::smartGetVersion, {0, versionReply(capabilities)}},
            {device::ioctlStoragePredictFailure, {0, predictReply(state == DriveState::PredictsFailure ? 1 : 0)}},
            {device::smartSendDriveCommand, {0, exceeded ? smartReply(0xF4, 0x2C) : smartReply(0x4F, 0xC2)}}};
}

class CoreSoak : public ::testing::Test {
protected:
    CoreSoak() {
        port.recordRequests = false;
        files.folders.insert(baseFolder);
        store.runStartUpSequence();
        cycle.refreshPeriod = 2;  // an automatic refresh every third tick
        presenter.icons = stateIcons;
        tray.owner = 0x4242;
        tray.add();
    }

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    bool chance(int oneIn) { return pick(oneIn) == 0; }

    void changeDrive() {
        const int number = pick(driveTableSize);
        std::discrete_distribution<int> weighted(driveStateWeights.begin(), driveStateWeights.end());
        const auto state = static_cast<DriveState>(weighted(random));
        const std::string path = devicePath(number);
        if (chance(4)) ++revision[number];
        port.devices.erase(path);
        port.variants.erase(path);
        port.openErrors.erase(path);
        if (state == DriveState::AccessDenied)
            port.openErrors[path] = FakeDevicePort::accessDenied;
        else if (state != DriveState::Missing)
            port.devices[path] = scriptedDrive(state, number, revision[number]);
        if (state == DriveState::Reallocating) {
            reallocated[number] = ++sectorsRemapped;
            const std::vector<testing::AttributeRow> table = {{5, 0x33, 100, 100, reallocated[number], 36}};
            port.variants[path][{device::smartRcvDriveData, device::smartRead::readAttributes}] = {
                0, testing::smartDataReply(table)};
            port.variants[path][{device::smartRcvDriveData, device::smartRead::readThresholds}] = {
                0, testing::smartThresholdsReply(table)};
        }
        drives[number] = state;
    }

    void changeVolume() {
        const char letter = static_cast<char>('C' + pick(24));
        auto found = volumes.volumes.find(letter);
        if (found == volumes.volumes.end() || chance(4)) {
            // Now and then 0.5 % to 9.5 % free, else 30.5 % to 99.5 %: never exactly on a
            // whole-number limit.
            const std::int64_t total = (1 + pick(2000)) * std::int64_t{1'000'000'000};
            const int percent = chance(20) ? pick(10) : 30 + pick(70);
            volumes.add(letter, total, total / 1000 * (10 * percent + 5), chance(3) ? "" : "Data");
        } else if (chance(3)) {
            volumes.volumes.erase(found);
        } else {
            found->second.freeSpaceFails = !found->second.freeSpaceFails;
            found->second.labelFails = chance(5);
        }
    }

    void changeThreshold() {
        SettingsRecord& settings = store.working();
        switch (pick(5)) {
            case 0: lowerDefaultWarningPercent(settings); break;
            case 1: raiseDefaultWarningPercent(settings); break;
            case 2: lowerVolumeWarningPercent(settings, volumeList, sink); break;
            case 3: raiseVolumeWarningPercent(settings, volumeList, sink); break;
            default: toggleVolumeUsesOwnPercent(settings, volumeList, chance(2)); break;
        }
    }

    void moveMarks() {
        driveList.mark = pick(driveList.itemCount() + 1) - 1;
        volumeList.mark = pick(volumeList.itemCount() + 1) - 1;
    }

    // The window's refresh: the portable refresh, rendered by the window's presenter.
    void refresh() {
        const int oldFailing = failing;
        const int oldWarnings = warnings;
        port.opens.clear();
        problemsNow.clear();
        presentNow.clear();
        cautionsNow.clear();
        testing::FakeHistoryLock lock(lockFile);
        const HistoryRecording recording{files, lock, pause, historyPath, historyPath + ".lock", hourly(refreshes)};
        const bool ran = core.run(
            store.working(), [this](const RefreshResult& result) { presenter.present(result); }, &recording);
        ASSERT_TRUE(ran);
        ASSERT_TRUE(core.result().history.has_value());
        ASSERT_EQ(core.result().history->status, HistoryUpdateStatus::Written);
        failing = core.result().failingDriveCount;
        warnings = core.result().volumeScan.warningCount;
        ++refreshes;
        sawFailingDrive |= failing > 0;
        sawVolumeWarning |= warnings > 0;
        checkDriveList();
        checkVolumeList();
        checkPanelsAndStatus(oldFailing, oldWarnings);
        checkNews();
    }

    // The window's tick: selection follow-up, then the clock.
    void tick() {
        presenter.followMarks();
        if (refreshes > 0) {
            ASSERT_EQ(view.drivePanel.name, drivePanelTexts(markedDrive(core.result().drives, driveList),
                                                            core.result().health, systemMessages)
                                                .name);
            ASSERT_EQ(view.volumePanel.letterText,
                      volumeList.mark >= 0 ? volumeList.items[volumeList.mark].text.substr(0, 2) : "..");
        }
        const bool counting = cycle.autoRefresh;
        const bool pending = cycle.refreshPending;
        const TickPlan plan = cycle.tick(core.running());
        ASSERT_TRUE(counting || pending || !plan.refresh) << "refreshed by itself while automatic refresh was off";
        if (plan.refresh) refresh();
    }

    void checkDriveList() {
        ASSERT_FALSE(port.overlapped) << "two devices open at once";
        // Three passes (identity, failure status, health), each a read/write open and, when that
        // is refused, one without access.
        ASSERT_LE(port.opens.size(), static_cast<std::size_t>(6 * driveTableSize));
        std::set<std::intptr_t> shown;
        int warningImages = 0;
        for (const FakeListControl::Item& item : driveList.items) {
            ASSERT_TRUE(shown.insert(item.data).second) << "drive " << item.data << " listed twice";
            ASSERT_TRUE(item.data >= 0 && item.data < driveTableSize);
            if (item.image == 2) ++warningImages;
        }
        for (int number = 0; number < driveTableSize; ++number) {
            const DriveState state = drives[number];
            // A failed identity query alone changes nothing about being listed.
            if (state != DriveState::IdentityFails) listed[number] = state != DriveState::Missing;
            ASSERT_EQ(shown.count(number) == 1, listed[number]) << "drive " << number;
            if (!listed[number]) continue;
            const FakeListControl::Item& item = driveList.items[driveList.findByData(number)];
            presentNow.insert({Watched::Drive, number});
            if (item.image == 2) problemsNow.insert({Watched::Drive, number});
            if (item.image == 3) cautionsNow.insert({Watched::Drive, number});
            if (state == DriveState::IdentityFails) {
                ASSERT_EQ(item.text, entryTexts[number]) << "a failing identity query keeps the entry's text";
            } else if (identityReadNow(state)) {
                ASSERT_EQ(item.text,
                          "Disk " + std::to_string(number) + " - " + displayNameOf(number, revision[number]));
                const bool failingState =
                    state == DriveState::PredictsFailure || state == DriveState::ThresholdExceeded;
                const int image = failingState ? 2 : state == DriveState::Reallocating ? 3 : 1;
                ASSERT_EQ(item.image, image) << "drive " << number;
            }
            entryTexts[number] = item.text;
        }
        ASSERT_EQ(failing, warningImages);
    }

    void checkVolumeList() {
        std::set<std::intptr_t> expected;
        for (const auto& [letter, volume] : volumes.volumes)
            if (!volume.freeSpaceFails) expected.insert(letter - 'A');
        // With no letter at all the scan leaves the list as it was.
        if (volumes.volumes.empty()) expected = volumeSlotsShown;
        std::set<std::intptr_t> shown;
        for (const FakeListControl::Item& item : volumeList.items)
            ASSERT_TRUE(shown.insert(item.data).second) << "slot " << item.data << " listed twice";
        ASSERT_EQ(shown, expected);
        volumeSlotsShown = shown;
        if (volumes.volumes.empty()) {
            ASSERT_EQ(warnings, 0);
            return;
        }

        const SettingsRecord& settings = store.working();
        int expectedWarnings = 0;
        for (const FakeListControl::Item& item : volumeList.items) {
            const char letter = static_cast<char>('A' + item.data);
            const FakeVolumeSource::Volume& volume = volumes.volumes.at(letter);
            const std::int64_t limit = settings.useDefault[item.data] != 0 ? settings.defaultWarningPercent
                                                                           : settings.warningPercent[item.data];
            const bool inWarning = volume.freeBytes * 100 < limit * volume.totalBytes;
            expectedWarnings += inWarning ? 1 : 0;
            presentNow.insert({Watched::Volume, static_cast<int>(item.data)});
            if (inWarning) problemsNow.insert({Watched::Volume, static_cast<int>(item.data)});
            ASSERT_EQ(item.image, inWarning ? volumeWarningImage : volumeOkImage) << letter;
            ASSERT_EQ(item.text.substr(0, 3), (std::string{letter, ':', ' '}));
            const std::string label = volume.labelFails ? "" : volume.label;
            const std::string ending = label.empty() ? "% Free " : "% Free (" + label + ")";
            ASSERT_TRUE(item.text.ends_with(ending)) << item.text;
        }
        ASSERT_EQ(warnings, expectedWarnings);
    }

    void checkPanelsAndStatus(int oldFailing, int oldWarnings) {
        const DriveRecord* marked = markedDrive(core.result().drives, driveList);
        if (marked == nullptr) {
            ASSERT_EQ(view.drivePanel.name, "None Selected");
        } else if (identityReadNow(drives[marked->driveNumber])) {
            ASSERT_EQ(view.drivePanel.name, displayNameOf(marked->driveNumber, revision[marked->driveNumber]));
        }
        if (volumeList.mark >= 0) {
            ASSERT_EQ(view.volumePanel.letterText, volumeList.items[volumeList.mark].text.substr(0, 2));
        } else {
            ASSERT_EQ(view.volumePanel.percentText, "...");
        }
        ASSERT_EQ(view.listsInStepCount, refreshes);

        // The overall state from the counts before and after, as the user sees it.
        const bool ok = failing == 0 && warnings == 0;
        stateChanges += ok != (oldFailing == 0 && oldWarnings == 0) ? 1 : 0;
        comeForwards += failing > oldFailing || warnings > oldWarnings ? 1 : 0;
        ASSERT_EQ(view.comeForwardCount, comeForwards);
        ASSERT_EQ(view.stateIcons.size(), static_cast<std::size_t>(stateChanges));
        if (stateChanges == 0) return;
        const std::uintptr_t icon = ok ? stateIcons.ok : stateIcons.warning;
        ASSERT_EQ(view.stateIcons.back(), icon);
        ASSERT_EQ(tray.data().icon, icon);
        ASSERT_EQ(tray.data().tooltip, ok ? "Drive Status Ok" : "Drive Status Warning");
    }

    // What this refresh must tell, from the lists the checks above confirmed: the problems the
    // refresh before did not have in one notification, and an event for each of them and for
    // each of its problems that is listed and fine now. A problem whose item is gone is
    // forgotten.
    void checkNews() {
        std::vector<std::uint32_t> expectedIds;
        std::vector<std::uint32_t> recoveredIds;
        int appeared = 0;
        for (const WatchedKey& key : problemsNow) {
            if (lastProblems.count(key) != 0) continue;
            ++appeared;
            expectedIds.push_back(key.first == Watched::Drive ? driveFailingEvent : volumeLowEvent);
        }
        for (const WatchedKey& key : lastProblems)
            // A caution is neither a problem nor ok: the problem is forgotten without news.
            if (presentNow.count(key) != 0 && problemsNow.count(key) == 0 && cautionsNow.count(key) == 0)
                recoveredIds.push_back(key.first == Watched::Drive ? driveOkEvent : volumeOkEvent);
        expectedIds.insert(expectedIds.end(), recoveredIds.begin(), recoveredIds.end());
        lastProblems = problemsNow;
        // A count is told once, when it passes what was told of its drive: the counts only grow.
        for (int number = 0; number < driveTableSize; ++number) {
            if (drives[number] != DriveState::Reallocating || reallocated[number] <= toldSectors[number]) continue;
            toldSectors[number] = reallocated[number];
            expectedIds.push_back(cautionGrownEvent);
            ++appeared;
        }

        std::vector<std::uint32_t> ids;
        for (std::size_t i = eventsSeen; i < eventLog.events.size(); ++i) ids.push_back(eventLog.events[i].id);
        eventsSeen = eventLog.events.size();
        ASSERT_EQ(ids, expectedIds) << "refresh " << refreshes;
        for (const std::uint32_t id : ids) ++eventCounts[id];

        std::vector<std::string> notified;
        for (std::size_t i = shellCallsSeen; i < shell.calls.size(); ++i)
            if ((shell.calls[i].record.flags & notifyFlagInfo) != 0) notified.push_back(shell.calls[i].record.infoText);
        shellCallsSeen = shell.calls.size();
        ASSERT_EQ(notified.size(), appeared > 0 ? 1u : 0u) << "refresh " << refreshes;
        if (appeared == 0) return;
        ++notifications;
        const auto lines = std::count(notified[0].begin(), notified[0].end(), '\n') + 1;
        ASSERT_EQ(lines, std::min(appeared, 3) + (appeared > 3 ? 1 : 0)) << notified[0];
    }

    void checkThresholds() {
        const SettingsRecord& settings = store.working();
        ASSERT_GE(settings.defaultWarningPercent, 1u);
        ASSERT_LE(settings.defaultWarningPercent, 20u);
        for (const std::uint32_t own : settings.warningPercent) {
            ASSERT_GE(own, 1u);
            ASSERT_LE(own, 30u);
        }
    }

    std::mt19937 random{20240611};
    FakeDevicePort port;
    FakeVolumeSource volumes;
    FakeListControl driveList;
    FakeListControl volumeList;
    FakeFileStore files;
    RecordingMessageSink sink;
    NoSystemMessages systemMessages;
    testing::CountingPause pause;
    SettingsStore store{files, sink, pause, baseFolder};
    Refresh core{port, volumes, judgeWithHistory};
    RefreshCycle cycle;
    RecordingRefreshView view;
    FakeNotifyShell shell;
    TrayIcon tray{shell};
    RecordingEventLog eventLog;
    RefreshPresenter presenter{
        {driveList, volumeList, view, tray, eventLog, cycle, systemMessages, sink, store.working(), core.result()}};
    int failing = 0;
    int warnings = 0;
    int refreshes = 0;
    // Evidence that the run went through the situations it is meant to.
    int stateChanges = 0;
    int comeForwards = 0;
    bool sawFailingDrive = false;
    bool sawVolumeWarning = false;
    int notifications = 0;
    std::map<std::uint32_t, int> eventCounts;  // by event id

    // The problems and the listed items of this refresh, and the problems of the one before.
    std::set<WatchedKey> problemsNow;
    std::set<WatchedKey> presentNow;
    std::set<WatchedKey> cautionsNow;
    std::set<WatchedKey> lastProblems;
    std::size_t eventsSeen = 0;
    std::size_t shellCallsSeen = 0;

    std::array<DriveState, driveTableSize> drives{};  // all Missing
    std::uint64_t sectorsRemapped = 0;
    std::array<std::uint64_t, driveTableSize> reallocated{};  // each reallocating drive's count
    std::array<std::uint64_t, driveTableSize> toldSectors{};
    testing::FakeLockFile lockFile;
    std::array<int, driveTableSize> revision{};
    std::array<bool, driveTableSize> listed{};
    std::array<std::string, driveTableSize> entryTexts;  // each listed drive's entry at the last check
    std::set<std::intptr_t> volumeSlotsShown;
};

TEST_F(CoreSoak, ListsCountsAndPanelsFollowAChangingSystemThroughTwoThousandRefreshes) {
    while (refreshes < refreshesToRun) {
        if (chance(2)) changeDrive();
        if (chance(2)) changeVolume();
        if (chance(3)) changeThreshold();
        if (chance(4)) moveMarks();
        if (chance(60)) cycle.toggleAutoRefresh();
        if (!cycle.autoRefresh && chance(4)) refresh();  // "&Refresh Data"
        tick();
        if (HasFatalFailure()) return;
        checkThresholds();
        if (HasFatalFailure()) return;
    }
    EXPECT_TRUE(sink.shown.empty()) << sink.shown.front();
    EXPECT_TRUE(sawFailingDrive);
    EXPECT_TRUE(sawVolumeWarning);
    EXPECT_GT(stateChanges, 40);
    // Every kind of news came up, each as often as the lists said it must (checked at every
    // refresh), and no item recovered more often than it turned bad.
    EXPECT_GT(notifications, 200);
    EXPECT_GT(eventCounts[driveFailingEvent], 150);
    EXPECT_GT(eventCounts[driveOkEvent], 100);
    EXPECT_GT(eventCounts[volumeLowEvent], 60);
    EXPECT_GT(eventCounts[volumeOkEvent], 20);
    EXPECT_LE(eventCounts[driveOkEvent], eventCounts[driveFailingEvent]);
    EXPECT_LE(eventCounts[volumeOkEvent], eventCounts[volumeLowEvent]);
    EXPECT_GT(eventCounts[cautionGrownEvent], 100);
    EXPECT_EQ(eventCounts.size(), 5u) << "no other event";
    // A week of hourly samples and one a day before it, for the drives that were read.
    const History history = parseHistory(files.files.at(historyPath)).history;
    EXPECT_FALSE(history.drives.empty());
    for (const DriveHistory& drive : history.drives) EXPECT_LE(drive.samples.size(), 7u * 24 + 400);

    // The thresholds the user left behind are written as one 272-byte record.
    ASSERT_TRUE(store.saveSettings());
    const std::vector<std::uint8_t>& saved = files.files.at(std::string(baseFolder) + "\\VTN\\KSTM\\KSTMC.dat");
    ASSERT_EQ(saved.size(), settingsRecordSize);
    EXPECT_EQ(std::memcmp(saved.data(), &store.working(), settingsRecordSize), 0);
}

}  // namespace
}  // namespace kestrine
