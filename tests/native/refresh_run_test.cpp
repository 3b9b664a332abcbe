// One refresh over the ports, as every front end runs it: what it hands to the renderer, how
// the window's status follows its counts from one refresh to the next, and its guard against a
// second refresh starting while the first is being rendered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "fakes/fake_volume_source.h"
#include "probe/health_probe.h"
#include "refresh/refresh.h"
#include "scripted_device_port.h"
#include "tray/status_evaluation.h"
#include "ui/refresh_cycle.h"

namespace kestrine {
namespace {

// Scripted drives, C: at 45 % free and D: at 5 % free, the default warning percent 10.
class RefreshRun : public ::testing::Test {
protected:
    void SetUp() override {
        volumes.add('C', 100'000'000'000, 45'000'000'000, "System");
        volumes.add('D', 100'000'000'000, 5'000'000'000, "Data");
    }
    void TearDown() override { std::filesystem::remove(scenarioPath); }

    void script(const std::string& drives) { std::ofstream(scenarioPath, std::ios::binary) << drives; }
    // Runs one refresh and counts the renderings; the result it rendered must be the one kept.
    // Its counts go to the overall state as the window takes them.
    bool run(Refresh& refresh) {
        return refresh.run(thresholds, [&](const RefreshResult& result) {
            ++renders;
            status[&refresh] = trackers[&refresh].update(result.failingDriveCount, result.volumeScan.warningCount);
            EXPECT_EQ(&result, &refresh.result());
            EXPECT_TRUE(refresh.running());
        });
    }

