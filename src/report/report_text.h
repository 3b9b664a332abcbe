#pragma once
// The report for a person at a console: two aligned tables in the window's wording and the
// overall status with its reason.
#include <string>

#include "report/report_model.h"

namespace kestrine {

std::string writeTextReport(const Report& report);

}  // namespace kestrine
