#pragma once
// What the fault tests look at from outside: other processes' top-level windows, message
// boxes, and the files in the settings folder.
#include <windows.h>

#include <string>
#include <vector>

#include "little_endian_bytes.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {

// The dialog-class ("#32770") top-level windows of the process: message boxes and the like.
std::vector<HWND> dialogWindows(DWORD processId);
// The text of a message box (its static control 0xFFFF).
std::string messageBoxText(HWND box);

// "...\VTN\KSTM", the folder of the settings file.
std::string settingsFolder();
// The names in a folder, "." and ".." left out; empty when it cannot be listed.
std::vector<std::string> folderEntries(const std::string& folder);
// The same, sorted, without the health history the window records beside the settings file.
std::vector<std::string> entriesBesideHistory(const std::string& folder);
bool isFolder(const std::string& path);
// Clears the read-only flag and deletes the file, or removes the (empty) folder.
void removePath(const std::string& path);
// Makes the settings folder a plain folder again with nothing in it.
void resetSettingsFolder();
// A record of exactly 272 bytes equal to `expected`.
bool settingsEqual(const Bytes& expected);

}  // namespace kestrine::e2e
