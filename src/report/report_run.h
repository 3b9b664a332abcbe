#pragma once
// One run of the console report as data: the command line in, what goes to standard output
// and standard error and the exit code out. It runs the window's refresh, with the health
// reads, over the same ports, so the report judges exactly as the window does.
#include <string>
#include <vector>

#include "history/history_lock.h"
#include "probe/device_port.h"
#include "report/report_model.h"
#include "report/text_encoding.h"
#include "settings/file_store.h"
#include "settings/pause.h"
#include "settings/settings_record.h"
#include "volumes/volume_source.h"

namespace kestrine {

struct ReportPorts {
    DevicePort& devices;
    const SystemMessages& messages;
    VolumeSource& volumes;
    FileReader& settingsFiles;  // the settings file is only read
    std::string settingsFolder;
    FileStore& metricsFiles;  // its replace writes the --prometheus file
    const AnsiConverter& converter;
    FileStore& replyFiles;  // the drives' saved replies: written by --save-replies, read by --replay
    // The health history: read and replaced (a damaged one set aside) under its lock, the
    // pause between tries of the lock. Its folders get the settings folders' access list.
    FileStore& historyFiles;
    HistoryLock& historyLock;
    Pause& pause;
    bool elevated = false;  // administrator rights in force: the settings folders must be trusted
};

struct ReportOutcome {
    std::string output;  // standard output, in UTF-8
    std::string errors;  // standard error
    int exitCode = 3;
};

struct Thresholds {
    SettingsRecord record;
    ThresholdSource source;
};

// The warning percents in the settings file, loaded as the window loads them, so that one file
// gives one verdict: a whole record of version 3 is taken as it is (a percent the buttons would
// never set is judged within their range, effectiveWarningPercent); the defaults when there is
// no readable file or it is refused.
Thresholds readThresholds(FileReader& files, const std::string& settingsFolder);

// The present volumes of a scan, each with the percent the scan judged it by, and the percent
// the settings file holds when that lies out of range.
std::vector<VolumeRow> volumeRows(const VolumeScanResult& scan, const VolumeTable& table,
                                  const SettingsRecord& thresholds);

// `utcTime` is "YYYY-MM-DDTHH:MM:SSZ". Bad arguments: a line naming them and the usage on
// standard error, the problem in the format asked for (chosenFormat) on standard output, exit
// 3. A metrics file that cannot be written (why, in the system's words,
// on standard error and in the reason), replies that cannot all be saved, or a system that
// lists no drive letter at all, is added to the reason; it makes the report unknown (exit 3)
// only when the verdict was ok. A folder to save into that exists already, or one to replay
// that holds no saved drive, is refused like a bad argument (without the usage).
// Each run but a replay without --history records a sample of each drive's health into the
// history (KSTMH.dat beside the settings file, or --history FILE), judging the drives against
// what was accepted in it, after accepting what --accept names. A history that could not be
// recorded, a damaged one set aside, or an --accept that found no drive's health, is a problem
// of the run.
ReportOutcome runReport(const std::vector<std::string>& arguments, ReportPorts& ports,
                        const std::string& programVersion, const std::string& utcTime);

}  // namespace kestrine
