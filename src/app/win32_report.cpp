#include "app/win32_report.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
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

}  // namespace

int runReportProgram(int argc, char** argv, DevicePort& devices) {
    try {
        return report(std::vector<std::string>(argv + 1, argv + argc), devices);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrine-report: %s\n", error.what());
        return unknownExitCode;
    }
}

}  // namespace kestrine
