#pragma once
// The report in the Prometheus text exposition format, for the textfile collectors of
// windows_exporter and node_exporter: metrics named kestrine_* (gauges, and the NVMe drive's
// own counts as counters), sizes in bytes, times in seconds, shares as ratios 0 to 1, identity
// in *_info labels, and one series per possible state of a verdict, 1 for the state that
// holds. A family without samples is left out.
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

std::string writePrometheusMetrics(const Report& report, const AnsiConverter& converter);

}  // namespace kestrine
