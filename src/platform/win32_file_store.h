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

// The files of a front end that only reads them: a file is opened with full sharing (read,
// write and delete), so that the window can load, save and replace it meanwhile.
class Win32FileReader : public FileReader {
public:
    bool exists(const std::string& path) override;
    bool read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) override;
};

// Where a replacement of `path` puts its bytes before they take its place.
std::string temporaryPathFor(const std::string& path);

}  // namespace kestrine
