// The refresh's recording into the health history: one sample per drive whose health was read,
// the verdicts judged against the acceptance read in the same locked update, acceptance before
// judging, a damaged file set aside and named once, and a history that cannot be read judged
// with nothing accepted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/fake_file_store.h"
#include "fakes/fake_history_lock.h"
#include "fakes/fake_volume_source.h"
#include "history/history_bounds.h"
#include "history/history_file.h"
#include "probe/health_probe.h"
#include "refresh/refresh.h"
#include "scripted_device_port.h"

namespace kestrine {
namespace {

constexpr UtcSeconds now = 1'796'000'000;
const std::string folder = "C:\\ProgramData\\VTN\\KSTM";
const std::string path = folder + "\\KSTMH.dat";
const DriveKey diskA{"ACME Disk A", "SNA1"};

// Drive 0 with 8 reallocated sectors (raw as given), drive 1 whose SMART reads are refused,
// drive 2 read but with neither name nor serial number, drive 3 an NVMe drive with 2 media errors.
std::string drives(int reallocated) {
    return "0 healthy vendor=ACME product=\"Disk A\" serial=SNA1\n"
           "0 attribute id=5 flags=0x33 current=100 worst=100 raw=" +
           std::to_string(reallocated) +
           " threshold=36\n"
           "1 healthy vendor=ACME product=B serial=SNB1\n"
           "2 healthy\n2 attribute id=9 flags=0x32 current=90 worst=90 raw=100\n"
           "3 healthy bus=17 product=NV serial=SN3\n3 nvme-log spare=90 spare-threshold=10 media-errors=2\n";
}

class RefreshHistory : public ::testing::Test {
protected:
    RefreshHistory() { files.folders = {"C:\\ProgramData", "C:\\ProgramData\\VTN", folder}; }
    void TearDown() override { std::filesystem::remove(scenarioPath); }

    const RefreshResult& run(int reallocated, UtcSeconds time, AcceptScope accept = AcceptScope::None,
                             int acceptDrive = 0, bool recallUnread = false) {
        std::ofstream(scenarioPath, std::ios::binary) << drives(reallocated);
        testing::FakeHistoryLock lock(lockFile);
        const HistoryRecording recording{files, lock,   pause,       path,        folder + "\\KSTMH.lock",
                                         time,  accept, acceptDrive, recallUnread};
        EXPECT_TRUE(refresh.run(
            thresholds, [](const RefreshResult&) {}, &recording));
        return refresh.result();
    }
    History fileHistory() { return parseHistory(files.files.at(path)).history; }

    std::string scenarioPath = (std::filesystem::temp_directory_path() / "kestrine_refresh_history.txt").string();
    scripted::ScriptedDevicePort devices{scenarioPath};
    testing::FakeVolumeSource volumes;
    SettingsRecord thresholds = defaultSettings();
    Refresh refresh{devices, volumes, judgeWithHistory};
    testing::FakeFileStore files;
    testing::FakeLockFile lockFile;
    testing::CountingPause pause;
};

TEST_F(RefreshHistory, OneSamplePerDriveWhoseHealthWasReadKeyedByNameAndSerialNumber) {
    const RefreshResult& result = run(8, now);
    ASSERT_TRUE(result.history.has_value());
    EXPECT_EQ(result.history->status, HistoryUpdateStatus::Written);
    EXPECT_FALSE(result.history->setAside.has_value());
    const History history = fileHistory();
    ASSERT_EQ(history.drives.size(), 2u) << "drives 0 and 3; 1 unread, 2 without a key";
    const DriveHistory* a = findDrive(history, diskA);
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->samples.size(), 1u);
    EXPECT_EQ(a->samples[0].time, now);
    EXPECT_EQ(a->samples[0].status, SampleStatus::Caution);
    EXPECT_EQ(a->samples[0].counts[0], 8u);
    const DriveHistory* nvme = findDrive(history, DriveKey{"NV", "SN3"});
    ASSERT_NE(nvme, nullptr);
    EXPECT_EQ(nvme->samples[0].counts[static_cast<std::size_t>(CautionCount::MediaErrors)], 2u);
    EXPECT_EQ(nvme->samples[0].availableSpare, 90);
    EXPECT_EQ(result.histories[0], (HistorySummary{now, 1, std::nullopt}));
    EXPECT_FALSE(result.histories[1].has_value());
    EXPECT_FALSE(result.histories[2].has_value());
    EXPECT_EQ(result.cautions[0].counts[0].state, CautionState::New);

