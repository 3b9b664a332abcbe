#include "ui/program_name.h"

namespace kestrine {

std::string programNameFromPath(std::string_view modulePath) {
    const std::size_t folderEnd = modulePath.find_last_of("\\/:");
    std::string_view name = folderEnd == std::string_view::npos ? modulePath : modulePath.substr(folderEnd + 1);
    const std::size_t extension = name.find_last_of('.');
    if (extension != std::string_view::npos && extension > 0) name = name.substr(0, extension);
    return std::string(name);
}

}  // namespace kestrine
