#pragma once
// The settings store's files on a Windows file system. A replacement goes through a
// temporary file beside the target, so the target always holds either the old or the new
// bytes, never a part of them.
#include <string>

#include "settings/file_store.h"

namespace kestrine {

class Win32FileStore : public FileStore {
public:
    bool exists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    bool read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) override;
    bool replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) override;
};

// The all-users application-data folder, or "BadPath" when it cannot be found.
std::string settingsBaseFolder();

// Where a replacement of `path` puts its bytes before they take its place.
std::string temporaryPathFor(const std::string& path);

}  // namespace kestrine
