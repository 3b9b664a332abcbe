#pragma once
#include <cstdint>
#include <string>

namespace kestrine {

// "999.0 Bytes", "1.0 KB", "80.0 GB": decimal thousands, the unit stops at "TB".
std::string formatByteSize(std::int64_t bytes);

}  // namespace kestrine
