#pragma once
// The process-wide error mode both entry points set first.
#include <windows.h>

namespace kestrine {

// A card reader without a card or an empty optical drive fails its free-space query quietly
// instead of stopping the scan with the system's "no disk" box.
inline void failDriveErrorsQuietly() { SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX); }

}  // namespace kestrine
