#include "settings/settings_store.h"

#include <array>
#include <utility>

namespace kestrine {

namespace {
constexpr const char* fileName = "KSTMC.dat";
constexpr const char* badDataOnSave = "Bad Config Data On Save";
// Another program (a backup, an inventory agent, the console report) holds the file for a
// moment: it is tried again every 50 ms for up to a second.
constexpr std::uint32_t retryMilliseconds = 50;
constexpr std::uint32_t retryLimitMilliseconds = 1000;

SettingsLoad readRecord(FileReader& files, const std::string& path, SettingsRecord& record, std::uint32_t& error) {
    SettingsRecord read;
    std::size_t got = 0;
    const ReadResult result = files.read(path, reinterpret_cast<std::uint8_t*>(&read), sizeof read, got);
    error = result.error;
    if (result.status == ReadStatus::Missing) return SettingsLoad::Missing;
    if (result.status == ReadStatus::Failed) return SettingsLoad::Unreadable;
    if (got != sizeof read || read.version != settingsVersion) return SettingsLoad::Rejected;
    record = read;
    return SettingsLoad::Loaded;
}
}  // namespace

std::array<std::string, 2> settingsFolders(const std::string& baseFolder) {
    const std::string vtn = baseFolder + "\\VTN";
    return {vtn, vtn + "\\KSTM"};
}

bool prepareSettingsFolders(FileStore& files, const std::string& baseFolder) {
    if (!files.exists(baseFolder)) return false;
    for (const std::string& folder : settingsFolders(baseFolder))
        if (!files.exists(folder)) files.createFolder(folder);
    return true;
}

std::optional<std::string> untrustedSettingsFolder(FileStore& files, const std::string& baseFolder, bool elevated) {
    for (const std::string& folder : settingsFolders(baseFolder))
        if (!mayWriteInto(files.folderFacts(folder), elevated)) return folder;
    return std::nullopt;
}

std::string settingsFilePath(const std::string& baseFolder) { return settingsFolders(baseFolder)[1] + '\\' + fileName; }

SettingsLoad readSettingsFile(FileReader& files, const std::string& baseFolder, SettingsRecord& record) {
    if (!files.exists(baseFolder)) return SettingsLoad::Missing;
    std::uint32_t error = 0;
    return readRecord(files, settingsFilePath(baseFolder), record, error);
}

SettingsStore::SettingsStore(FileStore& files, MessageSink& messages, Pause& pause, std::string baseFolder,
                             bool elevated)
    : files_(files), messages_(messages), pause_(pause), baseFolder_(std::move(baseFolder)), elevated_(elevated) {}

bool SettingsStore::runStartUpSequence() {
    resetSettings();
    readError_.reset();
    const StoredRead read = readStoredCopy();
    if (read.load == SettingsLoad::Loaded) working_ = stored_;
    if (read.load == SettingsLoad::Unreadable) readError_ = read.error;
    if (read.load == SettingsLoad::Loaded || read.load == SettingsLoad::Unreadable) return false;
    saveSettings();
    if (loadSettings()) working_ = stored_;
    return true;
}

SettingsLoad SettingsStore::loadWorkingSettings() {
    resetSettings();
    const SettingsLoad load = readStoredCopy().load;
    if (load == SettingsLoad::Loaded) working_ = stored_;
    return load;
}

void SettingsStore::resetSettings() { working_ = defaultSettings(); }

bool SettingsStore::loadSettings() { return readStoredCopy().load == SettingsLoad::Loaded; }

SettingsStore::StoredRead SettingsStore::readStoredCopy() {
    const std::optional<std::string> path = prepareFilePath();
    if (!path) return {SettingsLoad::Missing, 0};
    StoredRead read{};
    read.load = readRecord(files_, *path, stored_, read.error);
    for (std::uint32_t waited = 0; read.load == SettingsLoad::Unreadable && waited < retryLimitMilliseconds;
         waited += retryMilliseconds) {
        pause_.wait(retryMilliseconds);
        read.load = readRecord(files_, *path, stored_, read.error);
    }
    storedLoaded_ = storedLoaded_ || read.load == SettingsLoad::Loaded;
    return read;
}

bool SettingsStore::saveSettings() {
    refusedFolder_.clear();
    if (readError_) return true;
    if (storedLoaded_ && sameSettings(working_, stored_)) return true;
    if (!validateSettings(working_)) {
        messages_.show(badDataOnSave);
        return false;
    }
    const std::optional<std::string> path = prepareFilePath();
    if (!path) return false;
    if (const std::optional<std::string> folder = untrustedFolder()) {
        refusedFolder_ = *folder;
        return false;
    }
    return files_.replace(*path, reinterpret_cast<const std::uint8_t*>(&working_), sizeof working_);
}

std::string SettingsStore::filePath() const { return settingsFilePath(baseFolder_); }

std::optional<std::string> SettingsStore::prepareFilePath() {
    if (!prepareSettingsFolders(files_, baseFolder_)) return std::nullopt;
    return filePath();
}

std::optional<std::string> SettingsStore::untrustedFolder() {
    return untrustedSettingsFolder(files_, baseFolder_, elevated_);
}

}  // namespace kestrine
