#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_device_port.h"
#include "fakes/fake_file_store.h"
#include "fakes/fake_history_lock.h"
#include "fakes/fake_message_sink.h"
#include "fakes/fake_volume_source.h"
#include "fakes/format_checks.h"
#include "fakes/report_scenarios.h"
#include "history/history_file.h"
#include "report/report_arguments.h"
#include "report/report_prometheus.h"
#include "report/report_run.h"
#include "scripted_device_port.h"
#include "settings/settings_store.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string programData = "C:\\ProgramData";
const std::string settingsPath = programData + "\\VTN\\KSTM\\KSTMC.dat";
const std::string metricsPath = "C:\\textfile\\kestrine.prom";
const std::string repliesPath = "C:\\replies";

using testing::bytesOf;

// One run over scripted drives, C: (45 % free, its own percent from the file when there is
// one) and D: (5 % free), a settings file and a folder for the metrics file.
class ReportRun : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFiles.folders = {programData, programData + "\\VTN", programData + "\\VTN\\KSTM"};
        metricsFiles.folders.insert("C:\\textfile");
        replyFiles.folders.insert("C:");
        historyFiles.folders = {programData, "C:\\records"};
        volumes.add('C', 100'000'000'000, 45'000'000'000, "System");
        volumes.add('D', 100'000'000'000, 5'000'000'000, "Data");
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = 1;
        storeSettings(bytesOf(record));
    }
    void TearDown() override { std::filesystem::remove(scenarioPath); }

    void storeSettings(const Bytes& bytes) { settingsFiles.files[settingsPath] = bytes; }
    void script(const std::string& drives) { std::ofstream(scenarioPath, std::ios::binary) << drives; }
    ReportOutcome run(const std::vector<std::string>& arguments) {
        scripted::ScriptedDevicePort devices(scenarioPath);
        testing::FakeHistoryLock lock(lockFile);
        ReportPorts ports{devices,  messages,   volumes,      settingsFiles, programData, metricsFiles,
                          codePage, replyFiles, historyFiles, lock,          pause,       elevated};
        return runReport(arguments, ports, "1.0", "2026-12-07T15:24:30Z");
    }
    static bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
    std::string savedFile(const std::string& name) {
        const Bytes& bytes = replyFiles.files.at(repliesPath + "\\" + name);
        return std::string(bytes.begin(), bytes.end());
    }

    std::string scenarioPath = (std::filesystem::temp_directory_path() / "kestrine_report_run.txt").string();
    testing::ScenarioMessages messages;
    testing::FakeVolumeSource volumes;
    testing::FakeFileStore settingsFiles;
    testing::FakeFileStore metricsFiles;
    testing::FakeFileStore replyFiles;
    testing::FakeFileStore historyFiles;
    testing::FakeLockFile lockFile;
    testing::CountingPause pause;
    bool elevated = false;
    testing::FakeCodePage codePage;
};

TEST_F(ReportRun, ExitCodeFollowsTheWorstFinding) {
    struct Case {
        const char* drives;
        std::uint32_t defaultPercent;
        int exitCode;
        const char* nagiosStart;
    };
    const Case cases[] = {
        {"0 healthy vendor=ACME\n1 smart-unsupported\n", 1, 0, "KESTRINE OK - "},
        {"0 healthy\n", 10, 1, "KESTRINE WARNING - D: 5.0 % free, below 10 %"},
        {"0 healthy\n2 failing-spf\n", 1, 2, "KESTRINE CRITICAL - Disk 2 predicts failure"},
        {"0 threshold-exceeded\n", 10, 2, "KESTRINE CRITICAL - Disk 0 predicts failure; D: 5.0 % free"},
        {"standard-user\n0 failing-spf\n", 1, 2,
         "KESTRINE CRITICAL - Disk 0 predicts failure; SMART data not read: it needs administrator rights |"},
        {"0 healthy\n0 attribute id=5 flags=0x33 current=36 worst=36 raw=1864 threshold=36\n", 1, 2,
         "KESTRINE CRITICAL - Disk 0 SMART attribute failing now: 5 Reallocated Sectors Count |"},
        {"0 healthy\n0 attribute id=5 flags=0x33 current=37 worst=36 raw=1864 threshold=36\n", 1, 1,
         "KESTRINE WARNING - Disk 0 reallocated sectors: 1864; Disk 0 SMART attribute failed in the past: 5 "
         "Reallocated Sectors Count |"},
        {"0 healthy\n0 attribute id=5 flags=0x33 current=37 worst=37 raw=0 threshold=36\n", 1, 0, "KESTRINE OK - "},
        {"1 healthy bus=17\n1 nvme-log spare=90 spare-threshold=10 used=100\n", 1, 1,
         "KESTRINE WARNING - Disk 1 NVMe percentage used: 100 % |"},
        {"1 healthy bus=17\n1 nvme-log warning=4 spare=90 spare-threshold=10\n", 1, 2,
         "KESTRINE CRITICAL - Disk 1 NVMe critical warning: reliability degraded |"},
        {"1 healthy bus=17\n1 nvme-log spare=90 spare-threshold=10\n", 1, 0, "KESTRINE OK - "},
        // A standard user's SMART reads are refused: the failing attribute stays unseen, and the
        // status line says why.
        {"standard-user\n0 healthy\n0 attribute id=5 flags=0x33 current=36 worst=36 raw=1864 threshold=36\n", 1, 0,
         "KESTRINE OK - 1 drive and 2 volumes ok; SMART data not read: it needs administrator rights |"},
        {"standard-user\n0 healthy\n", 10, 1,
         "KESTRINE WARNING - D: 5.0 % free, below 10 %; SMART data not read: it needs administrator rights |"},
        {"", 1, 0, "KESTRINE OK - 0 drives and 2 volumes ok"},
    };
    for (const Case& c : cases) {
        script(c.drives);
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = c.defaultPercent;
        storeSettings(bytesOf(record));
        const ReportOutcome outcome = run({"--format", "nagios"});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.drives;
        EXPECT_TRUE(outcome.output.starts_with(c.nagiosStart)) << c.drives << outcome.output;
        EXPECT_EQ(outcome.errors, "") << c.drives;
    }
}

