#pragma once
// The report as a monitoring plugin prints it: one line with the status word, a short text
// and performance data, e.g.
//   KESTRINE WARNING - D: 5.0 % free, below 20 % | 'C:'=45.30%;10:;;0;100 ...
#include <cstddef>
#include <string>

#include "report/report_model.h"

namespace kestrine {

// The most a plugin transport carries of one line (NRPE's 1024 bytes), its line end included.
inline constexpr std::size_t nagiosLineLimit = 1024;

// Past that limit, the volumes' performance data is given for the worst of them only (below
// their limit first, then the least free), as many as fit, and the text says how many.
std::string writeNagiosReport(const Report& report);

// "KESTRINE UNKNOWN - " and the problem, for a run that made no report (bad arguments).
std::string nagiosUnknownLine(const std::string& problem);

}  // namespace kestrine
