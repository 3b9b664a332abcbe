#pragma once
// The report as one JSON document (format version 1, described by docs/report.schema.json):
// numbers as numbers, bytes as integers, every verdict as a stable lowercase identifier beside
// the window's text, and the error codes the probe kept.
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

inline constexpr int reportJsonFormat = 1;

std::string writeJsonReport(const Report& report, const AnsiConverter& converter);

}  // namespace kestrine
