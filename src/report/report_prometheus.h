#pragma once
// The report in the Prometheus text exposition format, for the textfile collectors of
// windows_exporter and node_exporter: every metric a gauge named kestrine_*, sizes in bytes,
// shares as ratios 0 to 1, identity in *_info labels, and one series per possible state of a
// verdict, 1 for the state that holds.
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

std::string writePrometheusMetrics(const Report& report, const AnsiConverter& converter);

}  // namespace kestrine
