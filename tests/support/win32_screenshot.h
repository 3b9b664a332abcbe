#pragma once
// What the screen shows, as a picture file: under Wine the whole virtual desktop, windows of
// every process included.
#include <string>

namespace kestrine::e2e {

// Writes the screen as an uncompressed 24-bit BMP file; false when it could not.
bool saveScreenshot(const std::string& path);

}  // namespace kestrine::e2e
