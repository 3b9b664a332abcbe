// The console report from outside, as a scheduler or a monitoring agent runs it: its exit
// status, its standard output and error, the settings file it only reads, and a window
// program running beside it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <winioctl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "resource.h"
#include "version.h"
#include "win32_fault_probes.h"
#include "win32_polling.h"
#include "win32_process.h"
#include "win32_program_run.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

using support::ConsoleRun;

ConsoleRun report(const std::string& arguments, const char* exeName = "kestrine_report_scripted.exe") {
    ConsoleRun run = support::runConsoleBesideMe(exeName, arguments, patientMs);
    EXPECT_TRUE(run.finished) << exeName << " " << arguments;
    return run;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> sortedEntries(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder);
    std::sort(names.begin(), names.end());
    return names;
}

// Volumes warn only below 1 % free, so that the drives alone decide the status.
Bytes quietVolumeSettings() {
    Bytes bytes = defaultSettings();
    bytes[defaultPercentAt] = 1;
    return bytes;
}

double percentFreeOfC() {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("C:\\", &available, &total, &free) || total.QuadPart == 0) return 100.0;
    return 100.0 * static_cast<double>(free.QuadPart) / static_cast<double>(total.QuadPart);
}

TEST(Report, ExitStatusFollowsTheScriptedDrives) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    struct Case {
        const char* drives;
        DWORD exitCode;
        const char* line;
    };
    const Case cases[] = {
        {"0 healthy vendor=ACME product=X100\n1 smart-unsupported bus=7 removable=1\n", 0,
         "KESTRINE OK - 2 drives and "},
        {"0 healthy\n3 failing-spf\n", 2, "KESTRINE CRITICAL - Disk 3 predicts failure |"},
        {"standard-user\n0 failing-spf\n", 2,
         "KESTRINE CRITICAL - Disk 0 predicts failure; SMART data not read: it needs administrator rights |"},
        {"0 threshold-exceeded\n", 2, "KESTRINE CRITICAL - Disk 0 predicts failure |"},
    };
    for (const Case& c : cases) {
        ScenarioFile drives(c.drives);
        const ConsoleRun run = report("--format nagios");
        EXPECT_EQ(run.exitCode, c.exitCode) << c.drives;
        EXPECT_TRUE(run.output.starts_with(c.line)) << c.drives << run.output;
        EXPECT_EQ(run.errors, "") << c.drives;
    }
}

// A metrics file in a folder that does not exist: the failing drives still make the run
// critical, and the reason and standard error say why the file was not written, in the
// system's words with its error code.
TEST(Report, MetricsWriteFailureKeepsTheVerdictAndSaysWhy) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 failing-spf\n1 failing-spf\n");
    const ConsoleRun run = report("--format nagios --prometheus C:\\no-such-folder\\kestrine.prom");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_TRUE(
        run.output.starts_with("KESTRINE CRITICAL - Disk 0 predicts failure; Disk 1 predicts failure; the "
                               "metrics file could not be written: "))
        << run.output;
    EXPECT_TRUE(has(run.output, " (error 3) |")) << run.output;
    EXPECT_TRUE(
        run.errors.starts_with("kestrine-report: cannot write the metrics file 'C:\\no-such-folder\\kestrine.prom': "))
        << run.errors;
}

// A standard user: the plugin line says that SMART was not read, the exit code is the
// verdict's.
TEST(Report, StandardUsersStatusLineSaysSmartWasNotRead) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("standard-user\n0 healthy\n");
    const ConsoleRun run = report("--format nagios");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.output.starts_with("KESTRINE OK - 1 drive and ")) << run.output;
    EXPECT_TRUE(has(run.output, " ok; SMART data not read: it needs administrator rights |")) << run.output;
}