TEST_F(ReportRun, HealthIsReadAfterTheProbeAndDetailedInTheTextOnly) {
    script(
        "0 healthy bus=11\n0 attribute id=9 flags=0x32 current=90 worst=90 raw=1234\n"
        "0 temperature current=36 warning=70 critical=80\n"
        "1 healthy bus=17\n1 nvme-log kelvin=310 spare=100 spare-threshold=10 hours=77\n");
    const std::string text = run({}).output;
    EXPECT_TRUE(has(text, "  Health (ATA SMART): temperature 36 C, power-on 1234 hours\nDisk 1")) << text;
    EXPECT_TRUE(has(text,
                    "  Health (NVMe log): temperature 37 C, power-on 77 hours, used 0 %, available spare 100 % "
                    "(threshold 10 %), media errors 0\n\n"))
        << text;
    EXPECT_FALSE(has(text, "Temperature property"));

    const std::string details = run({"--details"}).output;
    EXPECT_TRUE(has(details,
                    "    9   Power-On Hours  0x0032  90       90     0          1234  no           no\n"
                    "    Temperature property: 36 C (warning 70 C, critical 80 C)\nDisk 1"))
        << details;
    EXPECT_TRUE(has(details,
                    "    Power-on hours:                   77\n"
                    "    Unsafe shutdowns:                 0\n"))
        << details;
    EXPECT_EQ(run({"--format", "json", "--details"}).output, run({"--format", "json"}).output);
}

// NVMe drives refuse SMART commands: their SMART column is the health log's verdict, as in
// the window, also for a standard user.
TEST_F(ReportRun, NvmeDriveRefusingSmartShowsItsLogVerdictAsSmartStatus) {
    script(
        "standard-user\n"
        "0 version-fails bus=17 vendor=Hot product=N1 serial=4e31\n0 nvme-log warning=2 spare=100\n"
        "1 version-fails bus=17 vendor=Cool product=N2 serial=4e32\n1 nvme-log spare=100\n"
        "2 version-fails bus=17 vendor=Mute product=N3 serial=4e33\n");
    const std::string text = run({}).output;
    for (const char* row : {"Disk 0  Hot N1   N1      NVMe  Fixed  Ok          Failure Predicted\n",
                            "Disk 1  Cool N2  N2      NVMe  Fixed  Ok          Ok\n",
                            "Disk 2  Mute N3  N3      NVMe  Fixed  Ok          No Data Available\n",
                            "Status: CRITICAL - Disk 0 NVMe critical warning: temperature; SMART data not read: it "
                            "needs administrator rights\n"})
        EXPECT_TRUE(has(text, row)) << row << text;
    EXPECT_TRUE(has(run({"--format", "nagios"}).output, "'failing drives'=1;;0;0;3"));
}

