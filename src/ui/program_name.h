#pragma once
// The application's name, the caption of every message box: the executable's base name.
#include <string>
#include <string_view>

namespace kestrine {

// "C:\Tools\kestrine.exe" gives "kestrine": no folder, no extension.
std::string programNameFromPath(std::string_view modulePath);

}  // namespace kestrine