// Wine's volumes are real: C: is put below a percent of its own just above what it has free.
TEST(Report, VolumeBelowItsOwnPercentExitsOne) {
    const double percent = percentFreeOfC();
    const auto limit = static_cast<std::uint32_t>(std::floor(percent)) + 2;
    if (limit > 50) GTEST_SKIP() << "C: has " << percent << " % free; a warning percent stops at 50";
    Bytes settings = quietVolumeSettings();
    testing::putLe32(settings, ownPercentAt(2), limit);
    settings[useDefaultAt(2)] = 0;
    ASSERT_TRUE(writeSettings(settings));
    ScenarioFile drives("0 healthy\n");
    const ConsoleRun run = report("--format nagios");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.output.starts_with("KESTRINE WARNING - C: ")) << run.output;
    EXPECT_TRUE(has(run.output, " free, below " + std::to_string(limit) + " % |")) << run.output;
    EXPECT_TRUE(unchangedSincePrepared());
}

// An ATA drive's attribute table and an NVMe drive's health log, replayed by the scripted
// drives: the text's health block, the whole table with --details, and the JSON's health.
TEST(Report, AtaDriveGivesItsAttributesAndTemperature) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives(
        "0 healthy vendor=ACME product=X100 bus=11\n"
        "0 attribute id=5 flags=0x33 current=100 worst=100 raw=0 threshold=10\n"
        "0 attribute id=9 flags=0x32 current=95 worst=95 raw=8000\n"
        "0 attribute id=194 flags=0x22 current=67 worst=52 raw=0x2D00140021\n"
        "0 temperature current=34 warning=70 critical=80\n");
    const ConsoleRun text = report("--details");
    EXPECT_EQ(text.exitCode, 0u) << text.output;
    EXPECT_TRUE(has(text.output,
                    "  Health (ATA SMART): temperature 33 C, power-on 8000 hours, reallocated 0\n"
                    "    ID   Attribute                  Flags   Current  Worst  Threshold  Raw           "
                    "Pre-failure  Failing now\n"
                    "    5    Reallocated Sectors Count  0x0033  100      100    10         0             yes          "
                    "no\n"))
        << text.output;
    EXPECT_TRUE(has(text.output, "    Temperature property: 34 C (warning 70 C, critical 80 C)\n")) << text.output;

    const ConsoleRun json = report("--format json");
    EXPECT_TRUE(has(json.output,
                    "\"health\": {\"source\": \"ata_smart\", \"critical\": false, "
                    "\"temperatureCelsius\": 33, \"ata\": {\"attributes\": [{\"id\": 5,"))
        << json.output;
    EXPECT_TRUE(has(json.output, "\"raw\": 193274839073, \"preFailure\": false")) << json.output;
}

TEST(Report, NvmeCriticalWarningExitsTwo) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives(
        "0 healthy vendor=ACME bus=11\n"
        "1 healthy vendor=NVMe product=Fast bus=17\n"
        "1 nvme-log warning=1 kelvin=318 spare=4 spare-threshold=10 used=107 written=18446744073709551615 "
        "hours=21345 media-errors=3\n");
    const ConsoleRun nagios = report("--format nagios");
    EXPECT_EQ(nagios.exitCode, 2u);
    EXPECT_TRUE(nagios.output.starts_with("KESTRINE CRITICAL - Disk 1 NVMe critical warning: spare below threshold |"))
        << nagios.output;
    const ConsoleRun json = report("--format json");
    EXPECT_EQ(json.exitCode, 2u);
    EXPECT_TRUE(has(json.output,
                    "\"health\": {\"source\": \"nvme_log\", \"critical\": true, "
                    "\"temperatureCelsius\": 45, \"nvme\": {\"criticalWarning\": 1, "
                    "\"criticalWarnings\": [\"spare below threshold\"]"))
        << json.output;
    EXPECT_TRUE(has(json.output, "\"dataUnitsWritten\": \"18446744073709551615\"")) << json.output;
    // Drive 0 scripts no attribute table: its driver refuses the SMART reads.
    EXPECT_TRUE(has(json.output,
                    "\"source\": \"none\", \"critical\": false, \"temperatureCelsius\": null, "
                    "\"unavailableReason\": \"the driver refused the request with error 1\""))
        << json.output;
}