// Bad arguments print the problem in the format a valid --format among them asks for (text
// without one), name it on standard error with the usage, and probe nothing.
TEST_F(ReportRun, BadArgumentsAreNamedInTheFormatAskedForAndProbeNothing) {
    script("0 failing-spf\n");
    const std::string textStart = "Kestrine 1.0, 2026-12-07T15:24:30Z\nStatus: UNKNOWN - ";
    const struct {
        std::vector<std::string> arguments;
        std::string error;  // as the command line gives it
        std::string output;
    } rows[] = {
        {{"--bogus"}, "unknown option '--bogus'", textStart + "unknown option '--bogus'\n"},
        {{"--format"}, "option '--format' needs a value", textStart + "option '--format' needs a value\n"},
        {{"--format", "xml"},
         "unknown format 'xml' (text, json or nagios)",
         textStart + "unknown format 'xml' (text, json or nagios)\n"},
        {{"--details", "--details"}, "option '--details' given twice", textStart + "option '--details' given twice\n"},
        {{"--format", "nagios", "--bogus"},
         "unknown option '--bogus'",
         "KESTRINE UNKNOWN - unknown option '--bogus'\n"},
        {{"stray", "--format=nagios"},
         "unexpected argument 'stray'",
         "KESTRINE UNKNOWN - unexpected argument 'stray'\n"},
        {{"--format", "nagios", "--format", "json"},
         "option '--format' given twice",
         "KESTRINE UNKNOWN - option '--format' given twice\n"},
        // An argument in the code page is shown in UTF-8.
        {{"--format", "nagios", "--caf\xe9"},
         "unknown option '--caf\xe9'",
         "KESTRINE UNKNOWN - unknown option '--caf\xC3\xA9'\n"},
        {{"--prometheus", "--format", "json"},
         "option '--prometheus' needs a value",
         "{\n  \"format\": 3,\n  \"programVersion\": \"1.0\",\n  \"time\": \"2026-12-07T15:24:30Z\",\n"
         "  \"status\": \"unknown\",\n  \"exitCode\": 3,\n  \"reason\": \"option '--prometheus' needs a value\",\n"
         "  \"thresholds\": {\"source\": \"not_read\", \"text\": \"not read\"},\n  \"drives\": [],\n"
         "  \"volumes\": []\n}\n"},
    };
    for (const auto& row : rows) {
        const ReportOutcome outcome = run(row.arguments);
        EXPECT_EQ(outcome.exitCode, 3) << row.error;
        EXPECT_EQ(outcome.output, row.output) << row.error;
        EXPECT_EQ(outcome.errors, "kestrine-report: " + row.error + "\n" + reportUsage());
    }
    EXPECT_EQ(volumes.freeSpaceQueries.size(), 0u);
    EXPECT_EQ(metricsFiles.replacements, 0);
}

TEST_F(ReportRun, HelpAndVersionPrintAndProbeNothing) {
    EXPECT_EQ(run({"--help"}).output, reportHelp());
    EXPECT_EQ(run({"-h"}).output, reportHelp());
    EXPECT_EQ(run({"/?"}).exitCode, 0);
    EXPECT_EQ(run({"--help"}).exitCode, 0);
    const ReportOutcome version = run({"--version"});
    EXPECT_EQ(version.output, "kestrine-report 1.0\n");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(volumes.freeSpaceQueries.size(), 0u);
}

