#pragma once
// The working settings record and the copy last read from "KSTMC.dat" (in "VTN\KSTM" below
// the all-users application-data folder). The file is written only when the working record
// differs from what was read, and only if it passes the test before writing.
#include <optional>
#include <string>

#include "settings/file_store.h"
#include "settings/message_sink.h"
#include "settings/settings_record.h"

namespace kestrine {

// How a load of the file ended: read and taken; no file could be opened and read; or a file
// was read but is shorter than a record or of another version.
enum class SettingsLoad { Loaded, Unreadable, Rejected };

// Reads the settings file below `baseFolder` into `record` by the window's rules for loading
// (a whole record of version 3, taken as it is); creates nothing. `record` is left alone
// unless the file is loaded.
SettingsLoad readSettingsFile(FileReader& files, const std::string& baseFolder, SettingsRecord& record);

class SettingsStore {
public:
    SettingsStore(FileStore& files, MessageSink& messages, std::string baseFolder);

    SettingsRecord& working() { return working_; }
    const SettingsRecord& working() const { return working_; }

    // Loads the file, writing the default record first when it cannot be loaded. Returns
    // firstStart: true when that first load failed. Without a readable file the working
    // record keeps the defaults.
    bool runStartUpSequence();
    // The same load without the first-start write: the working record gets the file, or the
    // defaults when it cannot be loaded. Writes no file.
    SettingsLoad loadWorkingSettings();

    void resetSettings();
    // Reads the file into the stored copy; a short file or a version other than 3 fails and
    // leaves the stored copy as it was.
    bool loadSettings();
    // Writes the working record when it differs from the stored copy. A record that fails
    // the test before writing is refused with "Bad Config Data On Save" and nothing written.
    bool saveSettings();

private:
    // Builds the file's path, creating "VTN" and "KSTM" when missing; nothing when the base
    // folder is missing.
    std::optional<std::string> prepareFilePath();
    SettingsLoad readStoredCopy();

    FileStore& files_;
    MessageSink& messages_;
    std::string baseFolder_;
    SettingsRecord working_ = defaultSettings();
    SettingsRecord stored_ = defaultSettings();
    bool storedLoaded_ = false;  // until a load succeeds, the stored copy matches nothing
};

}  // namespace kestrine
