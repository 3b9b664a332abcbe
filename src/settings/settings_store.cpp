#include "settings/settings_store.h"

#include <utility>

namespace kestrine {

namespace {
constexpr const char* firstSubFolder = "VTN";
constexpr const char* secondSubFolder = "KSTM";
constexpr const char* fileName = "KSTMC.dat";
constexpr const char* badDataOnSave = "Bad Config Data On Save";
}  // namespace

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
    SettingsRecord read;
    std::size_t got = 0;
    if (!files_.read(*path, reinterpret_cast<std::uint8_t*>(&read), sizeof read, got)) return SettingsLoad::Unreadable;
    if (got != sizeof read || read.version != settingsVersion) return SettingsLoad::Rejected;
    stored_ = read;
    storedLoaded_ = true;
    return SettingsLoad::Loaded;
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

std::string SettingsStore::filePath() const {
    return baseFolder_ + '\\' + firstSubFolder + '\\' + secondSubFolder + '\\' + fileName;
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