// A percent outside 1 to 50 is judged at the nearer end of it by both front ends, and the
// report names it as a problem of its own; the file is never written.
TEST_F(ReportRun, WarningPercentsComeFromTheFileAsTheWindowLoadsItOrElseTheDefaults) {
    SettingsRecord own = defaultSettings();
    own.useDefault[2] = 0;
    own.warningPercent[2] = 50;  // C: at 45 % free is below its own 50 %
    SettingsRecord zero = defaultSettings();
    zero.defaultWarningPercent = 0;  // fails the test before writing; judged at 1
    SettingsRecord tooHigh = own;
    tooHigh.warningPercent[2] = 51;
    SettingsRecord highest = own;
    highest.warningPercent[2] = 4294967295u;
    SettingsRecord oldVersion = own;
    oldVersion.version = 2;
    Bytes shortFile = bytesOf(own);
    shortFile.pop_back();

    struct Case {
        const char* name;
        std::optional<Bytes> file;
        bool allUsersFolder;  // the all-users application-data folder exists
        ThresholdSource source;
        std::uint32_t percentOfC;
        std::string nagios;  // the start of the plugin line
        bool held = false;   // another program holds the file without sharing it
    };
    const std::string outOfRange = " in the settings file is out of range 1 to 50, judged at ";
    const Case cases[] = {
        {"own percent", bytesOf(own), true, ThresholdSource::SettingsFile, 50,
         "KESTRINE WARNING - C: 45.0 % free, below 50 %; D: 5.0 % free, below 10 % | 'C:'=45.00%;50:"},
        {"missing", std::nullopt, true, ThresholdSource::DefaultsFileMissing, 10,
         "KESTRINE WARNING - D: 5.0 % free, below 10 %, warning percents: defaults (no settings file) | "
         "'C:'=45.00%;10:"},
        {"no all-users folder", bytesOf(own), false, ThresholdSource::DefaultsFileMissing, 10,
         "KESTRINE WARNING - D: 5.0 % free, below 10 %, warning percents: defaults (no settings file) | "
         "'C:'=45.00%;10:"},
        {"held without sharing", bytesOf(own), true, ThresholdSource::DefaultsFileUnreadable, 10,
         "KESTRINE WARNING - D: 5.0 % free, below 10 %, warning percents: defaults (the settings file cannot be "
         "read) | 'C:'=45.00%;10:",
         true},
        {"short", shortFile, true, ThresholdSource::DefaultsFileInvalid, 10, "KESTRINE WARNING - D: 5.0 % free"},
        {"old version", bytesOf(oldVersion), true, ThresholdSource::DefaultsFileInvalid, 10,
         "KESTRINE WARNING - D: 5.0 % free"},
        {"default percent 0", bytesOf(zero), true, ThresholdSource::SettingsFile, 1,
         ("KESTRINE UNKNOWN - 0 drives and 2 volumes ok; C: warning percent 0" + outOfRange +
          "1 %; D: warning percent 0" + outOfRange + "1 % | 'C:'=45.00%;1:;;0;100 'D:'=5.00%;1:")},
        {"own percent 51", bytesOf(tooHigh), true, ThresholdSource::SettingsFile, 50,
         ("KESTRINE WARNING - C: 45.0 % free, below 50 %; D: 5.0 % free, below 10 %; C: warning percent 51" +
          outOfRange + "50 % | 'C:'=45.00%;50:")},
        {"own percent 4294967295", bytesOf(highest), true, ThresholdSource::SettingsFile, 50,
         ("KESTRINE WARNING - C: 45.0 % free, below 50 %; D: 5.0 % free, below 10 %; C: warning percent 4294967295" +
          outOfRange + "50 % | 'C:'=45.00%;50:")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settingsFiles.files.clear();
        settingsFiles.replacements = 0;
        settingsFiles.failReads = c.held;
        settingsFiles.folders = {programData, programData + "\\VTN", programData + "\\VTN\\KSTM"};
        if (!c.allUsersFolder) settingsFiles.folders.erase(programData);  // the file alone is there
        if (c.file) storeSettings(*c.file);
        const Thresholds thresholds = readThresholds(settingsFiles, programData);
        EXPECT_EQ(thresholds.source, c.source);
        EXPECT_EQ(effectiveWarningPercent(thresholds.record, 2), c.percentOfC);

        const std::string json = run({"--format", "json"}).output;
        EXPECT_TRUE(has(json, std::string("\"source\": \"") + thresholdSourceIdentifier(c.source) + '"'));
        EXPECT_TRUE(has(json, "\"warningPercent\": " + std::to_string(c.percentOfC) + ',')) << json;
        const std::string nagios = run({"--format", "nagios"}).output;
        EXPECT_TRUE(nagios.starts_with(c.nagios)) << nagios;
        EXPECT_EQ(settingsFiles.replacements, 0);
        const auto kept = settingsFiles.files.find(settingsPath);
        EXPECT_EQ(kept != settingsFiles.files.end() ? kept->second : Bytes{}, c.file.value_or(Bytes{}));

        // The window's start-up load of the same file judges by the same percents.
        testing::RecordingMessageSink sink;
        testing::CountingPause pause;
        SettingsStore window(settingsFiles, sink, pause, programData);
        window.runStartUpSequence();
        EXPECT_TRUE(sameSettings(window.working(), thresholds.record));
    }
}

TEST_F(ReportRun, MetricsFileIsReplacedWhole) {
    script("0 healthy\n");
    const ReportOutcome outcome = run({"--prometheus", metricsPath});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.errors, "");
    const Bytes& written = metricsFiles.files[metricsPath];
    const std::string metrics(written.begin(), written.end());
    EXPECT_TRUE(has(metrics, "kestrine_volume_free_bytes{volume=\"C:\"} 45000000000\n")) << metrics;
    std::string badLine;
    EXPECT_TRUE(testing::isMetricText(metrics, badLine)) << badLine;
    EXPECT_TRUE(outcome.output.starts_with("Kestrine 1.0, 2026-12-07T15:24:30Z\n"));
}

