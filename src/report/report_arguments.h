#pragma once
// The command line of the console report:
//   kestrine-report [--format text|json|nagios] [--details] [--prometheus FILE]
//                   [--save-replies DIR | --replay DIR] [--history FILE] [--accept all|N]
//                   [--help] [--version]
#include <string>
#include <vector>

#include "refresh/history_recording.h"

namespace kestrine {

enum class ReportFormat { Text, Json, Nagios };

struct ReportOptions {
    ReportFormat format = ReportFormat::Text;
    bool details = false;           // the text format's whole attribute tables and health logs
    std::string prometheusFile;     // empty: no metrics file
    std::string saveRepliesFolder;  // empty: the drives' replies are not saved
    std::string replayFolder;       // not empty: the drives are replayed from this folder
    std::string historyFile;        // empty: the history beside the settings file
    std::string acceptText;         // as given: "all" or a disk number
    AcceptScope accept = AcceptScope::None;
    int acceptDrive = 0;  // for AcceptScope::OneDrive
    bool help = false;
    bool version = false;
};

struct ParsedArguments {
    bool ok = false;
    ReportOptions options;  // meaningful when ok
    std::string error;      // one line naming the offending argument, when not ok
};

// The arguments after the program name. "-h" and "/?" are "--help"; "--format=json" is
// "--format json". An unknown option, an option without its value, a value that is no
// format, an option given twice (in any spelling), both --save-replies and --replay, an
// --accept that is neither "all" nor a disk number 0 to 15, --accept with --replay but
// without --history (a replay records nothing to accept into), or a stray argument is an error.
ParsedArguments parseReportArguments(const std::vector<std::string>& arguments);

// The format a command line asks for, also when it is refused: the first "--format" with a
// value that names a format ("--format json", "--format=json"), else text.
ReportFormat chosenFormat(const std::vector<std::string>& arguments);

// The one-line usage, printed after an error.
std::string reportUsage();
// Usage, options and the meaning of each exit code.
std::string reportHelp();

// The exit code of a command line that is refused.
inline constexpr int badArgumentsExitCode = 3;

}  // namespace kestrine
