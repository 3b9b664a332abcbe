#pragma once
// The report as a monitoring plugin prints it: one line with the status word, a short text
// and performance data, e.g.
//   KESTRINE WARNING - D: 5.0 % free, below 20 % | 'C:'=45.30%;10:;;0;100 ...
#include <string>

#include "report/report_model.h"

namespace kestrine {

std::string writeNagiosReport(const Report& report);

// "KESTRINE UNKNOWN - " and the problem, for a run that made no report (bad arguments).
std::string nagiosUnknownLine(const std::string& problem);

}  // namespace kestrine