// The report is still printed with the drives' and volumes' verdict, and the reason says why
// the metrics were not written: a monitoring system must not read "ok" from a run that left
// its metrics file stale, nor "unknown" from a run that found a failing drive.
TEST_F(ReportRun, MetricsFileThatCannotBeWrittenNeverHidesTheVerdict) {
    messages.texts[3] = "The system cannot find the path specified.\r\n";
    const std::string denied = "Access is denied. (error 5)";
    const std::string notFound = "The system cannot find the path specified. (error 3)";
    struct Case {
        const char* drives;
        std::uint32_t defaultPercent;
        std::string file;  // in a folder that exists only for C:\textfile
        bool refused;      // the replace itself fails, with error 5
        int exitCode;
        std::string line;
    };
    const Case cases[] = {
        {"0 failing-spf\n1 failing-spf\n", 1, "C:\\missing\\kestrine.prom", false, 2,
         "KESTRINE CRITICAL - Disk 0 predicts failure; Disk 1 predicts failure; the metrics file could not be "
         "written: " +
             notFound},
        {"0 healthy\n", 10, metricsPath, true, 1,
         "KESTRINE WARNING - D: 5.0 % free, below 10 %; the metrics file could not be written: " + denied},
        {"0 healthy\n", 1, metricsPath, true, 3,
         "KESTRINE UNKNOWN - 1 drive and 2 volumes ok; the metrics file could not be written: " + denied},
        {"0 healthy\n", 1, "C:\\missing\\kestrine.prom", false, 3,
         "KESTRINE UNKNOWN - 1 drive and 2 volumes ok; the metrics file could not be written: " + notFound},
    };
    for (const Case& c : cases) {
        script(c.drives);
        SettingsRecord record = defaultSettings();
        record.defaultWarningPercent = c.defaultPercent;
        storeSettings(bytesOf(record));
        metricsFiles.failReplaces = c.refused;
        const ReportOutcome outcome = run({"--format", "nagios", "--prometheus", c.file});
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.line;
        EXPECT_TRUE(outcome.output.starts_with(c.line + " |")) << outcome.output;
        EXPECT_EQ(outcome.errors, "kestrine-report: cannot write the metrics file '" + c.file +
                                      "': " + (c.refused ? denied : notFound) + "\n");
    }
    const ReportOutcome json = run({"--format", "json", "--prometheus", "C:\\missing\\kestrine.prom"});
    EXPECT_TRUE(has(json.output,
                    "\"status\": \"unknown\",\n  \"exitCode\": 3,\n  \"reason\": \"1 drive and 2 volumes ok; "
                    "the metrics file could not be written: The system cannot find the path specified. "
                    "(error 3)\""))
        << json.output;
    metricsFiles.failingReplaceError = 1234;  // no text for it
    metricsFiles.failReplaces = true;
    EXPECT_TRUE(has(run({"--prometheus", metricsPath}).output, "the metrics file could not be written: error 1234\n"));
}

TEST_F(ReportRun, SystemWithoutDriveLettersIsUnknown) {
    volumes.maskOverride = 0;
    const ReportOutcome outcome = run({"--format", "nagios"});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_TRUE(
        outcome.output.starts_with("KESTRINE UNKNOWN - 0 drives and 0 volumes ok; the system listed no drive "
                                   "letters |"))
        << outcome.output;
    script("2 failing-spf\n");
    EXPECT_TRUE(
        run({"--format", "nagios"})
            .output.starts_with("KESTRINE CRITICAL - Disk 2 predicts failure; the system listed no drive letters"));
}

