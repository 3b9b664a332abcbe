#include "platform/win32_random_source.h"

#include <windows.h>
#include <ntsecapi.h>

namespace kestrine {

bool Win32RandomSource::fill(ReplacementRandom& bytes) {
    return RtlGenRandom(bytes.data(), static_cast<ULONG>(bytes.size())) != FALSE;
}

}  // namespace kestrine
