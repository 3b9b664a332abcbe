#pragma once
// The folder that holds the settings folder: the all-users application-data folder
// (CSIDL_COMMON_APPDATA), or "BadPath" when it cannot be found.
#include <string>

namespace kestrine {

// Asks the shell (SHGetFolderPathA from SHFOLDER.DLL): the one lookup both front ends use.
std::string settingsBaseFolder();

}  // namespace kestrine
