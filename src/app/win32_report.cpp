#include "app/win32_report.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "app/win32_error_mode.h"
#include "history/utc_time.h"
#include "platform/win32_ansi_converter.h"
#include "platform/win32_console_output.h"
#include "platform/win32_device_port.h"
#include "platform/win32_file_store.h"
#include "platform/win32_history_lock.h"
#include "platform/win32_process_token.h"
#include "platform/win32_settings_folder.h"
#include "platform/win32_utc_clock.h"
#include "platform/win32_volume_source.h"
#include "report/report_run.h"
#include "version.h"

namespace kestrine {

namespace {

constexpr int unknownExitCode = 3;

// The bytes exactly as the run made them: no line-end translation.
void writeErrors(const std::string& text) {
    if (_setmode(_fileno(stderr), _O_BINARY) != -1) std::fwrite(text.data(), 1, text.size(), stderr);
}

int report(const std::vector<std::string>& arguments, DevicePort& devices) {
    failDriveErrorsQuietly();
    Win32SystemMessages messages;
    Win32VolumeSource volumes(LabelEncoding::Utf8);
    Win32FileReader settingsFiles;
    Win32FileStore metricsFiles;
    Win32AnsiConverter converter;
    Win32FileStore replyFiles(savedRepliesFolderAccess(tokenUserSid()));
    Win32FileStore historyFiles;  // the settings folders' access list
    Win32HistoryLock historyLock;
    Win32Pause pause;
    const std::string settingsFolder = settingsBaseFolder();
    ReportPorts ports{devices,   messages,   volumes,      settingsFiles, settingsFolder, metricsFiles,
                      converter, replyFiles, historyFiles, historyLock,   pause,          runsElevated()};
    const ReportOutcome outcome = runReport(arguments, ports, KESTRINE_VERSION, utcTimeText(utcNow()));
    const bool printed = writeStandardOutput(outcome.output);
    writeErrors(outcome.errors);
    return printed ? outcome.exitCode : unknownExitCode;
}

// The last resort for a fault inside the run (no memory left, for one): one line and the
// unknown exit code, where the runtime's default would print its own lines and abort.
// The shipped program is built without exception tables, so such a fault ends here rather
// than in a handler; whatever the run had half written is what a killed process leaves, which
// every file it writes survives.
[[noreturn]] void stopOnInternalFault() {
    std::fputs("kestrine-report: stopped by an internal fault\n", stderr);
    std::fflush(stderr);
    std::_Exit(unknownExitCode);
}

}  // namespace

int runReportProgram(int argc, char** argv, DevicePort& devices) {
    std::set_terminate(stopOnInternalFault);
    return report(std::vector<std::string>(argv + 1, argv + argc), devices);
}

}  // namespace kestrine
