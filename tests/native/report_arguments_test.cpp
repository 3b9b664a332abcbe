#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/report_arguments.h"

namespace kestrine {
namespace {

struct Accepted {
    std::vector<std::string> arguments;
    ReportFormat format;
    const char* prometheusFile;
    bool help, version;
    bool details = false;
    const char* saveRepliesFolder = "";
    const char* replayFolder = "";
    const char* historyFile = "";
    AcceptScope accept = AcceptScope::None;
    int acceptDrive = 0;
};

const Accepted accepted[] = {
    {{}, ReportFormat::Text, "", false, false},
    {{"--format", "text"}, ReportFormat::Text, "", false, false},
    {{"--format", "json"}, ReportFormat::Json, "", false, false},
    {{"--format", "nagios", "--prometheus", "C:\\exporter\\kestrine.prom"},
     ReportFormat::Nagios,
     "C:\\exporter\\kestrine.prom",
     false,
     false},
    {{"--prometheus", "-"}, ReportFormat::Text, "-", false, false},
    {{"--help"}, ReportFormat::Text, "", true, false},
    {{"--version", "--format", "json"}, ReportFormat::Json, "", false, true},
    {{"--details"}, ReportFormat::Text, "", false, false, true},
    {{"--details", "--format", "text"}, ReportFormat::Text, "", false, false, true},
    {{"--format=json"}, ReportFormat::Json, "", false, false},
    {{"--prometheus=C:\\a=b.prom", "--format=nagios"}, ReportFormat::Nagios, "C:\\a=b.prom", false, false},
    {{"-h"}, ReportFormat::Text, "", true, false},
    {{"/?", "--format", "json"}, ReportFormat::Json, "", true, false},
    {{"--format", "json", "--details"}, ReportFormat::Json, "", false, false, true},  // JSON always has all
    {{"--save-replies", "C:\\saved", "--format", "json"}, ReportFormat::Json, "", false, false, false, "C:\\saved"},
    {{"--replay", "saved\\", "--prometheus", "m"}, ReportFormat::Text, "m", false, false, false, "", "saved\\"},
    {{"--history", "C:\\h.dat", "--accept", "all"},
     ReportFormat::Text,
     "",
     false,
     false,
     false,
     "",
     "",
     "C:\\h.dat",
     AcceptScope::AllDrives},
    {{"--accept=15"}, ReportFormat::Text, "", false, false, false, "", "", "", AcceptScope::OneDrive, 15},
    {{"--accept", "03"}, ReportFormat::Text, "", false, false, false, "", "", "", AcceptScope::OneDrive, 3},
    {{"--replay", "r", "--accept", "0", "--history", "h"},
     ReportFormat::Text,
     "",
     false,
     false,
     false,
     "",
     "r",
     "h",
     AcceptScope::OneDrive,
     0},
};

TEST(ReportArguments, KnownOptionsAreTakenInAnyOrder) {
    for (const Accepted& a : accepted) {
        const ParsedArguments parsed = parseReportArguments(a.arguments);
        const std::string what = ::testing::PrintToString(a.arguments);
        ASSERT_TRUE(parsed.ok) << what << ": " << parsed.error;
        EXPECT_EQ(parsed.options.format, a.format) << what;
        EXPECT_EQ(parsed.options.prometheusFile, a.prometheusFile) << what;
        EXPECT_EQ(parsed.options.help, a.help) << what;
        EXPECT_EQ(parsed.options.version, a.version) << what;
        EXPECT_EQ(parsed.options.details, a.details) << what;
        EXPECT_EQ(parsed.options.saveRepliesFolder, a.saveRepliesFolder) << what;
        EXPECT_EQ(parsed.options.replayFolder, a.replayFolder) << what;
        EXPECT_EQ(parsed.options.historyFile, a.historyFile) << what;
        EXPECT_EQ(parsed.options.accept, a.accept) << what;
        EXPECT_EQ(parsed.options.acceptDrive, a.acceptDrive) << what;
    }
}

struct Refused {
    std::vector<std::string> arguments;
    const char* error;
};

const Refused refused[] = {
    {{"--verbose"}, "unknown option '--verbose'"},
    {{"--format=xml"}, "unknown format 'xml' (text, json or nagios)"},
    {{"--format="}, "option '--format' needs a value"},
    {{"--help=yes"}, "unknown option '--help=yes'"},
    {{"-H"}, "unknown option '-H'"},
    {{"/h"}, "unexpected argument '/h'"},
    {{"--details", "--format", "text", "--details"}, "option '--details' given twice"},
    {{"--help", "-h"}, "option '--help' given twice"},
    {{"/?", "--help"}, "option '--help' given twice"},
    {{"--version", "--version"}, "option '--version' given twice"},
    {{"--format=json", "--format", "text"}, "option '--format' given twice"},
    {{"/SystemTray"}, "unexpected argument '/SystemTray'"},
    {{"--format"}, "option '--format' needs a value"},
    {{"--prometheus"}, "option '--prometheus' needs a value"},
    {{"--prometheus", ""}, "option '--prometheus' needs a value"},
    {{"--prometheus", "--help"}, "option '--prometheus' needs a value"},
    {{"--format", "xml"}, "unknown format 'xml' (text, json or nagios)"},
    {{"--format", "JSON"}, "unknown format 'JSON' (text, json or nagios)"},
    {{"--format", "json", "--format", "text"}, "option '--format' given twice"},
    {{"--prometheus", "a", "--prometheus", "b"}, "option '--prometheus' given twice"},
    {{"--help", "--bogus"}, "unknown option '--bogus'"},
    {{"--detail"}, "unknown option '--detail'"},
    {{"--details=all"}, "unknown option '--details=all'"},
    {{"--prometheus", "--details"}, "option '--prometheus' needs a value"},
    {{"--save-replies"}, "option '--save-replies' needs a value"},
    {{"--replay", "--details"}, "option '--replay' needs a value"},
    {{"--replay", "a", "--replay", "b"}, "option '--replay' given twice"},
    {{"--save-replies", "a", "--replay", "b"}, "options '--save-replies' and '--replay' exclude each other"},
    {{"--accept", "16"}, "option '--accept' takes 'all' or a disk number 0 to 15, not '16'"},
    {{"--accept", "ALL"}, "option '--accept' takes 'all' or a disk number 0 to 15, not 'ALL'"},
    {{"--accept", "-1"}, "option '--accept' takes 'all' or a disk number 0 to 15, not '-1'"},
    {{"--accept=1x"}, "option '--accept' takes 'all' or a disk number 0 to 15, not '1x'"},
    {{"--accept", "100"}, "option '--accept' takes 'all' or a disk number 0 to 15, not '100'"},
    {{"--history"}, "option '--history' needs a value"},
    {{"--accept", "all", "--accept", "1"}, "option '--accept' given twice"},
    {{"--replay", "r", "--accept", "all"},
     "option '--accept' with '--replay' needs '--history FILE': a replay records no history"},
};

TEST(ReportArguments, EveryBadCommandLineIsRefusedWithOneLineNamingIt) {
    for (const Refused& r : refused) {
        const ParsedArguments parsed = parseReportArguments(r.arguments);
        const std::string what = ::testing::PrintToString(r.arguments);
        EXPECT_FALSE(parsed.ok) << what;
        EXPECT_EQ(parsed.error, r.error) << what;
    }
    EXPECT_EQ(badArgumentsExitCode, 3);
}

TEST(ReportArguments, HelpStartsWithTheUsageAndGivesEveryExitCode) {
    const std::string help = reportHelp();
    EXPECT_TRUE(help.starts_with(reportUsage()));
    EXPECT_EQ(reportUsage().find('\n'), reportUsage().size() - 1) << "the usage is one line";
    for (const char* line : {"  0  ok",
                             "  1  warning",
                             "  2  critical",
                             "  3  unknown",
                             "--format json",
                             "--prometheus FILE",
                             "--version",
                             "--help, -h, /?",
                             "--format=json",
                             "given once",
                             "never hides 1 or 2",
                             "--details",
                             "attribute of a drive is failing now",
                             "critical-warning bit",
                             "--save-replies DIR",
                             "--replay DIR",
                             "a drive is in caution",
                             "--history FILE",
                             "--accept all|N",
                             "new or grown since it was accepted"})
        EXPECT_NE(help.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace kestrine