    run(8, now + 3600);
    EXPECT_EQ(findDrive(fileHistory(), diskA)->samples.size(), 2u);
    EXPECT_EQ(refresh.result().histories[0], (HistorySummary{now, 2, std::nullopt}));
}

// Each drive is found wherever the file lists it, among drives that are not attached.
TEST_F(RefreshHistory, FindsEachDriveWhereverTheFileListsIt) {
    HealthSample older;
    older.time = now - 7200;
    older.counts[0] = 8;
    HealthSample nvme;
    nvme.time = now - 3600;
    History history;
    recordSample(history, DriveKey{"NV", "SN3"}, nvme);
    recordSample(history, DriveKey{"Other", "SNX"}, older);
    acceptCurrentHealth(history, diskA, older, now - 7000);
    files.files[path] = serializeHistory(history);
    const RefreshResult& result = run(8, now);
    EXPECT_EQ(result.verdicts[0].status, DriveStatus::Ok) << "its 8 sectors were accepted";
    EXPECT_EQ(result.cautions[0].counts[0].state, CautionState::Accepted);
    EXPECT_EQ(result.histories[0], (HistorySummary{now, 1, now - 7000}));
    EXPECT_EQ(result.histories[3], (HistorySummary{now - 3600, 2, std::nullopt}));
    EXPECT_EQ(result.previous[3], nvme);
    EXPECT_EQ(fileHistory().drives.size(), 3u);
}

TEST_F(RefreshHistory, AcceptedHealthIsOkUntilItGrowsAndAcceptingAgainQuietsIt) {
    struct Step {
        int reallocated;
        AcceptScope accept;
        int acceptDrive;
        DriveStatus status;
        std::vector<std::string> reasons;
        CautionState state;
    };
    const Step steps[] = {
        {8, AcceptScope::AllDrives, 0, DriveStatus::Ok, {}, CautionState::Accepted},
        {8, AcceptScope::None, 0, DriveStatus::Ok, {}, CautionState::Accepted},
        {12, AcceptScope::None, 0, DriveStatus::Caution, {"reallocated sectors: 12, 8 accepted"}, CautionState::Grown},
        {12,
         AcceptScope::OneDrive,
         2,
         DriveStatus::Caution,
         {"reallocated sectors: 12, 8 accepted"},
         CautionState::Grown},
        {12, AcceptScope::OneDrive, 0, DriveStatus::Ok, {}, CautionState::Accepted},
    };
    UtcSeconds time = now;
    for (const Step& step : steps) {
        const RefreshResult& result = run(step.reallocated, time += 3600, step.accept, step.acceptDrive);
        EXPECT_EQ(result.verdicts[0].status, step.status) << step.reallocated;
        EXPECT_EQ(result.verdicts[0].reasons, step.reasons);
        ASSERT_EQ(result.cautions[0].counts.size(), 1u);
        EXPECT_EQ(result.cautions[0].counts[0].value, static_cast<std::uint64_t>(step.reallocated));
        EXPECT_EQ(result.cautions[0].counts[0].state, step.state);
        EXPECT_EQ(result.history->accepted, step.accept != AcceptScope::None && step.acceptDrive == 0);
    }
    const History history = fileHistory();
    const DriveHistory* a = findDrive(history, diskA);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->acceptance.counts[0]->value, 12u);
    EXPECT_EQ(a->acceptance.lastAccepted, time);
    EXPECT_EQ(a->samples.back().status, SampleStatus::Ok);
    EXPECT_EQ(refresh.result().histories[0]->lastAccepted, time);
    // Accepting all took the NVMe drive's media errors too, once, at the first step.
    EXPECT_EQ(refresh.result().cautions[3].counts[0].state, CautionState::Accepted);
}

TEST_F(RefreshHistory, ADamagedFileIsSetAsideAndNamedOnce) {
    files.files[path] = {'n', 'o', 't', ' ', 'a', ' ', 'h', 'i', 's', 't', 'o', 'r', 'y'};
    const RefreshResult& first = run(8, now);
    ASSERT_TRUE(first.history->setAside.has_value());
    const std::string aside = first.history->setAside->path;
    EXPECT_TRUE(aside.starts_with(path + ".foreign-")) << aside;
    EXPECT_EQ(files.files.count(aside), 1u) << "kept, never deleted";
    EXPECT_EQ(first.histories[0], (HistorySummary{now, 1, std::nullopt})) << "recording started again";
    EXPECT_FALSE(run(8, now + 60).history->setAside.has_value());
}

