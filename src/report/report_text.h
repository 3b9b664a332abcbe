#pragma once
// The report for a person at a console: two aligned tables in the window's wording, under
// each drive an indented block with the health numbers a person checks first, and the overall
// status with its reason. With `details`, each drive's whole attribute table or health log
// and its temperature property follow its block.
#include <string>

#include "report/report_model.h"

namespace kestrine {

std::string writeTextReport(const Report& report, bool details);

}  // namespace kestrine
