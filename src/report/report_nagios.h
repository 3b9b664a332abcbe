#pragma once
// The report as a monitoring plugin prints it: one line with the status word, a short text
// and performance data, e.g.
//   KESTRINE WARNING - D: 5.0 % free, below 20 % | 'C:'=45.30%;10:;;0;100 ...
#include <cstddef>
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

// The most a plugin transport carries of one line (NRPE's 1024 bytes), its line end included.
inline constexpr std::size_t nagiosLineLimit = 1024;

// In UTF-8, the system's texts through `converter`. Past that limit, the volumes' performance
// data is given for the worst of them only (below their limit first, then the least free), as
// many as fit, and the text says how many; then the volumes' problems are told as their number,
// then the drives' problems past those that fit. The status, the standard-user note and the
// run's own problems stay. A refused run gives its problem alone, without performance data.
std::string writeNagiosReport(const Report& report, const AnsiConverter& converter);

}  // namespace kestrine
