#pragma once
// The report as one JSON document (format version 2, described by docs/report.schema.json):
// numbers as numbers, bytes as integers, every verdict as a stable lowercase identifier beside
// the window's text, the error codes the probe kept, and each drive's health (the 128-bit
// NVMe counters as exact decimal text).
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

inline constexpr int reportJsonFormat = 3;

std::string writeJsonReport(const Report& report, const AnsiConverter& converter);

}  // namespace kestrine
