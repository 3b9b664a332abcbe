#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "fakes/format_checks.h"
#include "fakes/report_scenarios.h"
#include "report/report_json.h"
#include "report/report_nagios.h"
#include "report/report_prometheus.h"
#include "report/report_text.h"
#include "volumes/volume_scan.h"

namespace kestrine {
namespace {

using testing::ReportScenario;

class ReportWriters : public ::testing::Test {
protected:
    static Report scenario(const std::string& name) {
        for (const ReportScenario& s : testing::reportScenarios())
            if (s.name == name) return s.report();
        ADD_FAILURE() << "no scenario " << name;
        return {};
    }
    std::string json(const std::string& name) const { return writeJsonReport(scenario(name), codePage); }
    std::string metrics(const std::string& name) const { return writePrometheusMetrics(scenario(name), codePage); }
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    testing::FakeCodePage codePage;
};

TEST_F(ReportWriters, EveryScenarioGivesStrictJsonAndWellFormedMetrics) {
    for (const ReportScenario& s : testing::reportScenarios()) {
        const Report report = s.report();
        const std::string document = writeJsonReport(report, codePage);
        EXPECT_TRUE(testing::StrictJson::accepts(document)) << s.name << "\n" << document;
        std::string badLine;
        EXPECT_TRUE(testing::isMetricText(writePrometheusMetrics(report, codePage), badLine))
            << s.name << ": " << badLine;
        const std::string nagios = writeNagiosReport(report, codePage);
        EXPECT_EQ(nagios.find('\n'), nagios.size() - 1) << s.name << ": one line";
        EXPECT_TRUE(nagios.starts_with(std::string("KESTRINE ") + statusWord(report.status) + " - ")) << s.name;
    }
}

TEST_F(ReportWriters, TextIsAlignedInTheWindowsWording) {
    EXPECT_EQ(writeTextReport(scenario("healthy"), false, codePage),
              "Kestrine 1.0, 2026-12-07T15:24:30Z\n"
              "Warning percents: settings file\n"
              "\n"
              "Drive   Name        Serial  Bus   Type       SPF Status  SMART Status\n"
              "Disk 0  ACME X100   S1234   SATA  Fixed      Ok          Ok\n"
              "  Status: ok\n"
              "  Health (ATA SMART): temperature 33 C, power-on 8000 hours, reallocated 0, pending 0, "
              "uncorrectable 0\n"
              "Disk 1  Stick Go 8  -       USB   Removable  Ok          No Data Available\n"
              "  Status: ok\n"
              "  Health: not available - SMART READ DATA through SCSI pass-through: the driver refused the request "
              "with error 1\n"
              "\n"
              "Volume  Label   Free    Free Space  Total Size  Warning At      State\n"
              "C:      System  45.3 %  45.3 GB     100.0 GB    10 % (default)  ok\n"
              "D:      Data    60.0 %  1.2 TB      2.0 TB      20 % (own)      ok\n"
              "\n"
              "Status: OK - 2 drives and 2 volumes ok\n");
}

TEST_F(ReportWriters, TextNamesProblemsUnreadableDrivesAndDefaults) {
    const std::string low = writeTextReport(scenario("volume_below_limit"), false, codePage);
    EXPECT_TRUE(has(low, "D:      Data    5.0 %   100.0 GB    2.0 TB      20 % (own)      warning\n")) << low;
    EXPECT_TRUE(has(low, "Status: WARNING - D: 5.0 % free, below 20 %\n"));
    EXPECT_TRUE(has(writeTextReport(scenario("spf_failure"), false, codePage),
                    "Disk 1  Stick Go 8  -       USB   Removable  Failure Predicted"));
    EXPECT_TRUE(has(writeTextReport(scenario("smart_failure"), false, codePage),
                    "Status: CRITICAL - Disk 0 predicts failure\n"));

    const std::string unreadable = writeTextReport(scenario("identity_unreadable"), false, codePage);
    EXPECT_TRUE(
        has(unreadable,
            "Disk 2  Cannot Read - Access is denied.  -       -     -          Ok                 Query Fail\n"))
        << unreadable;
    EXPECT_TRUE(has(
        unreadable,
        "Disk 3  -                                -       -     -          No Data Available  No Data Available\n"));

    EXPECT_TRUE(has(writeTextReport(scenario("defaults_file_missing"), false, codePage),
                    "Warning percents: defaults (no settings file)\n"));
    EXPECT_TRUE(has(writeTextReport(scenario("defaults_file_invalid"), false, codePage),
                    "Warning percents: defaults (the settings file is not valid)\n"));
    const std::string nothing = writeTextReport(scenario("nothing_listed"), false, codePage);
    EXPECT_TRUE(has(nothing, "\nNo drives listed.\n\nNo volumes listed.\n\nStatus: OK - 0 drives and 0 volumes ok\n"));
}

TEST_F(ReportWriters, TextKeepsEveryDriveAndVolumeOnOneLine) {
    const std::string text = writeTextReport(scenario("hostile_strings"), false, codePage);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16) << "two drives with a status and a health line each\n"
                                                              << text;
    EXPECT_TRUE(has(text, "Disk 0  A\"C\\ME X1?00????")) << text;
    // One encoding: drive strings from the code page and volume labels alike in UTF-8, aligned by
    // characters; a byte the code page refuses is the character U+00XX, as in the JSON.
    EXPECT_TRUE(has(text, "X1?00????  S\xE2\x82\xAC\xC3\xA9     SATA")) << text;
    EXPECT_TRUE(has(text, "Disk 1  \xC2\x81\xC3\xBF 'quoted' } {   \\n\"     USB")) << text;
    EXPECT_TRUE(has(text, "C:      Sys\"tem\\?|\xC2\x81  45.3 %")) << text;
    EXPECT_TRUE(has(text, "D:      Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9     60.0 %")) << text;
    EXPECT_TRUE(testing::isUtf8(text));
}

// The block under each drive: the numbers a person checks first, then each problem on its own line.
TEST_F(ReportWriters, TextGivesEachDriveItsHealthBlock) {
    const struct {
        const char* scenario;
        const char* part;
    } rows[] = {
        {"ata_failing_now",
         "Disk 0  ACME X100   S1234   SATA  Fixed      Ok          Ok\n"
         "  Status: failing - SMART attributes failing now: 5 Reallocated Sectors Count, 230\n"
         "  Health (ATA SMART): temperature 41 C, power-on 41000 hours, reallocated 1864, pending 12\n"
         "  Failing now: attribute 5 Reallocated Sectors Count (current 36, threshold 36)\n"
         "  Failing now: attribute 230 (current 1, threshold 2)\n"
         "Disk 1"},
        {"ata_failing_now",
         "Status: CRITICAL - Disk 0 SMART attributes failing now: 5 Reallocated Sectors Count, 230\n"},
        {"nvme_critical_warning",
         "  Health (NVMe log): temperature 45 C, power-on 21345 hours, used 107 %, available spare 4 % (threshold "
         "10 %), media errors 3\n"
         "  Critical warning: spare below threshold\n\n"},
        {"nvme_critical_warning", "Status: CRITICAL - Disk 2 NVMe critical warning: spare below threshold\n"},
        {"nvme_critical_warning", "Disk 2  NVMe Fast 2TB  N42     NVMe  Fixed      Ok          Failure Predicted\n"},
        {"health_unavailable",
         "  Health: not available - reading SMART data needs administrator rights (the request was refused with "
         "error 5); temperature 38 C\n"},
        {"health_unavailable", "Status: OK - 2 drives and 2 volumes ok\n"},
        {"identity_unreadable",
         "  Health: not available - the drive's identity could not be read, so its kind is unknown\n"},
        {"usb_bridge",
         "  Status: failing - predicts failure\n"
         "  Health (ATA SMART through the bridge): temperature 36 C, power-on 1234 hours, reallocated 3\n"
         "  Behind the bridge: WDC WD20SPZX-22UA7T0, serial WD-WX22A1234567\nDisk 3"},
        {"usb_bridge", "  Health: not available - NVMe behind a USB bridge: not read\n\n"},
        {"usb_bridge", "Status: CRITICAL - Disk 2 predicts failure\n"},
        {"ata_caution",
         "Disk 0  ACME X100   S1234   SATA  Fixed      Ok          Ok\n"
         "  Status: caution - reallocated sectors: 8; pending sectors: 2; SMART attribute failed in the past: 233 "
         "Media Wearout Indicator\n"
         "  Health (ATA SMART): temperature 35 C, reallocated 8, pending 2, reported uncorrectable 0\nDisk 1"},
        {"ata_caution",
         "Status: WARNING - Disk 0 reallocated sectors: 8; Disk 0 pending sectors: 2; Disk 0 SMART attribute failed "
         "in the past: 233 Media Wearout Indicator\n"},
        {"ata_raw_values_unknown",
         "  Health (ATA SMART): temperature 36 C, power-on unknown, reallocated unknown, pending unknown, "
         "uncorrectable 0, reported uncorrectable unknown\n"},
    };
    for (const auto& row : rows) {
        const std::string text = writeTextReport(scenario(row.scenario), false, codePage);
        EXPECT_TRUE(has(text, row.part)) << row.scenario << "\n" << text;
        EXPECT_FALSE(has(text, "Temperature property")) << "only with the details";
    }
}

TEST_F(ReportWriters, TextHealthLineWithoutNumbersEndsWithoutABlank) {
    Report report = scenario("healthy");
    report.drives[0].health = testing::ataDriveHealth({{1, testing::preFailure, 100, 100, 0, 6}}, 0);
    report.drives[0].health.temperature = {};
    EXPECT_TRUE(has(writeTextReport(report, false, codePage), "  Health (ATA SMART)\nDisk 1"));
}

TEST_F(ReportWriters, TextDetailsGiveTheWholeAttributeTableOrHealthLog) {
    const std::string healthy = writeTextReport(scenario("healthy"), true, codePage);
    for (const char* part :
         {"  Health (ATA SMART): temperature 33 C, power-on 8000 hours, reallocated 0, pending 0, uncorrectable 0\n"
          "    ID   Attribute                           Flags   Current  Worst  Threshold  Raw              "
          "Pre-failure  Failing now\n"
          "    5    Reallocated Sectors Count           0x0033  100      100    10         0                yes    "
          "      no\n",
          "    241  Total LBAs Written                  0x0032  100      100    0          281474976710655  no     "
          "      no\n"
          "    Temperature property: 35 C (warning 70 C, critical 80 C)\nDisk 1",
          "    Temperature property: not available - the driver refused the request with error 50\n\nVolume"})
        EXPECT_TRUE(has(healthy, part)) << part << "\n" << healthy;

    const std::string nvme = writeTextReport(scenario("nvme_critical_warning"), true, codePage);
    for (const char* part : {"    Critical warning:                 0x01 (spare below threshold)\n",
                             "    Composite temperature:            45 C (318 K)\n",
                             "    Data units written:               18446744073709551616 (512,000 bytes each)\n",
                             "    Power cycles:                     1520\n",
                             "    Power-on hours:                   21345\n"
                             "    Unsafe shutdowns:                 61\n"
                             "    Media and data integrity errors:  3\n",
                             "    Data units read:                  123456789 (512,000 bytes each)\n",
                             "    Error log entries:                340282366920938463463374607431768211455\n"})
        EXPECT_TRUE(has(nvme, part)) << part << "\n" << nvme;
    const std::string failing = writeTextReport(scenario("ata_failing_now"), true, codePage);
    EXPECT_TRUE(has(
        failing, "    230  -                             0x0033  1        1      2          0      yes          yes\n"))
        << failing;
}

TEST_F(ReportWriters, JsonCarriesNumbersIdentifiersTextsAndErrorCodes) {
    const std::string healthy = json("healthy");
    for (const char* part : {"\"format\": 3,", "\"programVersion\": \"1.0\",", "\"time\": \"2026-12-07T15:24:30Z\",",
                             "\"status\": \"ok\",", "\"exitCode\": 0,",
                             "\"thresholds\": {\"source\": \"settings_file\", \"text\": \"settings file\"}",
                             "\"totalBytes\": 2000000000000, \"freeBytes\": 1200000000000, \"percentFree\": 60,",
                             "\"totalText\": \"100.0 GB\", \"freeText\": \"45.3 GB\", \"percentText\": \"45.3 %\"",
                             "\"totalText\": \"2.0 TB\", \"freeText\": \"1.2 TB\", \"percentText\": \"60.0 %\"",
                             "\"warningPercent\": 20, \"warningPercentFrom\": \"own\", \"state\": \"ok\"",
                             "\"busType\": 7, \"removable\": true,",
                             "\"smart\": {\"state\": \"no_data\", \"text\": \"No Data Available\", \"capable\": false, "
                             "\"versionError\": 1, \"statusError\": 0}"})
        EXPECT_TRUE(has(healthy, part)) << part;

    EXPECT_TRUE(
        has(json("spf_failure"), "\"spf\": {\"state\": \"failure_predicted\", \"text\": \"Failure Predicted\"}"));
    EXPECT_TRUE(has(json("spf_failure"), "\"exitCode\": 2,"));
    EXPECT_TRUE(
        has(json("smart_failure"), "\"smart\": {\"state\": \"failure_predicted\", \"text\": \"Failure Predicted\""));
    EXPECT_TRUE(has(json("volume_below_limit"),
                    "\"percentText\": \"5.0 %\", \"warningPercent\": 20, "
                    "\"warningPercentFrom\": \"own\", \"state\": \"warning\""));
    EXPECT_TRUE(has(json("defaults_file_invalid"), "\"source\": \"defaults_file_invalid\""));
    EXPECT_TRUE(has(json("unknown"),
                    "\"status\": \"unknown\",\n  \"exitCode\": 3,\n  \"reason\": \"2 drives and 2 volumes ok; "
                    "the metrics file could not be written: Access is denied. (error 5)\""));

    const std::string unreadable = json("identity_unreadable");
    EXPECT_TRUE(has(unreadable,
                    "\"label\": \"Disk 2\", \"identity\": \"cannot_read\", \"identityError\": 5, "
                    "\"identityErrorText\": \"Cannot Read - Access is denied.\\r\\n\", \"name\": \"\""));
    EXPECT_TRUE(has(unreadable, "\"statusError\": 1}"));
    EXPECT_TRUE(has(unreadable, "\"label\": \"Disk 3 - \", \"identity\": \"not_read\""));
    EXPECT_TRUE(has(unreadable, "\"busType\": null, \"removable\": null"));
}

TEST_F(ReportWriters, JsonCarriesEachDrivesHealth) {
    const struct {
        const char* scenario;
        const char* part;
    } rows[] = {
        {"healthy",
         "\"health\": {\"source\": \"ata_smart\", \"critical\": false, \"temperatureCelsius\": 33, \"ata\": "
         "{\"attributes\": [{\"id\": 5, \"name\": \"Reallocated Sectors Count\", \"flags\": 51, \"current\": 100, "
         "\"worst\": 100, \"threshold\": 10, \"raw\": 0, \"preFailure\": true, \"failingNow\": false}, "},
        {"healthy",
         "{\"id\": 241, \"name\": \"Total LBAs Written\", \"flags\": 50, \"current\": 100, \"worst\": 100, "
         "\"threshold\": 0, \"raw\": 281474976710655, \"preFailure\": false, \"failingNow\": false}], "
         "\"thresholdsUnavailableReason\": \"\", \"temperatureCelsius\": 33, \"powerOnHours\": 8000, "
         "\"reallocatedSectors\": 0, \"pendingSectors\": 0, \"uncorrectableSectors\": 0, "
         "\"reportedUncorrectableErrors\": null}, "
         "\"temperatureProperty\": {\"available\": true, \"currentCelsius\": 35, \"warningCelsius\": 70, "
         "\"criticalCelsius\": 80, \"unavailableReason\": \"\"}}"},
        {"healthy",
         "\"health\": {\"source\": \"none\", \"critical\": false, \"temperatureCelsius\": null, "
         "\"unavailableReason\": \"SMART READ DATA through SCSI pass-through: the driver refused the request with "
         "error 1\", "
         "\"temperatureProperty\": {\"available\": false, \"currentCelsius\": null, \"warningCelsius\": null, "
         "\"criticalCelsius\": null, \"unavailableReason\": \"the driver refused the request with error 50\"}}"},
        {"ata_failing_now",
         "{\"id\": 230, \"name\": \"\", \"flags\": 51, \"current\": 1, \"worst\": 1, "
         "\"threshold\": 2, \"raw\": 0, \"preFailure\": true, \"failingNow\": true}"},
        {"ata_failing_now", "\"health\": {\"source\": \"ata_smart\", \"critical\": true, \"temperatureCelsius\": 41,"},
        {"ata_failing_now", "\"exitCode\": 2,"},
        {"nvme_critical_warning",
         "\"bus\": \"NVMe\", \"busType\": 17, \"removable\": false, \"spf\": {\"state\": \"ok\", \"text\": \"Ok\"}, "
         "\"smart\": {\"state\": \"failure_predicted\", \"text\": \"Failure Predicted\", \"capable\": false, "
         "\"versionError\": 1, \"statusError\": 0}"},
        {"nvme_critical_warning",
         "\"health\": {\"source\": \"nvme_log\", \"critical\": true, \"temperatureCelsius\": 45, \"nvme\": "
         "{\"criticalWarning\": 1, \"criticalWarnings\": [\"spare below threshold\"], "
         "\"compositeTemperatureKelvin\": 318, \"compositeTemperatureCelsius\": 45, \"availableSparePercent\": 4, "
         "\"availableSpareThresholdPercent\": 10, \"percentageUsed\": 107, \"dataUnitBytes\": 512000, "
         "\"dataUnitsRead\": \"123456789\", \"dataUnitsWritten\": \"18446744073709551616\", \"powerCycles\": "
         "\"1520\", \"powerOnHours\": \"21345\", \"unsafeShutdowns\": \"61\", \"mediaErrors\": \"3\", "
         "\"errorLogEntries\": \"340282366920938463463374607431768211455\"}, "},
        {"ata_raw_values_unknown",
         "\"health\": {\"source\": \"ata_smart\", \"critical\": false, \"temperatureCelsius\": 36, \"ata\": "},
        {"healthy", "\"failurePredicted\": false, \"status\": \"ok\", \"statusReasons\": [], \"health\": "},
        {"ata_caution",
         "\"failurePredicted\": false, \"status\": \"caution\", \"statusReasons\": [\"reallocated sectors: 8\", "
         "\"pending sectors: 2\", \"SMART attribute failed in the past: 233 Media Wearout Indicator\"], "
         "\"health\": "},
        {"ata_caution", "\"status\": \"warning\",\n  \"exitCode\": 1,"},
        {"spf_failure",
         "\"failurePredicted\": true, \"status\": \"failing\", \"statusReasons\": [\"predicts failure\"]"},
        {"ata_raw_values_unknown",
         "\"thresholdsUnavailableReason\": \"\", \"temperatureCelsius\": null, \"powerOnHours\": null, "
         "\"reallocatedSectors\": null, \"pendingSectors\": null, \"uncorrectableSectors\": 0, "
         "\"reportedUncorrectableErrors\": null}"},
        {"ata_raw_values_unknown", "\"raw\": 8589934592000, \"preFailure\": true"},
        {"ata_raw_values_unknown",
         "{\"id\": 9, \"name\": \"Power-On Hours\", \"flags\": 50, \"current\": 100, "
         "\"worst\": 100, \"threshold\": 0, \"raw\": 557429,"},
        {"usb_bridge",
         "\"smart\": {\"state\": \"failure_predicted\", \"text\": \"Failure Predicted\", \"capable\": false, "
         "\"versionError\": 1, \"statusError\": 0}, \"failurePredicted\": true, \"status\": \"failing\", "
         "\"statusReasons\": [\"predicts failure\"], \"health\": {\"source\": \"sat_smart\", \"critical\": false, "
         "\"temperatureCelsius\": 36, \"ata\": {\"attributes\": [{\"id\": 5,"},
        {"usb_bridge",
         "\"reallocatedSectors\": 3, \"pendingSectors\": null, \"uncorrectableSectors\": null, "
         "\"reportedUncorrectableErrors\": null}, \"bridge\": {\"model\": \"WDC WD20SPZX-22UA7T0\", \"serial\": "
         "\"WD-WX22A1234567\", \"identityUnavailableReason\": \"\", \"smartStatus\": \"threshold_exceeded\", "
         "\"smartStatusUnknownReason\": \"\", \"cdbSize\": 16}, \"temperatureProperty\": "},
        {"usb_bridge", "\"unavailableReason\": \"NVMe behind a USB bridge: not read\", \"temperatureProperty\": "},
        {"health_unavailable",
         "\"health\": {\"source\": \"none\", \"critical\": false, \"temperatureCelsius\": 38, "
         "\"unavailableReason\": \"reading SMART data needs administrator rights (the request was refused with "
         "error 5)\", \"temperatureProperty\": {\"available\": true, \"currentCelsius\": 38,"},
    };
    for (const auto& row : rows) EXPECT_TRUE(has(json(row.scenario), row.part)) << row.scenario << ": " << row.part;
}

// 126 C in attribute 194, 32767 C from the temperature property, 65535 K in the health log,
// -200 C and 32767 C as limits: no format shows, judges or measures them.
TEST_F(ReportWriters, TemperaturesNoDriveCanHaveAreLeftOutOfEveryFormat) {
    const Report report = scenario("impossible_temperatures");
    EXPECT_TRUE(writeNagiosReport(report, codePage).starts_with("KESTRINE OK - 3 drives and 2 volumes ok |"));
    const std::string document = json("impossible_temperatures");
    for (const char* part :
         {"\"temperatureCelsius\": null, \"ata\"",
          "\"compositeTemperatureKelvin\": 65535, \"compositeTemperatureCelsius\": null,",
          "\"temperatureCelsius\": null, \"nvme\"",
          "\"temperatureProperty\": {\"available\": true, \"currentCelsius\": null, \"warningCelsius\": 70, "
          "\"criticalCelsius\": 80,",
          "\"temperatureProperty\": {\"available\": true, \"currentCelsius\": null, \"warningCelsius\": "
          "null, \"criticalCelsius\": null,"})
        EXPECT_TRUE(has(document, part)) << part;
    const std::string prom = metrics("impossible_temperatures");
    EXPECT_FALSE(has(prom, "kestrine_drive_temperature_celsius{")) << prom;
    EXPECT_TRUE(has(prom, "kestrine_drive_temperature_limit_celsius{drive=\"0\",limit=\"critical\"} 80\n"));
    EXPECT_FALSE(has(prom, "kestrine_drive_temperature_limit_celsius{drive=\"2\""));
    const std::string details = writeTextReport(report, true, codePage);
    for (const char* part : {"    Temperature property: unknown (warning 70 C, critical 80 C)\n",
                             "    Temperature property: unknown (warning unknown, critical unknown)\n",
                             "    Composite temperature:            65535 K\n"})
        EXPECT_TRUE(has(details, part)) << part << details;
    EXPECT_FALSE(has(writeTextReport(report, false, codePage), "temperature"))
        << writeTextReport(report, false, codePage);
}

// Counts judged against what was accepted: each format tells the accepted value and date, and
// only new and grown counts make the drive caution and name it in the status line.
TEST_F(ReportWriters, RememberedCautionsShowTheirStateAndWhatWasAccepted) {
    const Report report = scenario("ata_caution_remembered");
    EXPECT_EQ(report.status, OverallStatus::Warning);
    const std::string reason =
        "Disk 0 pending sectors: 2, 1 accepted; Disk 0 reported uncorrectable errors: 3; Disk 2 NVMe media and data "
        "integrity errors: 4, 2 accepted";
    EXPECT_EQ(reasonText(report), reason);
    EXPECT_TRUE(writeNagiosReport(report, codePage).starts_with("KESTRINE WARNING - " + reason + " |"));
    const std::string text = writeTextReport(report, false, codePage);
    EXPECT_TRUE(has(text,
                    "  Caution count: reallocated sectors 8 - accepted, 8 accepted on 2026-11-30T00:53:20Z\n"
                    "  Caution count: pending sectors 2 - grown, 1 accepted on 2026-11-30T00:53:20Z\n"
                    "  Caution count: reported uncorrectable errors 3 - new\n"
                    "  Caution count: attributes failed in the past 233 - accepted, accepted on 2026-11-30T00:53:20Z\n"
                    "  History: 170 samples since 2026-11-18T11:06:40Z, last accepted on 2026-11-30T00:53:20Z\n"))
        << text;
    EXPECT_TRUE(has(text, "  Caution count: media errors 4 - grown, 2 accepted on 2026-11-29T00:53:20Z\n")) << text;
    const std::string document = writeJsonReport(report, codePage);
    EXPECT_TRUE(
        has(document,
            "\"cautions\": [{\"count\": \"reallocatedSectors\", \"value\": 8, \"accepted\": 8, "
            "\"acceptedTime\": \"2026-11-30T00:53:20Z\", \"state\": \"accepted\"}, {\"count\": \"pendingSectors\", "
            "\"value\": 2, \"accepted\": 1, \"acceptedTime\": \"2026-11-30T00:53:20Z\", \"state\": \"grown\"}, "
            "{\"count\": \"reportedUncorrectableErrors\", \"value\": 3, \"accepted\": null, \"acceptedTime\": "
            "null, \"state\": \"new\"}, {\"count\": \"failedInThePast\", \"value\": [233], \"accepted\": [233], "
            "\"acceptedTime\": \"2026-11-30T00:53:20Z\", \"state\": \"accepted\"}], \"history\": {\"firstSample\": "
            "\"2026-11-18T11:06:40Z\", \"samples\": 170, \"lastAccepted\": \"2026-11-30T00:53:20Z\"}}"))
        << document;
    EXPECT_TRUE(has(document, "\"history\": null}")) << "disk 1 was not recorded";
    const std::string metricsText = writePrometheusMetrics(report, codePage);
    for (const char* sample :
         {"kestrine_drive_caution{drive=\"0\",count=\"reallocated_sectors\",state=\"accepted\"} 1\n",
          "kestrine_drive_caution{drive=\"0\",count=\"pending_sectors\",state=\"grown\"} 1\n",
          "kestrine_drive_caution{drive=\"0\",count=\"pending_sectors\",state=\"new\"} 0\n",
          "kestrine_drive_caution{drive=\"0\",count=\"reported_uncorrectable_errors\",state=\"new\"} 1\n",
          "kestrine_drive_caution{drive=\"0\",count=\"failed_in_the_past\",state=\"accepted\"} 1\n",
          "kestrine_drive_caution{drive=\"2\",count=\"media_errors\",state=\"grown\"} 1\n"})
        EXPECT_TRUE(has(metricsText, sample)) << sample << metricsText;
    EXPECT_FALSE(has(metrics("healthy"), "kestrine_drive_caution")) << "no count above 0, no series";
}

TEST_F(ReportWriters, JsonGivesNoSmartStatusErrorWhileSmartIsUnusable) {
    DriveTable drives;
    drives[0] = testing::healthyDrive(0, "ACME", "X100", "S1");
    drives[0].statusError = 31;  // from a refresh when SMART still worked
    drives[0].versionError = testing::invalidFunction;
    const testing::ScenarioMessages messages;
    const Report report =
        buildReport({testing::judgedRefresh(drives, {}), {}, ThresholdSource::SettingsFile, "1.0", "t"}, messages);
    EXPECT_TRUE(has(writeJsonReport(report, codePage), "\"capable\": false, \"versionError\": 1, \"statusError\": 0}"));
    drives[0].versionError = 0;
    const Report usable =
        buildReport({testing::judgedRefresh(drives, {}), {}, ThresholdSource::SettingsFile, "1.0", "t"}, messages);
    EXPECT_TRUE(has(writeJsonReport(usable, codePage),
                    "\"state\": \"query_failed\", \"text\": \"Query Fail\", "
                    "\"capable\": true, \"versionError\": 0, \"statusError\": 31}"));
}

TEST_F(ReportWriters, JsonEscapesHostileDescriptorStrings) {
    const std::string hostile = json("hostile_strings");
    EXPECT_TRUE(has(hostile, "\"vendor\": \"A\\\"C\\\\ME\", \"product\": \"X1\\n00\\t\\u0001\\u001F\\u007F\""));
    EXPECT_TRUE(has(hostile, "\"serial\": \"S\xE2\x82\xAC\xC3\xA9\""));
    EXPECT_TRUE(has(hostile, "\"vendor\": \"\\u0081\\u00FF\""));
    EXPECT_TRUE(has(hostile, "\"label\": \"Sys\\\"tem\\\\\\n|\\u0081\""));
    EXPECT_TRUE(has(hostile, "\"label\": \"Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9\"")) << "volume labels are UTF-8";
}

TEST_F(ReportWriters, JsonWritesNullForAPercentThatIsNoNumber) {
    Report report = scenario("healthy");
    report.volumes[0].percentFree = std::numeric_limits<double>::quiet_NaN();
    report.volumes[1].percentFree = std::numeric_limits<double>::infinity();
    const std::string document = writeJsonReport(report, codePage);
    EXPECT_TRUE(testing::StrictJson::accepts(document));
    EXPECT_TRUE(has(document, "\"freeBytes\": 45300000000, \"percentFree\": null,"));
    EXPECT_TRUE(has(document, "\"freeBytes\": 1200000000000, \"percentFree\": null,"));
}

TEST_F(ReportWriters, NagiosLineHasStatusShortTextAndPerformanceData) {
    EXPECT_EQ(writeNagiosReport(scenario("healthy"), codePage),
              "KESTRINE OK - 2 drives and 2 volumes ok | 'C:'=45.30%;10:;;0;100 'D:'=60.00%;20:;;0;100 "
              "'failing drives'=0;;0;0;2 'caution drives'=0;0;;0;2 'volumes below limit'=0;0;;0;2\n");
    EXPECT_EQ(writeNagiosReport(scenario("volume_below_limit"), codePage),
              "KESTRINE WARNING - D: 5.0 % free, below 20 % | 'C:'=45.30%;10:;;0;100 'D:'=5.00%;20:;;0;100 "
              "'failing drives'=0;;0;0;2 'caution drives'=0;0;;0;2 'volumes below limit'=1;0;;0;2\n");
    EXPECT_TRUE(writeNagiosReport(scenario("spf_failure"), codePage)
                    .starts_with("KESTRINE CRITICAL - Disk 1 predicts failure; D: 5.0 % free, below 20 % |"));
    EXPECT_TRUE(has(writeNagiosReport(scenario("smart_failure"), codePage), "'failing drives'=1;;0;0;2"));
    EXPECT_TRUE(
        has(writeNagiosReport(scenario("ata_failing_now"), codePage), "'failing drives'=1;;0;0;2 'caution drives'=0;"));
    EXPECT_TRUE(writeNagiosReport(scenario("ata_caution"), codePage)
                    .starts_with("KESTRINE WARNING - Disk 0 reallocated sectors: 8; Disk 0 pending sectors: 2; "));
    EXPECT_TRUE(has(writeNagiosReport(scenario("ata_caution"), codePage),
                    "'failing drives'=0;;0;0;2 'caution drives'=1;0;;0;2"));
    // A prediction and a failing attribute on one drive count it once; two drives count twice.
    testing::ReportScenario both = testing::reportScenarios()[0];
    for (const testing::ReportScenario& s : testing::reportScenarios())
        if (s.name == "ata_failing_now") both = s;
    both.drives[0].predictOk = false;
    EXPECT_TRUE(has(writeNagiosReport(both.report(), codePage), "'failing drives'=1;;0;0;2"));
    both.drives[1].predictOk = false;
    const Report two = both.report();
    EXPECT_TRUE(has(writeNagiosReport(two, codePage), "'failing drives'=2;;0;0;2"));
    EXPECT_TRUE(writeNagiosReport(scenario("nvme_critical_warning"), codePage)
                    .starts_with("KESTRINE CRITICAL - Disk 2 NVMe critical warning: spare below threshold |"));
    EXPECT_TRUE(
        writeNagiosReport(scenario("defaults_file_missing"), codePage)
            .starts_with("KESTRINE OK - 2 drives and 2 volumes ok, warning percents: defaults (no settings file) |"));
    EXPECT_TRUE(writeNagiosReport(scenario("unknown"), codePage)
                    .starts_with("KESTRINE UNKNOWN - 2 drives and 2 volumes ok; the metrics file could not be written: "
                                 "Access is denied. (error 5) |"));
}

TEST_F(ReportWriters, NagiosPercentsNeverRoundUpToTheLimitAndUnknownValuesAreU) {
    Report report = scenario("healthy");
    report.volumes[0].percentFree = 9.999;
    report.volumes[1].percentFree = std::numeric_limits<double>::quiet_NaN();
    const std::string line = writeNagiosReport(report, codePage);
    EXPECT_TRUE(has(line, "'C:'=9.99%;10:;;0;100 'D:'=U;20:;;0;100")) << line;
}

// One rule for every percent shown: rounded down, so the reason, the text, the JSON text and
// the performance data agree with each other and with the limit.
TEST_F(ReportWriters, EveryPercentShownIsRoundedDownAlike) {
    const struct {
        std::int64_t free;  // of 10,000,000,000 bytes, against a limit of 10 %
        const char* reason;
        const char* perfdata;
    } cases[] = {
        {996'000'000, "C: 9.9 % free, below 10 %", "'C:'=9.96%;10:"},
        {999'900'000, "C: 9.9 % free, below 10 %", "'C:'=9.99%;10:"},
        {453'000'000, "C: 4.5 % free, below 10 %", "'C:'=4.53%;10:"},
        {1'000'000'000, "2 drives and 2 volumes ok", "'C:'=10.00%;10:"},
        {4'530'000'000, "2 drives and 2 volumes ok", "'C:'=45.30%;10:"},
        {0, "C: 0.0 % free, below 10 %", "'C:'=0.00%;10:"},
    };
    for (const auto& c : cases) {
        testing::ReportScenario s = testing::healthyScenario();
        s.volumes[0] = testing::volumeRow(2, "System", 10'000'000'000, c.free, 10, true);
        const Report report = s.report();
        EXPECT_EQ(reasonText(report), c.reason);
        EXPECT_TRUE(has(writeNagiosReport(report, codePage), c.perfdata)) << writeNagiosReport(report, codePage);
        const std::string shown = percentDown(report.volumes[0].percentFree, 1) + " %";
        EXPECT_TRUE(has(writeTextReport(report, false, codePage), "C:      System  " + shown)) << shown;
        EXPECT_TRUE(has(writeJsonReport(report, codePage), "\"percentText\": \"" + shown + '"')) << shown;
    }
    EXPECT_EQ(percentDown(100.0, 1), "100.0");
    EXPECT_EQ(percentDown(7.25, 0), "7");
    EXPECT_EQ(percentDown(std::numeric_limits<double>::infinity(), 1), "+Inf");
}

// Twenty-four volumes, each below its limit, make a line longer than a plugin transport
// carries: it stays within 1024 bytes, with the worst volumes' data and the counts.
TEST_F(ReportWriters, NagiosLineStaysWithinWhatAPluginTransportCarries) {
    testing::ReportScenario s = testing::healthyScenario();
    s.volumes.clear();
    for (int slot = 2; slot < 26; ++slot)  // C: 10 % free ... Z: 33 % free, each below 40 %
        s.volumes.push_back(testing::volumeRow(slot, "V", 1000, 100 + (slot - 2) * 10, 40, false));
    s.volumes[5] = testing::volumeRow(7, "V", 1000, 5, 40, false);      // H: the worst
    s.volumes[20] = testing::volumeRow(22, "V", 1000, 990, 40, false);  // W: fine
    const std::string line = writeNagiosReport(s.report(), codePage);
    EXPECT_LE(line.size(), nagiosLineLimit);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_TRUE(line.starts_with("KESTRINE WARNING - C: 10.0 % free, below 40 %; D: 11.0 % free")) << line;
    EXPECT_TRUE(has(line, "Z: 33.0 % free, below 40 %; performance data of ")) << line;
    EXPECT_TRUE(has(line,
                    " of 24 volumes, worst first | 'H:'=0.50%;40:;;0;100 'C:'=10.00%;40:;;0;100 "
                    "'D:'=11.00%;40:;;0;100 "))
        << line;
    EXPECT_FALSE(has(line, "'W:'")) << "the one volume in good shape is left out first";
    EXPECT_TRUE(
        line.ends_with(" 'failing drives'=0;;0;0;2 'caution drives'=0;0;;0;2 'volumes below limit'=23;0;;0;24\n"))
        << line;
    // As many volumes as the text says, the worst: H: then C: up to K:.
    const int shown = std::stoi(line.substr(line.find("performance data of ") + 20));
    EXPECT_EQ(shown, 9);
    EXPECT_TRUE(has(line, "'K:'=18.00%;40:;;0;100 'failing drives'")) << line;

    // Exactly at the limit, newline included, the line is printed whole; a byte more gives the
    // data of the 21 worst volumes that fit (23 bytes each) beside the note that says so.
    testing::ReportScenario fine = s;
    for (VolumeRow& volume : fine.volumes) volume = testing::volumeRow(volume.slot, "V", 1000, 500, 10, true);
    fine.runProblem = " ";
    const std::size_t room = nagiosLineLimit - writeNagiosReport(fine.report(), codePage).size() + 1;
    for (const std::size_t extra : {std::size_t{0}, std::size_t{1}}) {
        fine.runProblem = std::string(room + extra, 'p');
        const std::string line = writeNagiosReport(fine.report(), codePage);
        EXPECT_EQ(line.size(), extra == 0 ? nagiosLineLimit : 1007u) << line;
        EXPECT_TRUE(has(line, "volumes ok; " + fine.runProblem +
                                  (extra == 0 ? " | 'C:'=50.00%;10:;;0;100 "
                                              : "; performance data of 21 of 24 volumes, worst first | 'C:'")))
            << line;
        EXPECT_EQ(has(line, "'Z:'=50.00%"), extra == 0) << line;
    }

    // A text too long on its own is cut, and the counts still come.
    Report report = s.report();
    addRunProblem(report, std::string(2000, 'x'));
    const std::string cut = writeNagiosReport(report, codePage);
    EXPECT_LE(cut.size(), nagiosLineLimit);
    EXPECT_TRUE(has(cut, "xxx...; performance data of 0 of 24 volumes, worst first | 'failing drives'=0")) << cut;
}

TEST_F(ReportWriters, NagiosShortTextStaysOneLineWithoutTheDataSeparator) {
    Report report = scenario("healthy");
    addRunProblem(report, "pipe | and\nnew line");
    addRunProblem(report, "del\x7F tab\t caf\xe9");
    EXPECT_TRUE(writeNagiosReport(report, codePage)
                    .starts_with("KESTRINE UNKNOWN - 2 drives and 2 volumes ok; pipe / and?new line; del? tab? "
                                 "caf\xC3\xA9 | 'C:'"))
        << writeNagiosReport(report, codePage);
}

// A line that has to be shortened keeps its status, the standard-user note, the run's own
// problems and the counts: the volumes' data goes first, then the volumes' problems are
// counted, then the drives' problems past those that fit.
TEST_F(ReportWriters, NagiosLineShortenedKeepsTheStatusTheNotesAndTheCounts) {
    testing::ReportScenario s = testing::healthyScenario();
    s.volumes.clear();
    for (int slot = 2; slot < 26; ++slot)  // C: 10 % free ... Z: 33 % free, each below 40 %
        s.volumes.push_back(testing::volumeRow(slot, "V", 1000, 100 + (slot - 2) * 10, 40, false));
    s.drives[0].versionError = 5;  // a standard user
    const std::string problem = "the metrics file could not be written: " + std::string(200, 'm');
    s.runProblem = problem;
    const std::string counted = writeNagiosReport(s.report(), codePage);
    EXPECT_LE(counted.size(), nagiosLineLimit);
    EXPECT_TRUE(
        counted.starts_with("KESTRINE WARNING - 24 volumes below their warning percent; SMART data not read: "
                            "it needs administrator rights; " +
                            problem + "; performance data of "))
        << counted;
    EXPECT_TRUE(has(counted, " of 24 volumes, worst first | 'C:'=10.00%;40:;;0;100 'D:'")) << counted;
    EXPECT_TRUE(counted.ends_with("'volumes below limit'=24;0;;0;24\n")) << counted;

    for (int number = 0; number < 16; ++number) {
        s.drives[number] = testing::healthyDrive(number, "ACME", "X100", "S1");
        s.drives[number].predictOk = false;
    }
    s.runProblem = std::string(600, 'r');
    const std::string cut = writeNagiosReport(s.report(), codePage);
    EXPECT_LE(cut.size(), nagiosLineLimit);
    EXPECT_TRUE(cut.starts_with("KESTRINE CRITICAL - Disk 0 predicts failure; Disk 1 predicts failure; ")) << cut;
    const std::size_t more = cut.find("; and ");
    ASSERT_NE(more, std::string::npos) << cut;
    std::size_t shown = 0;
    for (std::size_t at = cut.find(" predicts failure"); at < more; at = cut.find(" predicts failure", at + 1)) ++shown;
    EXPECT_EQ(shown + std::stoul(cut.substr(more + 6)), 16u) << cut;
    EXPECT_TRUE(has(cut, " more drive problems; 24 volumes below their warning percent; " + s.runProblem +
                             "; performance data of 0 of 24 volumes, worst first | 'failing drives'=16;;0;0;16"))
        << cut;
}

TEST_F(ReportWriters, MetricsGiveBytesRatiosAndOneSeriesPerState) {
    const std::string healthy = metrics("healthy");
    for (const char* line :
         {"# TYPE kestrine_report_info gauge\nkestrine_report_info{version=\"1.0\",thresholds=\"settings_file\"} 1\n",
          "kestrine_status{state=\"ok\"} 1\nkestrine_status{state=\"warning\"} 0\n"
          "kestrine_status{state=\"critical\"} 0\nkestrine_status{state=\"unknown\"} 0\n",
          "kestrine_drive_info{drive=\"0\",name=\"ACME X100\",vendor=\"ACME\",product=\"X100\","
          "serial=\"S1234\",bus=\"SATA\",removable=\"false\",identity=\"read\"} 1\n",
          "kestrine_volume_info{volume=\"D:\",label=\"Data\",warning_percent_from=\"own\"} 1\n",
          "kestrine_volume_size_bytes{volume=\"C:\"} 100000000000\n",
          "kestrine_volume_free_bytes{volume=\"D:\"} 1200000000000\n",
          "kestrine_volume_free_ratio{volume=\"D:\"} 0.6\n", "kestrine_volume_warning_ratio{volume=\"C:\"} 0.1\n",
          "kestrine_volume_state{volume=\"C:\",state=\"ok\"} 1\nkestrine_volume_state{volume=\"C:\",state=\"warning\"} "
          "0\n",
          "kestrine_drive_smart_state{drive=\"1\",state=\"no_data\"} 1\n"})
        EXPECT_TRUE(has(healthy, line)) << line;

    const std::string spf = metrics("spf_failure");
    EXPECT_TRUE(has(spf, "kestrine_drive_spf_state{drive=\"1\",state=\"failure_predicted\"} 1\n"));
    EXPECT_TRUE(has(spf, "kestrine_drive_failure_predicted{drive=\"1\"} 1\n"));
    EXPECT_TRUE(has(spf, "kestrine_status{state=\"critical\"} 1\n"));
    EXPECT_TRUE(
        has(metrics("smart_failure"), "kestrine_drive_smart_state{drive=\"0\",state=\"failure_predicted\"} 1\n"));
    EXPECT_TRUE(has(metrics("volume_below_limit"), "kestrine_volume_state{volume=\"D:\",state=\"warning\"} 1\n"));
    EXPECT_TRUE(has(metrics("defaults_file_missing"), "thresholds=\"defaults_file_missing\"} 1\n"));
    EXPECT_TRUE(has(metrics("identity_unreadable"),
                    "kestrine_drive_info{drive=\"2\",name=\"\",vendor=\"\",product=\"\","
                    "serial=\"\",bus=\"\",removable=\"\",identity=\"cannot_read\"} 1\n"));
    EXPECT_FALSE(has(metrics("nothing_listed"), "kestrine_drive")) << "no family without samples";
}

TEST_F(ReportWriters, MetricsGiveHealthInBaseUnitsAndNvmeCountsAsCounters) {
    const struct {
        const char* scenario;
        const char* lines;
    } rows[] = {
        {"healthy",
         "# TYPE kestrine_drive_health_source gauge\nkestrine_drive_health_source{drive=\"0\",state=\"none\"} 0\n"
         "kestrine_drive_health_source{drive=\"0\",state=\"ata_smart\"} 1\n"},
        {"healthy", "kestrine_drive_health_source{drive=\"1\",state=\"none\"} 1\n"},
        {"healthy",
         "# TYPE kestrine_drive_temperature_celsius gauge\nkestrine_drive_temperature_celsius{drive=\"0\"} 33\n"
         "# HELP"},
        {"healthy",
         "kestrine_drive_temperature_limit_celsius{drive=\"0\",limit=\"warning\"} 70\n"
         "kestrine_drive_temperature_limit_celsius{drive=\"0\",limit=\"critical\"} 80\n"},
        {"healthy", "kestrine_drive_ata_attribute_value{drive=\"0\",attribute=\"194\",name=\"Temperature\"} 67\n"},
        {"healthy", "kestrine_drive_ata_attribute_worst{drive=\"0\",attribute=\"194\",name=\"Temperature\"} 52\n"},
        {"healthy",
         "kestrine_drive_ata_attribute_threshold{drive=\"0\",attribute=\"177\",name=\"Wear Leveling Count\"} 5\n"},
        {"healthy", "kestrine_drive_power_on_seconds{drive=\"0\"} 28800000\n"},
        {"healthy",
         "kestrine_drive_ata_attribute_value{drive=\"0\",attribute=\"5\",name=\"Reallocated Sectors Count\"} "
         "100\n"},
        {"healthy",
         "kestrine_drive_ata_attribute_raw{drive=\"0\",attribute=\"241\",name=\"Total LBAs Written\"} "
         "281474976710655\n"},
        {"ata_failing_now",
         "kestrine_drive_ata_attribute_failing_now{drive=\"0\",attribute=\"5\",name=\"Reallocated "
         "Sectors Count\"} 1\n"},
        {"ata_failing_now", "kestrine_drive_ata_attribute_threshold{drive=\"0\",attribute=\"230\",name=\"\"} 2\n"},
        {"ata_failing_now", "kestrine_drive_health_critical{drive=\"0\"} 1\n"},
        {"ata_failing_now",
         "kestrine_drive_status{drive=\"0\",state=\"ok\"} 0\nkestrine_drive_status{drive=\"0\",state=\"caution\"} 0\n"
         "kestrine_drive_status{drive=\"0\",state=\"failing\"} 1\n"},
        {"ata_caution", "kestrine_drive_status{drive=\"0\",state=\"caution\"} 1\n"},
        {"ata_caution", "kestrine_drive_status{drive=\"1\",state=\"ok\"} 1\n"},
        {"ata_caution", "kestrine_status{state=\"warning\"} 1\n"},
        {"healthy",
         "# HELP kestrine_drive_ata_reallocated_sectors The drive's reallocated sectors, when its raw value counts "
         "them.\n# TYPE kestrine_drive_ata_reallocated_sectors gauge\n"
         "kestrine_drive_ata_reallocated_sectors{drive=\"0\"} 0\n"},
        {"ata_failing_now", "kestrine_drive_ata_pending_sectors{drive=\"0\"} 12\n"},
        {"ata_raw_values_unknown", "kestrine_drive_ata_uncorrectable_sectors{drive=\"0\"} 0\n"},
        {"ata_raw_values_unknown", "kestrine_drive_temperature_celsius{drive=\"0\"} 36\n"},
        {"nvme_critical_warning",
         "kestrine_drive_nvme_critical_warning{drive=\"2\",bit=\"0\",name=\"spare below threshold\"} 1\n"
         "kestrine_drive_nvme_critical_warning{drive=\"2\",bit=\"1\",name=\"temperature\"} 0\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_percentage_used_ratio{drive=\"2\"} 1.07\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_available_spare_ratio{drive=\"2\"} 0.04\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_available_spare_threshold_ratio{drive=\"2\"} 0.1\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_power_cycles_total{drive=\"2\"} 1520\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_unsafe_shutdowns_total{drive=\"2\"} 61\n"},
        {"nvme_critical_warning", "kestrine_drive_power_on_seconds{drive=\"2\"} 76842000\n"},
        {"nvme_critical_warning",
         "# TYPE kestrine_drive_nvme_data_read_bytes_total counter\n"
         "kestrine_drive_nvme_data_read_bytes_total{drive=\"2\"} 63209875968000\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_data_written_bytes_total{drive=\"2\"} 9.44473296573929e+24\n"},
        {"nvme_critical_warning",
         "# TYPE kestrine_drive_media_errors_total counter\n"
         "kestrine_drive_media_errors_total{drive=\"2\"} 3\n"},
        {"nvme_critical_warning", "kestrine_drive_nvme_error_log_entries_total{drive=\"2\"} 3.402823669209385e+38\n"},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(has(metrics(row.scenario), row.lines)) << row.scenario << ": " << row.lines;
    // Families without a sample leave no HELP or TYPE line behind.
    const std::string healthy = metrics("healthy");
    EXPECT_FALSE(has(healthy, "kestrine_drive_nvme")) << healthy;
    EXPECT_FALSE(has(metrics("health_unavailable"), "kestrine_drive_ata_attribute"));
    // Unknown raw values give no sample, never a huge number.
    const std::string unknown = metrics("ata_raw_values_unknown");
    for (const char* family : {"kestrine_drive_ata_reallocated_sectors{", "kestrine_drive_ata_pending_sectors{",
                               "kestrine_drive_ata_reported_uncorrectable_errors{", "kestrine_drive_power_on_seconds{"})
        EXPECT_FALSE(has(unknown, family)) << family;
}

// A table that holds an id twice gives one series per id and metric, the first entry's.
TEST_F(ReportWriters, MetricsGiveADuplicateAttributeIdOnce) {
    Report report = scenario("healthy");
    report.drives[0].health = testing::ataDriveHealth(
        {{5, testing::preFailure, 100, 99, 7, 10}, {5, testing::preFailure, 30, 29, 8, 40}}, 30);
    const std::string text = writePrometheusMetrics(report, codePage);
    for (const char* line : {"kestrine_drive_ata_attribute_value{drive=\"0\",attribute=\"5\",name=\"Reallocated "
                             "Sectors Count\"} 100\n",
                             "kestrine_drive_ata_attribute_worst{drive=\"0\",attribute=\"5\",name=\"Reallocated "
                             "Sectors Count\"} 99\n",
                             "kestrine_drive_ata_attribute_raw{drive=\"0\",attribute=\"5\",name=\"Reallocated "
                             "Sectors Count\"} 7\n"}) {
        EXPECT_TRUE(has(text, line)) << line << text;
    }
    for (const char* family : {"kestrine_drive_ata_attribute_value{", "kestrine_drive_ata_attribute_worst{",
                               "kestrine_drive_ata_attribute_threshold{", "kestrine_drive_ata_attribute_raw{",
                               "kestrine_drive_ata_attribute_failing_now{"}) {
        std::size_t count = 0;
        for (std::size_t at = text.find(family); at != std::string::npos; at = text.find(family, at + 1)) ++count;
        EXPECT_EQ(count, 1u) << family;
    }
    std::string badLine;
    EXPECT_TRUE(testing::isMetricText(text, badLine)) << badLine;
}

// The run's time and its own success, so that a file no longer replaced shows its age.
TEST_F(ReportWriters, MetricsTellWhenTheRunWasAndWhetherItMetAProblem) {
    const struct {
        const char* time;
        const char* sample;  // empty: no sample for a time that is not one
    } times[] = {
        {"2026-12-07T15:24:30Z", "kestrine_report_last_run_timestamp_seconds 1796657070\n"},
        {"2000-02-29T23:59:59Z", "kestrine_report_last_run_timestamp_seconds 951868799\n"},
        {"2100-03-01T00:00:00Z", "kestrine_report_last_run_timestamp_seconds 4107542400\n"},
        {"1970-01-01T00:00:00Z", "kestrine_report_last_run_timestamp_seconds 0\n"},
        {"1969-12-31T23:59:59Z", "kestrine_report_last_run_timestamp_seconds -1\n"},
        {"2026-12-07 15:24:30Z", ""},
        {"2026-13-07T15:24:30Z", ""},
        {"2026-12-07T15:24:30", ""},
        // Every field is all digits: no sign, no blank, no negative year.
        {"2026-+1-07T15:24:30Z", ""},
        {"2026-12-07T15:24: 3Z", ""},
        {"-999-12-07T15:24:30Z", ""},
        {"2026-12-07T15:24:3AZ", ""},
    };
    for (const auto& t : times) {
        Report report = scenario("healthy");
        report.utcTime = t.time;
        const std::string text = writePrometheusMetrics(report, codePage);
        if (*t.sample != '\0') {
            EXPECT_TRUE(has(text, t.sample)) << t.time << "\n" << text;
        } else {
            EXPECT_FALSE(has(text, "kestrine_report_last_run_timestamp_seconds")) << t.time;
        }
    }
    EXPECT_TRUE(has(metrics("healthy"), "\nkestrine_report_last_run_success 1\n"));
    EXPECT_TRUE(has(metrics("spf_failure"), "\nkestrine_report_last_run_success 1\n"));
    EXPECT_TRUE(has(metrics("unknown"), "\nkestrine_report_last_run_success 0\n"));
    // Whether SMART was read with the rights it needs: 0 for a standard user, whose verdict is
    // otherwise ok for ever.
    EXPECT_TRUE(
        has(metrics("healthy"),
            "# HELP kestrine_report_smart_read 1 when the SMART reads ran with the rights they need, 0 when "
            "the system refused them.\n# TYPE kestrine_report_smart_read gauge\nkestrine_report_smart_read 1\n"));
    testing::ReportScenario standardUser = testing::healthyScenario();
    standardUser.drives[1].versionError = 5;
    const std::string refused = writePrometheusMetrics(standardUser.report(), codePage);
    EXPECT_TRUE(has(refused, "\nkestrine_report_smart_read 0\n")) << refused;
    EXPECT_TRUE(has(refused, "\nkestrine_report_last_run_success 1\n"));
}

TEST_F(ReportWriters, MetricLabelsEscapeHostileStringsAndStayUtf8) {
    const std::string hostile = metrics("hostile_strings");
    EXPECT_TRUE(has(hostile, "vendor=\"A\\\"C\\\\ME\",product=\"X1?00????\",serial=\"S\xE2\x82\xAC\xC3\xA9\""));
    EXPECT_TRUE(has(hostile, "vendor=\"\xC2\x81\xC3\xBF\""));
    EXPECT_TRUE(has(hostile, "label=\"Sys\\\"tem\\\\?|\xC2\x81\""));
    EXPECT_TRUE(has(hostile, "label=\"Caf\xC3\xA9 \xE2\x82\xAC \xCE\xA9\""));
    EXPECT_TRUE(testing::isUtf8(hostile));
}

}  // namespace
}  // namespace kestrine
