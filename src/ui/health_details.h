#pragma once
// The texts of a drive's health window: its title, the status with its reasons, each caution
// count with its state, the attribute table or the NVMe log's fields, the temperature and how
// far the drive's history goes back.
#include <string>
#include <vector>

#include "history/caution_memory.h"
#include "history/health_history.h"
#include "probe/drive_health.h"
#include "probe/drive_record.h"
#include "probe/drive_verdict.h"
#include "refresh/refresh.h"
#include "ui/history_plot.h"

namespace kestrine {

// What the window knows of one drive. `history` is the drive's entry in the history file (null:
// none recorded); `recalled` a sample from it shown while the window could not read the drive
// itself (null: none).
struct HealthDetailsInput {
    const DriveRecord& record;
    const DriveHealth& health;
    const DriveVerdict& verdict;
    const CautionJudgement& cautions;
    const DriveHistory* history = nullptr;
    const HealthSample* recalled = nullptr;
};

struct HealthDetails {
    std::string title;                     // "Health - Disk 1 - WDC WD5000AAKS"
    std::vector<std::string> statusLines;  // "Status: caution - reallocated sectors: 70", then one per count
    std::vector<std::string> columns;      // the table's headers: an attribute's, a field's, or none
    std::vector<std::vector<std::string>> rows;
    std::string temperature;  // "Temperature: 38 C"
    std::string history;      // "History: 12 samples since ...", or "No history recorded yet"
};

HealthDetails healthDetails(const HealthDetailsInput& input);

// All the health window shows of drive `driveNumber`: the texts from the refresh's result and
// the plot from the drive's samples in `history`, found by its model and serial number.
struct HealthView {
    HealthDetails details;
    HistoryPlot plot;
};

HealthView healthView(const RefreshResult& result, int driveNumber, const History& history,
                      const HealthSample* recalled);

}  // namespace kestrine
