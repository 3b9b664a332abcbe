#pragma once
// The folder that holds the settings folder: the all-users application-data folder
// (CSIDL_COMMON_APPDATA), or "BadPath" when it cannot be found.
#include <string>

namespace kestrine {

// Asks the shell (SHGetFolderPathA from SHFOLDER.DLL), as the window always has.
std::string settingsBaseFolder();

// The same folder for a program that should not load the shell: bringing in shell32 (and
// with it user32 and gdi32) costs a console program more than the rest of its start. On
// Windows Vista and later the shell takes that folder from the profile list's ProgramData
// value, which is read here; where the value is missing (Windows XP) the shell is asked after
// all, loaded from the system folder only then.
std::string settingsBaseFolderWithoutShell();

// The two halves of the above, each on its own: empty when the value is missing or unusable.
std::string profileListProgramData();
std::string settingsBaseFolderFromLoadedShell();

}  // namespace kestrine
