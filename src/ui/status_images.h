#pragma once
// The size of the status images in the lists, from the system's dots per inch at start. The
// strip is drawn at 16, 24 and 32 pixels (96, 144 and 192 DPI); the lists take the largest
// drawing that is no larger than 16 pixels at the system's DPI, so no picture is scaled up.
namespace kestrine {

inline constexpr int standardDpi = 96;

int statusImageSize(int dpi);

}  // namespace kestrine
