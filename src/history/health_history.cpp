#include "history/health_history.h"

#include <algorithm>

namespace kestrine {

std::string_view cautionCountName(CautionCount count) {
    static constexpr std::array<std::string_view, cautionCountKinds> names = {
        "reallocatedSectors", "pendingSectors", "uncorrectableSectors", "reportedUncorrectableErrors", "mediaErrors"};
    return names[static_cast<std::size_t>(count)];
}

DriveHistory* findDrive(History& history, const DriveKey& key) {
    const auto found = std::find_if(history.drives.begin(), history.drives.end(),
                                    [&key](const DriveHistory& drive) { return drive.key == key; });
    return found != history.drives.end() ? &*found : nullptr;
}

const DriveHistory* findDrive(const History& history, const DriveKey& key) {
    return findDrive(const_cast<History&>(history), key);
}

}  // namespace kestrine
