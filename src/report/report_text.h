#pragma once
// The report for a person at a console: two aligned tables in the window's wording, under
// each drive an indented block with the health numbers a person checks first, and the overall
// status with its reason. With `details`, each drive's whole attribute table or health log
// and its temperature property follow its block.
#include <string>

#include "report/report_model.h"
#include "report/text_encoding.h"

namespace kestrine {

// In UTF-8 throughout: device strings and the system's texts through `converter`, volume
// labels as they are. A refused run gives its version line and status line only.
std::string writeTextReport(const Report& report, bool details, const AnsiConverter& converter);

}  // namespace kestrine