// The real program on Wine's own disk: its requests fail, and the report says why. Its bus is
// SCSI and it refuses the SMART requests, so it is asked through SCSI pass-through, which Wine
// does not take either. It finds the window's settings file without the shell's help.
TEST(Report, WinesDiskHasNoHealthSourceAndAReason) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    const ConsoleRun json = report("--format json", "kestrine-report.exe");
    EXPECT_EQ(json.exitCode, 0u) << json.output;
    EXPECT_TRUE(has(json.output, "\"source\": \"settings_file\"")) << json.output;
    EXPECT_TRUE(has(json.output,
                    "\"health\": {\"source\": \"none\", \"critical\": false, "
                    "\"temperatureCelsius\": null, \"unavailableReason\": \"SMART READ DATA through SCSI "
                    "pass-through: the driver refused the request with error 50\", \"bridge\": "
                    "{\"model\": \"\", \"serial\": \"\", \"identityUnavailableReason\": \"IDENTIFY DEVICE "
                    "through SCSI pass-through: the driver refused the request with error 50\", "
                    "\"smartStatus\": \"unknown\","))
        << json.output;
    const ConsoleRun text = report("", "kestrine-report.exe");
    EXPECT_TRUE(has(text.output,
                    "  Health: not available - SMART READ DATA through SCSI pass-through: the driver "
                    "refused the request with error 50\n\nVolume"))
        << text.output;
}