    std::string scenarioPath = (std::filesystem::temp_directory_path() / "kestrine_refresh_run.txt").string();
    scripted::ScriptedDevicePort devices{scenarioPath};
    testing::FakeVolumeSource volumes;
    SettingsRecord thresholds = defaultSettings();
    int renders = 0;
    std::map<const Refresh*, StatusTracker> trackers;
    std::map<const Refresh*, StatusDecision> status;  // after each one's last refresh
};

TEST_F(RefreshRun, HandsOverTablesVerdictsCountsAndTheStatus) {
    script("0 healthy\n2 failing-spf\n5 threshold-exceeded\n");
    Refresh refresh(devices, volumes);
    ASSERT_TRUE(run(refresh));
    EXPECT_EQ(renders, 1);
    EXPECT_FALSE(refresh.running());
    const RefreshResult& result = refresh.result();
    EXPECT_TRUE(isListed(result.drives[0]) && isListed(result.drives[2]) && isListed(result.drives[5]));
    EXPECT_FALSE(isListed(result.drives[1]));
    EXPECT_EQ(result.verdicts[0].status, DriveStatus::Ok);
    EXPECT_EQ(result.verdicts[2].status, DriveStatus::Failing);
    EXPECT_EQ(result.verdicts[5].reasons, std::vector<std::string>{"predicts failure"});
    EXPECT_EQ(result.failingDriveCount, 2);
    EXPECT_EQ(result.volumes[2].freeBytes, 45'000'000'000);  // C:
    EXPECT_EQ(result.volumes[3].freeBytes, 5'000'000'000);   // D:
    EXPECT_EQ(result.volumeScan.warningCount, 1);            // D:
    EXPECT_TRUE(status[&refresh].stateChanged);
    EXPECT_FALSE(status[&refresh].isOk);
    EXPECT_EQ(status[&refresh].tooltip, "Drive Status Warning");
    EXPECT_TRUE(status[&refresh].bringForward);
    EXPECT_EQ(result.health[2].source, HealthSource::None) << "the window asks for no health";
}

// The status compares with the counts the previous refresh left, not with zero.
TEST_F(RefreshRun, StatusComparesWithThePreviousRefreshsCounts) {
    script("0 failing-spf\n");
    Refresh refresh(devices, volumes);
    ASSERT_TRUE(run(refresh));
    volumes.add('E', 100'000'000'000, 1'000'000'000);  // a second volume below its limit
    ASSERT_TRUE(run(refresh));
    EXPECT_FALSE(status[&refresh].stateChanged);
    EXPECT_TRUE(status[&refresh].bringForward);
    EXPECT_EQ(refresh.result().volumeScan.warningCount, 2);

    script("0 healthy\n");
    thresholds.defaultWarningPercent = 1;
    ASSERT_TRUE(run(refresh));
    EXPECT_EQ(refresh.result().failingDriveCount, 0);
    EXPECT_EQ(refresh.result().volumeScan.warningCount, 0);
    EXPECT_TRUE(status[&refresh].stateChanged);
    EXPECT_TRUE(status[&refresh].isOk);
    EXPECT_EQ(status[&refresh].tooltip, "Drive Status Ok");
    EXPECT_FALSE(status[&refresh].bringForward);
    EXPECT_EQ(renders, 3);

    // One failing drive and no volume below its limit, twice: no count grew, whichever way the
    // previous counts are taken.
    script("0 failing-spf\n");
    ASSERT_TRUE(run(refresh));
    ASSERT_EQ(refresh.result().failingDriveCount, 1);
    ASSERT_EQ(refresh.result().volumeScan.warningCount, 0);
    ASSERT_TRUE(run(refresh));
    EXPECT_FALSE(status[&refresh].stateChanged);
    EXPECT_FALSE(status[&refresh].bringForward);
}

// Both front ends read the whole health and judge by it: the NVMe critical warning fails the
// drive whose SMART status answers ok.
TEST_F(RefreshRun, HealthReadsJudgeByTheHealth) {
    script("1 healthy bus=17\n1 nvme-log warning=4 spare=90 spare-threshold=10\n");
    Refresh refresh(devices, volumes);
    ASSERT_TRUE(run(refresh));
    EXPECT_EQ(refresh.result().health[1].source, HealthSource::NvmeLog);
    EXPECT_EQ(refresh.result().verdicts[1].reasons,
              std::vector<std::string>{"NVMe critical warning: reliability degraded"});
    EXPECT_EQ(refresh.result().failingDriveCount, 1);
}

// An NVMe drive that refuses SMART commands is judged by its health log.
TEST_F(RefreshRun, NvmeDriveRefusingSmartIsJudgedByItsLog) {
    thresholds.defaultWarningPercent = 1;  // no volume in warning
    script("1 version-fails bus=17\n1 nvme-log warning=4 spare=90 spare-threshold=10\n3 version-fails bus=17\n");
    Refresh refresh(devices, volumes);
    ASSERT_TRUE(run(refresh));
    const RefreshResult& result = refresh.result();
    EXPECT_EQ(smartState(result.drives[1], result.health[1]), SmartState::FailurePredicted);
    EXPECT_EQ(result.health[1].source, HealthSource::NvmeLog);
    EXPECT_EQ(result.health[1].nvme.criticalWarning, 4);
    EXPECT_EQ(result.health[1].nvme.availableSpare, 90);
    EXPECT_EQ(smartState(result.drives[3], result.health[3]), SmartState::NoData) << "its log is refused";
    EXPECT_EQ(result.verdicts[1].status, DriveStatus::Failing);
    EXPECT_EQ(result.verdicts[1].reasons, std::vector<std::string>{"NVMe critical warning: reliability degraded"});
    EXPECT_EQ(result.verdicts[3].status, DriveStatus::Ok);
    EXPECT_EQ(result.failingDriveCount, 1);
    EXPECT_FALSE(status[&refresh].isOk);

    script("1 version-fails bus=17\n1 nvme-log spare=90 spare-threshold=10\n3 version-fails bus=17\n");
    ASSERT_TRUE(run(refresh));
    EXPECT_EQ(smartState(result.drives[1], result.health[1]), SmartState::Ok);
    EXPECT_EQ(result.failingDriveCount, 0);
    EXPECT_TRUE(status[&refresh].stateChanged);
    EXPECT_TRUE(status[&refresh].isOk);
}

// Rendering may open a message box whose loop delivers ticks and commands: neither may start
// a refresh inside the one being rendered, and the next one runs once it has finished.
TEST_F(RefreshRun, NoRefreshStartsWhileOneIsBeingRendered) {
    script("0 healthy\n");
    Refresh refresh(devices, volumes);
    RefreshCycle cycle;
    int nestedRenders = 0;
    bool nestedRan = true;
    ASSERT_TRUE(refresh.run(thresholds, [&](const RefreshResult&) {
        EXPECT_FALSE(cycle.tick(refresh.running()).refresh) << "the start-up tick inside the refresh";
        nestedRan = refresh.run(thresholds, [&](const RefreshResult&) { ++nestedRenders; });
    }));
    EXPECT_FALSE(nestedRan) << "\"&Refresh Data\" inside the running refresh";
    EXPECT_EQ(nestedRenders, 0);
    EXPECT_FALSE(refresh.running());
    EXPECT_TRUE(cycle.tick(refresh.running()).refresh) << "the start-up refresh waited";
    EXPECT_TRUE(run(refresh));
    EXPECT_EQ(renders, 1);
}

TEST_F(RefreshRun, ARenderingThatThrowsEndsTheRefresh) {
    Refresh refresh(devices, volumes);
    EXPECT_THROW(refresh.run(thresholds, [](const RefreshResult&) { throw std::runtime_error("out of memory"); }),
                 std::runtime_error);
    EXPECT_FALSE(refresh.running());
    EXPECT_TRUE(run(refresh));
}

}  // namespace
}  // namespace kestrine
