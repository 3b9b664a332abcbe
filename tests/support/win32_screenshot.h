#pragma once
// What the screen shows, as a picture file: under Wine the whole virtual desktop, windows of
// every process included.
#include <windows.h>

#include <string>

namespace kestrine::e2e {

// Writes the screen as an uncompressed 24-bit BMP file; false when it could not.
bool saveScreenshot(const std::string& path);
// The same for the screen's `area` alone (screen coordinates).
bool saveScreenshot(const std::string& path, const RECT& area);
// How many pixels of the screen's `area` (screen coordinates) have this colour; 0 when it
// could not be read.
int countScreenPixels(const RECT& area, COLORREF color);

}  // namespace kestrine::e2e