std::string fileText(const std::string& path) {
    std::string text;
    char buffer[4096];
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

// The descriptor of drive 0 as the storage stack gives it, with the count it returns; opened
// as the report opens it, for reading and writing, else without access.
std::string descriptorOfDriveZero() {
    UniqueHandle drive;
    for (const DWORD access : {DWORD{GENERIC_READ | GENERIC_WRITE}, DWORD{0}}) {
        drive = UniqueHandle(CreateFileA("\\\\.\\PhysicalDrive0", access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        if (drive.valid()) break;
    }
    STORAGE_PROPERTY_QUERY query{};
    std::string reply(8192, '\0');
    DWORD returned = 0;
    if (!drive.valid() || !DeviceIoControl(drive.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                                           reply.data(), static_cast<DWORD>(reply.size()), &returned, nullptr))
        return "";
    return reply.substr(0, returned);
}

// The JSON report without its time and the volumes, whose free space moves between two runs
// (a replay reads saved drive replies, but the volumes as they are).
std::string drivesPart(std::string json) {
    const std::size_t time = json.find("\"time\": ");
    if (time != std::string::npos) json.erase(time, json.find('\n', time) - time);
    return json.substr(0, json.find("\"volumes\": "));
}

// Save what Wine's drive 0 answers, then report from the folder alone: the same report.
TEST(Report, SavedRepliesOfWinesDiskReplayToTheSameReport) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    const std::string folder = std::string(temporary) + "kestrine-replies-" + std::to_string(GetCurrentProcessId());
    const ConsoleRun saved = report("--format json --save-replies \"" + folder + "\"", "kestrine-report.exe");
    EXPECT_EQ(saved.exitCode, 0u) << saved.errors;
    EXPECT_EQ(saved.errors, "");
    const std::string descriptor = fileText(folder + "\\drive0\\descriptor.bin");
    EXPECT_GT(descriptor.size(), 36u);
    EXPECT_EQ(descriptor, descriptorOfDriveZero()) << "as long as the driver said, byte for byte";
    EXPECT_EQ(fileText(folder + "\\drive0\\temperature.error"), "50");

    const ConsoleRun replayed = report("--format json --replay \"" + folder + "\"", "kestrine-report.exe");
    EXPECT_EQ(replayed.exitCode, saved.exitCode);
    EXPECT_EQ(replayed.errors, "");
    EXPECT_EQ(drivesPart(replayed.output), drivesPart(saved.output));
    EXPECT_TRUE(has(replayed.output, "\"bus\": \"SCSI\"")) << replayed.output;

    const ConsoleRun again = report("--save-replies \"" + folder + "\"", "kestrine-report.exe");
    EXPECT_EQ(again.exitCode, 3u) << "a folder that exists is not written into";
    EXPECT_TRUE(again.output.ends_with("\nStatus: UNKNOWN - '" + folder +
                                       "' exists already; name a new folder for the replies\n"))
        << again.output;

    std::string removal = folder + std::string(2, '\0');  // SHFileOperation's list of one path
    SHFILEOPSTRUCTA remove{};
    remove.wFunc = FO_DELETE;
    remove.pFrom = removal.c_str();
    remove.fFlags = FOF_NO_UI;
    EXPECT_EQ(SHFileOperationA(&remove), 0);
}

// A run refused before it probes (bad arguments, a replay folder without a saved drive) exits 3
// and prints its problem in the format asked for: text without one.
TEST(Report, RefusedRunsPrintTheirProblemInTheFormatAskedFor) {
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    const std::string empty = std::string(temporary) + "kestrine-empty-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    const struct {
        std::string arguments;
        std::string output;  // all of it, or for the text the end after the version line
    } rows[] = {
        {"--format xml", "\nStatus: UNKNOWN - unknown format 'xml' (text, json or nagios)\n"},
        {"--bogus --format=nagios", "KESTRINE UNKNOWN - unknown option '--bogus'\n"},
        {"--format json --bogus",
         "  \"status\": \"unknown\",\n  \"exitCode\": 3,\n  \"reason\": \"unknown option '--bogus'\",\n"
         "  \"thresholds\": {\"source\": \"not_read\", \"text\": \"not read\"},\n  \"drives\": [],\n"
         "  \"volumes\": []\n}\n"},
        {"--format nagios --replay \"" + empty + "\"", "KESTRINE UNKNOWN - no saved replies in " + empty + "\n"},
    };
    for (const auto& row : rows) {
        const ConsoleRun run = report(row.arguments, "kestrine-report.exe");
        EXPECT_EQ(run.exitCode, 3u) << row.arguments;
        EXPECT_TRUE(run.output.ends_with(row.output)) << row.arguments << "\n" << run.output;
        EXPECT_TRUE(run.errors.starts_with("kestrine-report: ")) << run.errors;
    }
    EXPECT_TRUE(report("--format xml", "kestrine-report.exe").output.starts_with("Kestrine " KESTRINE_VERSION ", "));
    EXPECT_TRUE(
        report("--bogus", "kestrine-report.exe")
            .errors.ends_with("usage: kestrine-report [--format text|json|nagios] [--details] [--prometheus FILE] "
                              "[--save-replies DIR | --replay DIR] [--history FILE] [--accept all|N] [--help] "
                              "[--version]\n"));
    EXPECT_TRUE(RemoveDirectoryA(empty.c_str()));
}

bool isUtf8(const std::string& text) {
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

// Redirected, the text report is UTF-8 throughout: a drive name in the code page is converted,
// as the volume labels read with the wide call are.
TEST(Report, RedirectedTextIsUtf8Throughout) {
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy vendor=Caf\xe9 product=X100 bus=11\n");
    const ConsoleRun run = report("");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_TRUE(has(run.output, "\nDisk 0  Caf\xC3\xA9 X100  ")) << run.output;
    EXPECT_TRUE(has(run.output, "  KESTRINE  ")) << "C:'s label\n" << run.output;
    EXPECT_TRUE(isUtf8(run.output)) << run.output;
}

TEST(Report, VersionIsTheProgramsVersion) {
    const ConsoleRun run = report("--version", "kestrine-report.exe");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "kestrine-report " KESTRINE_VERSION "\n");
}

// The settings folders are made for the health history, but no settings file.
TEST(Report, MissingSettingsFileGivesTheDefaultsAndCreatesNoSettingsFile) {
    resetSettingsFolder();
    removePath(settingsFolder());
    const std::string vtn = settingsFolder().substr(0, settingsFolder().rfind('\\'));
    removePath(vtn);
    ASSERT_FALSE(isFolder(vtn));
    ScenarioFile drives("0 healthy\n");
    const ConsoleRun run = report("--format json");
    EXPECT_LE(run.exitCode, 1u);
    EXPECT_TRUE(has(run.output, "\"source\": \"defaults_file_missing\"")) << run.output;
    EXPECT_TRUE(has(run.output, "\"warningPercent\": 10, \"warningPercentFrom\": \"default\"")) << run.output;
    EXPECT_EQ(sortedEntries(settingsFolder()), (std::vector<std::string>{"KSTMH.dat", "KSTMH.lock"}));
}

// Each run records the drive's health beside the settings file; what --accept accepted warns
// again only once it grows.
TEST(Report, AcceptedHealthIsOkUntilTheCountGrows) {
    resetSettingsFolder();
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    const auto reallocating = [](int sectors) {
        return "0 healthy vendor=ACME product=X100 serial=3132\n0 attribute id=5 flags=0x33 current=100 worst=100 "
               "threshold=36 raw=" +
               std::to_string(sectors) + "\n";
    };
    const struct {
        int sectors;
        const char* arguments;
        DWORD exitCode;
        const char* line;
    } runs[] = {
        {8, "--format nagios", 1, "KESTRINE WARNING - Disk 0 reallocated sectors: 8 |"},
        {8, "--format nagios --accept 0", 0, "KESTRINE OK - 1 drive and "},
        {8, "--format nagios", 0, "KESTRINE OK - 1 drive and "},
        {12, "--format nagios", 1, "KESTRINE WARNING - Disk 0 reallocated sectors: 12, 8 accepted |"},
    };
    for (const auto& r : runs) {
        ScenarioFile drives(reallocating(r.sectors));
        const ConsoleRun run = report(r.arguments);
        EXPECT_EQ(run.exitCode, r.exitCode) << r.arguments;
        EXPECT_TRUE(run.output.starts_with(r.line)) << run.output;
        EXPECT_EQ(run.errors, "");
    }
    ScenarioFile drives(reallocating(12));
    const ConsoleRun json = report("--format json");
    EXPECT_TRUE(has(json.output, "{\"count\": \"reallocatedSectors\", \"value\": 12, \"accepted\": 8, "))
        << json.output;
    EXPECT_TRUE(has(json.output, "\"state\": \"grown\"}], \"history\": {\"firstSample\": \"")) << json.output;
    EXPECT_TRUE(has(json.output, "\"samples\": 5, ")) << json.output;
    EXPECT_EQ(sortedEntries(settingsFolder()), (std::vector<std::string>{"KSTMC.dat", "KSTMH.dat", "KSTMH.lock"}))
        << "no replacement left behind";
}

// A short file or another version gives the defaults; a default percent of 0 is read, and
// judged at 1 as the window judges it. No file is touched.
TEST(Report, InvalidSettingsFileGivesTheDefaultsAndStaysUntouched) {
    Bytes shortFile = quietVolumeSettings();
    shortFile.resize(100);
    Bytes oldVersion = quietVolumeSettings();
    oldVersion[0] = 2;
    Bytes zeroPercent = defaultSettings();
    zeroPercent[defaultPercentAt] = 0;
    ScenarioFile drives("0 healthy\n");
    // The stored 0 is named as a problem of the run: unknown, unless a volume warns.
    const struct {
        Bytes file;
        const char* source;
        const char* percent;
        const char* problem;
    } rows[] = {{shortFile, "defaults_file_invalid", "10", nullptr},
                {oldVersion, "defaults_file_invalid", "10", nullptr},
                {zeroPercent, "settings_file", "1",
                 "warning percent 0 in the settings file is out of range 1 to 50, judged at 1 %"}};
    for (const auto& row : rows) {
        const Bytes& file = row.file;
        resetSettingsFolder();
        ASSERT_TRUE(writeSettings(file));
        const ConsoleRun run = report("--format json");
        if (row.problem) {
            EXPECT_TRUE(has(run.output, row.problem)) << run.output;
            EXPECT_TRUE(run.exitCode == 3u || run.exitCode == 1u) << run.exitCode;
        } else {
            EXPECT_LE(run.exitCode, 1u);
        }
        EXPECT_TRUE(has(run.output, std::string("\"source\": \"") + row.source + '"')) << run.output;
        EXPECT_TRUE(has(run.output,
                        std::string("\"warningPercent\": ") + row.percent + ", \"warningPercentFrom\": \"default\""))
            << run.output;
        Bytes after;
        ASSERT_TRUE(readSettings(after));
        EXPECT_EQ(after, file);
        EXPECT_TRUE(unchangedSincePrepared());
        // The settings file, and beside it the health history the report recorded, nothing else.
        EXPECT_EQ(sortedEntries(settingsFolder()), (std::vector<std::string>{"KSTMC.dat", "KSTMH.dat", "KSTMH.lock"}));
    }
}

bool trayIconExists(HWND owner) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = 2;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Reports one after another on a thread of their own, until stopped.
class ReportLoop {
public:
    ReportLoop()
        : thread_([this] {
              while (!stop_) {
                  ConsoleRun run =
                      support::runConsoleBesideMe("kestrine_report_scripted.exe", "--format json", patientMs);
                  const std::lock_guard<std::mutex> lock(mutex_);
                  runs_.push_back(std::move(run));
              }
          }) {}
    ~ReportLoop() { finish(); }
    std::size_t count() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return runs_.size();
    }
    std::vector<ConsoleRun> finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return runs_;
    }