// What the drives answered, saved and replayed, gives the same report; the volumes stay live.
// Each run records into a history of its own, so that each drive's history reads the same.
TEST_F(ReportRun, SavedRepliesReplayToTheSameReport) {
    const char* const machines[] = {
        "0 healthy vendor=ACME product=X100 serial=3132 bus=11\n"
        "0 attribute id=5 flags=0x33 current=100 worst=90 raw=8 threshold=10\n"
        "0 attribute id=9 flags=0x32 current=90 worst=90 raw=1234\n"
        "0 temperature current=36 warning=70 critical=80\n"
        "1 healthy bus=17\n"
        "1 nvme-log warning=4 kelvin=310 spare=90 spare-threshold=10 hours=77 media-errors=2\n"
        "2 open-fails code=21\n"
        "3 failing-spf bus=7\n"
        "4 smart-query-fails code=31\n"
        "5 identity-fails code=1117\n",
        "standard-user\n"
        "0 healthy bus=11\n0 attribute id=5 flags=0x33 current=36 worst=36 raw=1864 threshold=36\n"
        "1 healthy bus=17\n1 nvme-log warning=1 spare=4 spare-threshold=10\n",
    };
    for (const char* machine : machines) {
        SCOPED_TRACE(machine);
        replyFiles.files.clear();
        replyFiles.folders = {"C:"};
        script(machine);
        const std::vector<std::vector<std::string>> formats = {{"--details"}, {"--format", "json"}};
        int histories = 0;
        const auto ownHistory = [&histories](std::vector<std::string> arguments) {
            arguments.insert(arguments.end(), {"--history", "C:\\records\\" + std::to_string(++histories) + ".dat"});
            return arguments;
        };
        std::vector<ReportOutcome> live;
        for (const auto& format : formats) live.push_back(run(ownHistory(format)));
        std::vector<std::string> saving = formats[1];
        saving.insert(saving.end(), {"--save-replies", repliesPath + "\\"});
        const ReportOutcome saved = run(ownHistory(saving));
        EXPECT_EQ(saved.output, live[1].output);
        EXPECT_EQ(saved.errors, "");

        script("");  // the drives are gone: only the folder answers
        for (std::size_t i = 0; i < formats.size(); ++i) {
            std::vector<std::string> replaying = formats[i];
            replaying.insert(replaying.end(), {"--replay", repliesPath});
            const ReportOutcome replayed = run(ownHistory(replaying));
            EXPECT_EQ(replayed.output, live[i].output);
            EXPECT_EQ(replayed.exitCode, live[i].exitCode);
            EXPECT_EQ(replayed.errors, "");
        }
    }
    // The standard user's machine: both opens refused for reading and writing, the SMART reads too.
    EXPECT_EQ(savedFile("drive0\\open.error"), "5");
    EXPECT_EQ(savedFile("drive0\\smart-data.error"), "5");
    EXPECT_EQ(savedFile("drive1\\nvme-log.bin").size(), 560u);
    EXPECT_EQ(savedFile("drive0\\descriptor.bin")[28], '\x0B') << "bus type SATA";
    EXPECT_FALSE(replyFiles.exists(repliesPath + "\\drive2")) << "no drive, no folder";
    EXPECT_EQ(volumes.freeSpaceQueries['C'], 10) << "every run asked the volumes";
}

TEST_F(ReportRun, SavedRepliesHoldEachRequestOrItsError) {
    script(
        "0 healthy bus=11\n0 attribute id=9 flags=0x32 current=90 worst=90 raw=1234\n"
        "2 open-fails code=21\n4 smart-query-fails code=31\n");
    EXPECT_EQ(run({"--save-replies", repliesPath}).exitCode, 0);
    for (const char* request :
         {"descriptor", "smart-version", "predict-failure", "smart-status", "smart-data", "smart-thresholds"})
        EXPECT_TRUE(replyFiles.exists(repliesPath + "\\drive0\\" + request + ".bin")) << request;
    EXPECT_EQ(savedFile("drive0\\smart-version.bin").size(), 24u);
    EXPECT_EQ(savedFile("drive0\\smart-data.bin").size(), 528u);
    EXPECT_EQ(savedFile("drive0\\temperature.error"), "50");
    EXPECT_FALSE(replyFiles.exists(repliesPath + "\\drive0\\nvme-log.bin")) << "not asked of a SATA drive";
    EXPECT_FALSE(replyFiles.exists(repliesPath + "\\drive0\\open.error"));
    EXPECT_EQ(savedFile("drive2\\open.error"), "21");
    EXPECT_EQ(savedFile("drive4\\smart-status.error"), "31");
    EXPECT_FALSE(replyFiles.exists(repliesPath + "\\drive1"));
}