// A lock refused (a standard user's copy) still judges against the file read without it, and
// accepts and records nothing; a file that cannot be read at all judges with nothing accepted.
TEST_F(RefreshHistory, AHistoryThatCannotBeUpdatedJudgesAgainstWhatCouldBeRead) {
    run(8, now, AcceptScope::AllDrives);
    lockFile.failingError = 33;
    const RefreshResult& locked = run(9, now + 60, AcceptScope::AllDrives);
    EXPECT_EQ(locked.history->status, HistoryUpdateStatus::LockFailed);
    EXPECT_EQ(locked.history->error, 33u);
    EXPECT_FALSE(locked.history->accepted);
    EXPECT_EQ(locked.verdicts[0].reasons, std::vector<std::string>{"reallocated sectors: 9, 8 accepted"});
    EXPECT_EQ(locked.previous[0]->counts[0], 8u);
    EXPECT_FALSE(locked.histories[0].has_value());
    EXPECT_EQ(findDrive(fileHistory(), diskA)->samples.size(), 1u) << "nothing recorded";
    lockFile.failingError = 0;
    files.failReads = true;
    EXPECT_EQ(run(8, now + 120).history->status, HistoryUpdateStatus::Unreadable);
    EXPECT_EQ(refresh.result().verdicts[0].status, DriveStatus::Caution);
}

// Drive 1, whose SMART reads are refused, is judged by its newest sample when the window asks
// for it and the sample is at most 7 days old; the report (no recall) judges it as it reads it.
TEST_F(RefreshHistory, AnUnreadDriveIsJudgedByItsNewestSampleOfTheLastSevenDays) {
    const DriveKey diskB{"ACME B", "SNB1"};
    constexpr UtcSeconds day = 24 * 60 * 60;
    const struct {
        UtcSeconds age;
        SampleStatus status;
        bool recall;
        DriveStatus judged;
        const char* reason;
    } rows[] = {
        {3 * 60 * 60, SampleStatus::Caution, true, DriveStatus::Caution, "in caution when read 3 hours ago"},
        {7 * day, SampleStatus::Failing, true, DriveStatus::Failing, "failing when read 7 days ago"},
        {7 * day + 1, SampleStatus::Failing, true, DriveStatus::Ok, nullptr},
        {-60, SampleStatus::Failing, true, DriveStatus::Ok, nullptr},  // from the future: not trusted
        {60, SampleStatus::Ok, true, DriveStatus::Ok, nullptr},
        {60, SampleStatus::Failing, false, DriveStatus::Ok, nullptr},
    };
    for (const auto& row : rows) {
        History planted;
        HealthSample older;
        older.time = now - row.age - 3600;
        older.status = SampleStatus::Ok;
        HealthSample newest = older;
        newest.time = now - row.age;
        newest.status = row.status;
        newest.counts[0] = 70;
        planted.drives.push_back({diskB, newest.time, {}, {older, newest}});
        files.files[path] = serializeHistory(planted);
        const RefreshResult& result = run(0, now, AcceptScope::None, 0, row.recall);
        const bool used = row.recall && row.age >= 0 && row.age <= 7 * day;
        EXPECT_EQ(result.recalled[1], used ? std::optional(newest) : std::nullopt) << row.age;
        EXPECT_EQ(result.judgedAt, now);
        EXPECT_EQ(result.verdicts[1].status, row.judged) << row.age;
        EXPECT_EQ(result.failingDriveCount, row.judged == DriveStatus::Failing ? 1 : 0) << row.age;
        EXPECT_EQ(result.verdicts[1].reasons,
                  row.reason ? std::vector<std::string>{row.reason} : std::vector<std::string>{});
        EXPECT_EQ(findDrive(fileHistory(), diskB)->samples.size(), 2u) << "an unread drive gets no sample";
    }
}

TEST_F(RefreshHistory, WithoutARecordingNothingIsReadOrWritten) {
    std::ofstream(scenarioPath, std::ios::binary) << drives(8);
    ASSERT_TRUE(refresh.run(thresholds, [](const RefreshResult&) {}));
    EXPECT_FALSE(refresh.result().history.has_value());
    EXPECT_EQ(refresh.result().cautions[0].counts[0].state, CautionState::New);
    EXPECT_EQ(files.reads, 0);
    Refresh unrecorded(devices, volumes);
    ASSERT_TRUE(unrecorded.run(thresholds, [](const RefreshResult&) {}));
    EXPECT_EQ(unrecorded.result().cautions[0].counts[0].state, CautionState::New) << "judged, nothing accepted";
    EXPECT_FALSE(unrecorded.result().previous[0].has_value());
}

}  // namespace
}  // namespace kestrine
