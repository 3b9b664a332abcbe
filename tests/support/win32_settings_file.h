#pragma once
// The program's settings file as the tests prepare and inspect it: KSTMC.dat below the
// all-users application-data folder.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kestrine::e2e {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t settingsSize = 272;
inline constexpr std::size_t defaultPercentAt = 32;
inline std::size_t ownPercentAt(int slot) { return 36 + 4 * static_cast<std::size_t>(slot); }
inline std::size_t useDefaultAt(int slot) { return 244 + static_cast<std::size_t>(slot); }

std::string settingsPath();
// The record a first start writes: version 3, length 272, reserved zeros, default percent
// 10, all own percents 10, slot indexes 0..25, all use-default flags 1, two padding zeros.
Bytes defaultSettings();
void removeSettings();
// Writes the bytes, creating the folders, and dates the file back to 2001 so that any
// later write shows in its modification time.
bool writeSettings(const Bytes& bytes);
// False when the file cannot be read.
bool readSettings(Bytes& bytes);
bool settingsWriteTime(FILETIME& time);
// The year-2001 modification time that writeSettings gives the file.
FILETIME preparedWriteTime();
// True while nothing has written the file since writeSettings prepared it.
bool unchangedSincePrepared();

}  // namespace kestrine::e2e