// A folder that cannot serve is refused in the format asked for, before anything is probed: one
// to save into that exists, and one to replay that holds no drive's replies (missing, a file,
// an empty folder, a folder of other files).
TEST_F(ReportRun, RepliesFoldersThatCannotServeAreRefused) {
    script("0 healthy\n");
    replyFiles.folders.insert(repliesPath);
    const ReportOutcome existing = run({"--format", "nagios", "--save-replies", repliesPath});
    EXPECT_EQ(existing.exitCode, 3);
    EXPECT_EQ(existing.output, "KESTRINE UNKNOWN - 'C:\\replies' exists already; name a new folder for the replies\n");
    EXPECT_EQ(existing.errors, "kestrine-report: 'C:\\replies' exists already; name a new folder for the replies\n");

    replyFiles.files["C:\\replies.zip"] = {0x50, 0x4B, 0x03, 0x04};
    replyFiles.files[repliesPath + "\\drive.txt"] = {0x31};
    replyFiles.folders.insert(repliesPath + "\\drive16");
    replyFiles.folders.insert("C:\\empty");
    for (const std::string& folder :
         std::vector<std::string>{"C:\\nothing\\", "C:\\replies.zip", "C:\\empty", repliesPath}) {
        const ReportOutcome json = run({"--replay", folder, "--format", "json"});
        EXPECT_EQ(json.exitCode, 3) << folder;
        EXPECT_TRUE(testing::StrictJson::accepts(json.output)) << json.output;
        std::string escaped;  // each backslash doubled, as JSON writes it
        for (const char c : folder) escaped += c == '\\' ? std::string(2, c) : std::string(1, c);
        EXPECT_TRUE(has(json.output, "\"exitCode\": 3,\n  \"reason\": \"no saved replies in " + escaped + "\",\n"))
            << json.output;
        EXPECT_EQ(json.errors, "kestrine-report: no saved replies in " + folder + "\n");
        EXPECT_EQ(run({"--replay", folder}).output,
                  "Kestrine 1.0, 2026-12-07T15:24:30Z\nStatus: UNKNOWN - no saved replies in " + folder + "\n");
    }
    EXPECT_EQ(volumes.freeSpaceQueries.size(), 0u);
    replyFiles.folders.insert(repliesPath + "\\drive15");
    EXPECT_EQ(run({"--replay", repliesPath}).exitCode, 0) << "drive 15 is the last the probe asks for";

    // Replies that cannot be written: the report is printed, but unknown.
    replyFiles.folders.erase(repliesPath);
    replyFiles.failReplaces = true;
    const ReportOutcome unsaved = run({"--format", "nagios", "--save-replies", repliesPath});
    EXPECT_EQ(unsaved.exitCode, 3);
    EXPECT_EQ(unsaved.errors, "kestrine-report: cannot save the replies into 'C:\\replies'\n");
    EXPECT_TRUE(unsaved.output.starts_with(
        "KESTRINE UNKNOWN - 1 drive and 2 volumes ok; the drives' replies could not be saved |"))
        << unsaved.output;
}

const std::string historyPath = programData + "\\VTN\\KSTM\\KSTMH.dat";

// A drive with this many reallocated sectors, as its raw value gives them.
std::string reallocating(int sectors) {
    return "0 healthy vendor=ACME product=X100 serial=3132\n0 attribute id=5 flags=0x33 current=100 worst=100 raw=" +
           std::to_string(sectors) + " threshold=36\n";
}

// Each run records; what --accept accepted is ok until it grows, and is accepted again.
TEST_F(ReportRun, EachRunRecordsAndJudgesAgainstWhatWasAccepted) {
    const struct {
        int sectors;
        std::vector<std::string> arguments;
        int exitCode;
        const char* nagiosStart;
    } runs[] = {
        {8, {}, 1, "KESTRINE WARNING - Disk 0 reallocated sectors: 8 |"},
        {8, {"--accept", "all"}, 0, "KESTRINE OK - 1 drive and 2 volumes ok |"},
        {8, {}, 0, "KESTRINE OK - 1 drive and 2 volumes ok |"},
        {9, {}, 1, "KESTRINE WARNING - Disk 0 reallocated sectors: 9, 8 accepted |"},
        {9, {"--accept", "0"}, 0, "KESTRINE OK - 1 drive and 2 volumes ok |"},
    };
    for (const auto& r : runs) {
        script(reallocating(r.sectors));
        std::vector<std::string> arguments{"--format", "nagios"};
        arguments.insert(arguments.end(), r.arguments.begin(), r.arguments.end());
        const ReportOutcome outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, r.exitCode) << r.nagiosStart;
        EXPECT_TRUE(outcome.output.starts_with(r.nagiosStart)) << outcome.output;
    }
    EXPECT_EQ(historyFiles.folders.count(programData + "\\VTN\\KSTM"), 1u) << "made as the settings folders are";
    const ParsedHistory parsed = parseHistory(historyFiles.files.at(historyPath));
    ASSERT_EQ(parsed.status, HistoryFileStatus::Ok);
    ASSERT_EQ(parsed.history.drives.size(), 1u);
    EXPECT_EQ(parsed.history.drives[0].key, (DriveKey{"ACME X100", "12"}));
    EXPECT_EQ(parsed.history.drives[0].samples.size(), 5u);
    EXPECT_EQ(parsed.history.drives[0].acceptance.counts[0]->value, 9u);
    EXPECT_EQ(parsed.history.drives[0].samples[3].status, SampleStatus::Caution);
    EXPECT_EQ(lockFile.lastPath, programData + "\\VTN\\KSTM\\KSTMH.lock");
    const std::string json = run({"--format", "json"}).output;
    EXPECT_TRUE(has(json,
                    "\"cautions\": [{\"count\": \"reallocatedSectors\", \"value\": 9, \"accepted\": 9, "
                    "\"acceptedTime\": \"2026-12-07T15:24:30Z\", \"state\": \"accepted\"}], \"history\": "
                    "{\"firstSample\": \"2026-12-07T15:24:30Z\", \"samples\": 6, \"lastAccepted\": "
                    "\"2026-12-07T15:24:30Z\"}"))
        << json;
}

