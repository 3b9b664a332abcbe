#pragma once
// What every fuzz target needs: a way to report a broken promise (say which, then abort so
// libFuzzer keeps the input), and the tests' reader for little-endian fields of raw bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "little_endian_bytes.h"

namespace kestrine::fuzz {

// A broken promise found by a fuzz target.
inline void require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

using testing::le32Within;

}  // namespace kestrine::fuzz
