#pragma once
// The system's clock in UTC, as the health history counts time.
#include "history/health_history.h"

namespace kestrine {

// Seconds since 1970-01-01 00:00 UTC, now.
UtcSeconds utcNow();

}  // namespace kestrine
