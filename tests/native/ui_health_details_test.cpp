// The health window's texts over real drives' data: the attribute table of the real SATA SSD
// (its counts grown by editing raw values), the real NVMe SSD's log, and the status, caution
// counts, temperature and history lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/caution_memory.h"
#include "history/health_sample.h"
#include "history/history_bounds.h"
#include "probe/drive_verdict.h"
#include "probe/nvme_health.h"
#include "real_drives.h"
#include "ui/health_details.h"

namespace kestrine {
namespace {

using Cells = std::vector<std::string>;

constexpr UtcSeconds dec1 = 1'796'083'200;  // 2026-12-01T00:00:00Z

DriveRecord intelSsd() {
    DriveRecord r;
    r.present = r.probed = r.identityValid = r.predictQueried = r.predictOk = true;
    r.driveNumber = 1;
    r.displayName = "INTEL SSDSA2CW120G3";
    r.serial = "CVPR109301UZ120LGN";
    return r;
}

struct Judged {
    DriveVerdict verdict;
    CautionJudgement cautions;
};

Judged judged(const DriveHealth& health, const Acceptance& accepted = {}) {
    return {judgeDrive(intelSsd(), health, accepted), judgeCautions(health, accepted)};
}

HealthDetails detailsOf(const DriveHealth& health, const Judged& j, const DriveHistory* history = nullptr) {
    const DriveRecord record = intelSsd();
    return healthDetails({record, health, j.verdict, j.cautions, history, nullptr});
}

const Cells* rowWithId(const HealthDetails& details, const std::string& id) {
    for (const Cells& row : details.rows)
        if (row.front() == id) return &row;
    return nullptr;
}

// Each attribute of the real SSD as read: value, worst, threshold and raw value, distinct raw
// values where the drive has them; reallocated sectors edited to 8 are a new caution count.
TEST(HealthDetails, AtaDriveShowsEveryAttributeAsReadWithItsState) {
    const DriveHealth health = testing::realAtaHealthWithRaw(5, 8);
    const HealthDetails details = detailsOf(health, judged(health));
    EXPECT_EQ(details.title, "Health - Disk 1 - INTEL SSDSA2CW120G3");
    EXPECT_EQ(details.columns, (Cells{"ID", "Attribute", "Value", "Worst", "Threshold", "Raw Value", "State"}));
    ASSERT_EQ(details.rows.size(), 19u) << "skdump lists 19 attributes";
    const std::vector<Cells> expected = {
        {"5", "Reallocated Sectors Count", "100", "100", "0", "8", "new"},
        {"9", "Power-On Hours", "100", "100", "0", "45", "ok"},
        {"12", "Power Cycle Count", "100", "100", "0", "14", "ok"},
        {"170", "-", "100", "100", "10", "0", "ok"},
        {"184", "End-to-End Error", "100", "100", "90", "0", "ok"},
        {"187", "Reported Uncorrectable Errors", "100", "100", "0", "0", "ok"},
        {"192", "Power-Off Retract Count", "100", "100", "0", "2", "ok"},
        {"225", "-", "100", "100", "0", "820", "ok"},
        {"226", "-", "100", "100", "0", "65535", "ok"},
        {"242", "Total LBAs Read", "100", "100", "0", "4634", "ok"},
    };
    for (const Cells& row : expected) {
        const Cells* shown = rowWithId(details, row.front());
        ASSERT_NE(shown, nullptr) << row.front();
        EXPECT_EQ(*shown, row);
    }
    EXPECT_EQ(details.statusLines,
              (std::vector<std::string>{"Status: caution - reallocated sectors: 8", "reallocated sectors 8 - new"}))
        << "a count of 0 is no caution count";
    EXPECT_EQ(details.temperature, "Temperature: unknown") << "this drive has no temperature attribute";
    EXPECT_EQ(details.history, "No history recorded yet");
}

// Accepted at 8, the count grows to 12 and then falls back to 8: grown, then accepted, each with
// the accepted value and date; a failing-now attribute says so.
TEST(HealthDetails, CautionCountsShowTheirStateAndWhatWasAccepted) {
    const DriveKey key{"INTEL SSDSA2CW120G3", "CVPR109301UZ120LGN"};
    History history;
    const DriveHealth eight = testing::realAtaHealthWithRaw(5, 8);
    recordSample(history, key, healthSample(eight, dec1, SampleStatus::Caution));
    acceptCurrentHealth(history, key, healthSample(eight, dec1, SampleStatus::Caution), dec1 + 3600);
    const DriveHistory& drive = *findDrive(history, key);

    const DriveHealth twelve = testing::realAtaHealthWithRaw(5, 12);
    const HealthDetails grown = detailsOf(twelve, judged(twelve, drive.acceptance), &drive);
    EXPECT_EQ(grown.statusLines,
              (std::vector<std::string>{"Status: caution - reallocated sectors: 12, 8 accepted",
                                        "reallocated sectors 12 - grown, 8 accepted on 2026-12-01T01:00:00Z"}));
    EXPECT_EQ((*rowWithId(grown, "5"))[6], "grown");
    EXPECT_EQ(grown.history, "History: 1 sample since 2026-12-01T00:00:00Z, last accepted on 2026-12-01T01:00:00Z");

    const HealthDetails accepted = detailsOf(eight, judged(eight, drive.acceptance), &drive);
    EXPECT_EQ(accepted.statusLines,
              (std::vector<std::string>{"Status: ok",
                                        "reallocated sectors 8 - accepted, 8 accepted on 2026-12-01T01:00:00Z"}));
    EXPECT_EQ((*rowWithId(accepted, "5"))[6], "accepted");

    DriveHealth failing = eight;
    failing.ata.attributes[4].failingNow = true;
    EXPECT_EQ((*rowWithId(detailsOf(failing, judged(failing)), std::to_string(failing.ata.attributes[4].id)))[6],
              "failing now");
}

// The real NVMe SSD's log as nvme-cli decodes it: name and value per field; its composite
// temperature of 314 K is the drive's.
TEST(HealthDetails, NvmeDriveShowsTheLogsFields) {
    const std::vector<std::uint8_t> reply = testing::realNvmeHealthReply();
    const DriveHealth health = nvmeHealth(reply.data(), reply.size());
    ASSERT_EQ(health.source, HealthSource::NvmeLog);
    const HealthDetails details = detailsOf(health, judged(health));
    EXPECT_EQ(details.columns, (Cells{"Field", "Value"}));
    EXPECT_EQ(details.rows, (std::vector<Cells>{
                                {"Critical warning", "0x00"},
                                {"Composite temperature", "41 C (314 K)"},
                                {"Available spare", "98 % (threshold 10 %)"},
                                {"Percentage used", "0 %"},
                                {"Data units read", "1044 (512,000 bytes each)"},
                                {"Data units written", "15 (512,000 bytes each)"},
                                {"Power cycles", "4"},
                                {"Power-on hours", "408"},
                                {"Unsafe shutdowns", "1"},
                                {"Media and data integrity errors", "0"},
                                {"Error log entries", "0"},
                            }));
    EXPECT_EQ(details.temperature, "Temperature: 41 C");
    EXPECT_EQ(details.statusLines, (std::vector<std::string>{"Status: ok"}));
}

// A drive the window could not read: "no data" with the reason; with a recalled sample, what
// the sample holds, judged against what was accepted of the drive.
TEST(HealthDetails, UnreadDriveShowsNoDataOrTheRecalledSample) {
    const DriveHealth unread = unavailableHealth("SMART data needs administrator rights");
    const Judged nothing = judged(unread);
    const HealthDetails none = detailsOf(unread, nothing);
    EXPECT_EQ(none.statusLines, (std::vector<std::string>{"Status: no data - SMART data needs administrator rights"}));
    EXPECT_TRUE(none.columns.empty());
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(none.temperature, "Temperature: unknown");

    HealthSample sample;
    sample.time = dec1 + 7200;
    sample.status = SampleStatus::Caution;
    sample.counts[0] = 70;
    sample.counts[1] = 3;
    sample.powerOnHours = 9001;
    sample.temperature = 37;
    DriveHistory history;
    history.samples = {sample};
    history.acceptance.counts[0] = CountAcceptance{63, dec1, 63};
    const DriveRecord record = intelSsd();
    const HealthDetails recalled =
        healthDetails({record, unread, nothing.verdict, nothing.cautions, &history, &sample});
    EXPECT_EQ(recalled.statusLines, (std::vector<std::string>{
                                        "Status: caution - read on 2026-12-01T02:00:00Z",
                                        "reallocated sectors 70 - grown, 63 accepted on 2026-12-01T00:00:00Z",
                                        "pending sectors 3 - new",
                                    }));
    EXPECT_EQ(recalled.rows, (std::vector<Cells>{
                                 {"reallocated sectors", "70"}, {"pending sectors", "3"}, {"power-on hours", "9001"}}));
    EXPECT_EQ(recalled.temperature, "Temperature: 37 C");
}

// The view takes the drive's entry of the refresh by its number and its samples from the history
// by model and serial number; another drive's samples are never plotted.
TEST(HealthDetails, ViewPlotsTheSamplesOfTheDriveByItsModelAndSerial) {
    RefreshResult result;
    result.drives[2] = intelSsd();
    result.drives[2].driveNumber = 2;
    result.health[2] = testing::realAtaHealthWithRaw(5, 8);
    History history;
    HealthSample other;
    other.time = dec1;
    other.temperature = 50;
    recordSample(history, {"INTEL SSDSA2CW120G3", "ANOTHER"}, other);
    HealthSample own = other;
    own.temperature = 33;
    own.counts[0] = 8;
    recordSample(history, {"INTEL SSDSA2CW120G3", "CVPR109301UZ120LGN"}, own);

    const HealthView view = healthView(result, 2, history, nullptr);
    EXPECT_EQ(view.details.title, "Health - Disk 2 - INTEL SSDSA2CW120G3");
    EXPECT_EQ(view.details.rows.size(), 19u);
    ASSERT_EQ(view.plot.series.size(), 2u);
    EXPECT_EQ(view.plot.series[0].values[0].value, 33);
    EXPECT_EQ(view.plot.series[1].values[0].value, 8);
    EXPECT_EQ(view.details.history, "History: 1 sample since 2026-12-01T00:00:00Z");

    result.drives[2].serial.clear();
    result.drives[2].displayName.clear();
    EXPECT_TRUE(healthView(result, 2, history, nullptr).plot.series.empty()) << "a drive without a key has no history";
}

}  // namespace
}  // namespace kestrine
