#include "settings/settings_store.h"

#include <utility>

namespace kestrine {

namespace {
constexpr const char* firstSubFolder = "VTN";
constexpr const char* secondSubFolder = "KSTM";
constexpr const char* fileName = "KSTMC.dat";
constexpr const char* badDataOnSave = "Bad Config Data On Save";

SettingsLoad readRecord(FileReader& files, const std::string& path, SettingsRecord& record) {
    SettingsRecord read;
    std::size_t got = 0;
    if (!files.read(path, reinterpret_cast<std::uint8_t*>(&read), sizeof read, got)) return SettingsLoad::Unreadable;
    if (got != sizeof read || read.version != settingsVersion) return SettingsLoad::Rejected;
    record = read;
    return SettingsLoad::Loaded;
}

std::string filePath(const std::string& baseFolder) {
    return baseFolder + '\\' + firstSubFolder + '\\' + secondSubFolder + '\\' + fileName;
}
}  // namespace

SettingsLoad readSettingsFile(FileReader& files, const std::string& baseFolder, SettingsRecord& record) {
    if (!files.exists(baseFolder)) return SettingsLoad::Unreadable;
    return readRecord(files, filePath(baseFolder), record);
}

SettingsStore::SettingsStore(FileStore& files, MessageSink& messages, std::string baseFolder)
    : files_(files), messages_(messages), baseFolder_(std::move(baseFolder)) {}

bool SettingsStore::runStartUpSequence() {
    if (loadWorkingSettings() == SettingsLoad::Loaded) return false;
    saveSettings();
    if (loadSettings()) working_ = stored_;
    return true;
}

SettingsLoad SettingsStore::loadWorkingSettings() {
    resetSettings();
    const SettingsLoad load = readStoredCopy();
    if (load == SettingsLoad::Loaded) working_ = stored_;
    return load;
}

void SettingsStore::resetSettings() { working_ = defaultSettings(); }

bool SettingsStore::loadSettings() { return readStoredCopy() == SettingsLoad::Loaded; }

SettingsLoad SettingsStore::readStoredCopy() {
    const std::optional<std::string> path = prepareFilePath();
    if (!path) return SettingsLoad::Unreadable;
    const SettingsLoad load = readRecord(files_, *path, stored_);
    storedLoaded_ = storedLoaded_ || load == SettingsLoad::Loaded;
    return load;
}

bool SettingsStore::saveSettings() {
    if (storedLoaded_ && sameSettings(working_, stored_)) return true;
    if (!validateSettings(working_)) {
        messages_.show(badDataOnSave);
        return false;
    }
    const std::optional<std::string> path = prepareFilePath();
    if (!path) return false;
    return files_.replace(*path, reinterpret_cast<const std::uint8_t*>(&working_), sizeof working_);
}

std::optional<std::string> SettingsStore::prepareFilePath() {
    if (!files_.exists(baseFolder_)) return std::nullopt;
    std::string path = baseFolder_;
    for (const char* folder : {firstSubFolder, secondSubFolder}) {
        path += '\\';
        path += folder;
        if (!files_.exists(path)) files_.createFolder(path);
    }
    path += '\\';
    path += fileName;
    return path;
}

}  // namespace kestrine