TEST_F(ReportRun, AReplayRecordsOnlyIntoAHistoryItIsGiven) {
    script(reallocating(8));
    ASSERT_EQ(run({"--save-replies", repliesPath}).exitCode, 1);
    const Bytes recorded = historyFiles.files.at(historyPath);
    script("");
    EXPECT_EQ(run({"--replay", repliesPath, "--format", "nagios"}).exitCode, 1);
    EXPECT_EQ(historyFiles.files.at(historyPath), recorded) << "a replay leaves the history alone";
    const std::string own = "C:\\records\\replayed.dat";
    EXPECT_EQ(run({"--replay", repliesPath, "--history", own, "--accept", "all"}).exitCode, 0);
    EXPECT_EQ(parseHistory(historyFiles.files.at(own)).history.drives.at(0).samples.size(), 1u);
    EXPECT_EQ(lockFile.lastPath, own + ".lock");
    EXPECT_EQ(historyFiles.files.at(historyPath), recorded);
}

// What became of the history is a problem of the run: unknown when all is well, and never
// hiding a warning.
TEST_F(ReportRun, AHistoryNotRecordedOrSetAsideIsToldAsAProblemOfTheRunOnce) {
    script(reallocating(0));
    historyFiles.folders.insert(programData + "\\VTN");
    historyFiles.folders.insert(programData + "\\VTN\\KSTM");
    Bytes damaged = serializeHistory(History{});
    damaged.back() ^= 1;
    historyFiles.files[historyPath] = damaged;
    const ReportOutcome first = run({"--format", "nagios"});
    EXPECT_EQ(first.exitCode, 3);
    EXPECT_TRUE(first.output.starts_with(
        "KESTRINE UNKNOWN - 1 drive and 2 volumes ok; the health history KSTMH.dat was damaged (checksum does not "
        "match) and set aside as KSTMH.dat.damaged-20261207T152430Z; recording started again |"))
        << first.output;
    EXPECT_EQ(historyFiles.files.at(historyPath + ".damaged-20261207T152430Z"), damaged);
    EXPECT_EQ(run({}).exitCode, 0) << "told once";

    const struct {
        std::function<void()> arrange;
        std::vector<std::string> arguments;
        const char* reason;
    } problems[] = {
        {[] {}, {"--accept", "7"}, "1 drive and 2 volumes ok; nothing was accepted: the health of disk 7 was not read"},
        {[this] { lockFile.held = true; },
         {},
         "1 drive and 2 volumes ok; the health history KSTMH.dat was not recorded: another program held its lock"},
        {[this] {
             lockFile.held = false;
             historyFiles.failReads = true;
             historyFiles.failingReadError = 5;
         },
         {},
         "1 drive and 2 volumes ok; the health history KSTMH.dat was not recorded: it could not be read: Access is "
         "denied. (error 5)"},
        {[this] {
             historyFiles.failReads = false;
             elevated = true;
             historyFiles.facts[programData + "\\VTN"] = FolderFacts{false, FolderOwner::SomeoneElse};
         },
         {},
         "1 drive and 2 volumes ok; the health history was not recorded: another user could have redirected "
         "C:\\\\ProgramData\\\\VTN"},
        {[this] { elevated = false; },
         {"--history", "C:\\nowhere\\h.dat"},
         "1 drive and 2 volumes ok; the health history h.dat was not recorded: it could not be written: The system "
         "cannot find the path specified. (error 3)"},
    };
    messages.texts[3] = "The system cannot find the path specified.\r\n";
    for (const auto& p : problems) {
        p.arrange();
        std::vector<std::string> arguments{"--format", "json"};
        arguments.insert(arguments.end(), p.arguments.begin(), p.arguments.end());
        const ReportOutcome outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, 3) << p.reason;
        EXPECT_TRUE(has(outcome.output, std::string("\"reason\": \"") + p.reason + "\""))
            << outcome.output.substr(0, 300);
    }
    EXPECT_EQ(pause.waited, 2000u) << "the lock was waited for";
    script(reallocating(5));
    elevated = true;
    EXPECT_TRUE(run({"--format", "nagios"})
                    .output.starts_with("KESTRINE WARNING - Disk 0 reallocated sectors: 5; the health history was not "
                                        "recorded: another user could have redirected C:\\ProgramData\\VTN |"));
}

}  // namespace
}  // namespace kestrine