private:
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<ConsoleRun> runs_;
    std::thread thread_;
};

// Reports keep running while the window runs hidden, hands over to a second start and saves
// a change at its end: the report never brings the window forward, the tray icon stays, the
// hand-over works, the save lands, and every report read the file as it stood.
TEST(Report, RunsBesideTheWindowWhileItRunsHandsOverAndSaves) {
    resetSettingsFolder();
    ASSERT_TRUE(writeSettings(quietVolumeSettings()));
    ScenarioFile drives("0 healthy vendor=ACME\n");
    ProgramRun window(Program::Scripted);
    ASSERT_TRUE(window.waitForFirstRefresh());
    window.command(ID_WINDOW_HIDE);
    ASSERT_TRUE(waitUntil([&] { return !IsWindowVisible(window.window()); }));

    ReportLoop reports;
    ASSERT_TRUE(waitUntil([&] { return reports.count() >= 3; }));
    EXPECT_FALSE(IsWindowVisible(window.window()));
    EXPECT_TRUE(trayIconExists(window.window()));

    ProgramRun second(Program::Scripted);
    EXPECT_TRUE(second.waitForExit(patientMs));
    EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(window.window()) != FALSE; }));
    EXPECT_EQ(countWindows(mainTitle, 0), 1);

    clickButton(window.control(IDC_DEFAULT_UP));
    ASSERT_EQ(window.controlText(IDC_DEFAULT_PERCENT), "2");
    const std::size_t beforeExit = reports.count();
    window.command(ID_FILE_EXIT);
    ASSERT_TRUE(window.waitForExit(patientMs));
    ASSERT_TRUE(waitUntil([&] { return reports.count() >= beforeExit + 2; }));
    const std::vector<ConsoleRun> runs = reports.finish();

    Bytes saved;
    ASSERT_TRUE(readSettings(saved));
    ASSERT_EQ(saved.size(), settingsSize);
    EXPECT_EQ(saved[defaultPercentAt], 2);
    // The settings file, and beside it the health history the report recorded, nothing else.
    EXPECT_EQ(sortedEntries(settingsFolder()), (std::vector<std::string>{"KSTMC.dat", "KSTMH.dat", "KSTMH.lock"}));
    for (const ConsoleRun& run : runs) {
        EXPECT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0u) << run.output << run.errors;
        EXPECT_TRUE(has(run.output, "\"source\": \"settings_file\"")) << run.output;
    }
}

}  // namespace
}  // namespace kestrine::e2e
