#include "refresh/history_place.h"

#include "probe/drive_texts.h"
#include "settings/settings_store.h"

namespace kestrine {

std::string historyFilePath(const std::string& baseFolder) {
    return settingsFolders(baseFolder)[1] + '\\' + historyFileName;
}

HistoryPlace historyBesideSettings(FileStore& files, const std::string& baseFolder, bool elevated) {
    HistoryPlace place{historyFilePath(baseFolder), settingsFolders(baseFolder)[1] + '\\' + historyLockName, {}};
    if (!prepareSettingsFolders(files, baseFolder))
        place.problem = "there is no folder " + baseFolder;
    else if (const std::optional<std::string> untrusted = untrustedSettingsFolder(files, baseFolder, elevated))
        place.problem = "another user could have redirected " + *untrusted;
    return place;
}

std::string notRecordedWhy(const HistoryOutcome& outcome, const SystemMessages& messages) {
    const std::string system = systemErrorText(outcome.error, messages);
    switch (outcome.status) {
        case HistoryUpdateStatus::LockBusy: return "another program held its lock";
        case HistoryUpdateStatus::LockFailed: return "its lock could not be taken: " + system;
        case HistoryUpdateStatus::Unreadable: return "it could not be read: " + system;
        case HistoryUpdateStatus::NewerVersion: return "a newer program wrote it (" + outcome.reason + ")";
        case HistoryUpdateStatus::SetAsideFailed:
            return "it is damaged (" + outcome.reason + ") and could not be set aside: " + system;
        case HistoryUpdateStatus::NotWritten: return "it could not be written: " + system;
        case HistoryUpdateStatus::Written: break;
    }
    return {};
}

std::string setAsideWhat(const SetAsideFile& aside) {
    return aside.status == HistoryFileStatus::Foreign ? "was no Kestrine history"
                                                      : "was damaged (" + aside.reason + ")";
}

std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

}  // namespace kestrine
