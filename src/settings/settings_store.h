#pragma once
// The working settings record and the copy last read from "KSTMC.dat" (in "VTN\KSTM" below
// the all-users application-data folder). The file is written only when the working record
// differs from what was read, and only if it passes the test before writing.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/file_store.h"
#include "settings/message_sink.h"
#include "settings/pause.h"
#include "settings/settings_record.h"

namespace kestrine {

// How a load of the file ended: read and taken; no file (or no folder) there; a file that is
// there but could not be read; or a file read that is shorter than a record or of another
// version.
enum class SettingsLoad { Loaded, Missing, Unreadable, Rejected };

// Where the settings file is: the base folder, "VTN", "KSTM" and "KSTMC.dat".
std::string settingsFilePath(const std::string& baseFolder);
// "VTN" and "KSTM" below the base folder, outer first: the settings file and the health
// history's folders.
std::array<std::string, 2> settingsFolders(const std::string& baseFolder);
// Creates "VTN" and "KSTM" where missing (with the access list the file store gives its
// folders); false, creating nothing, when the base folder is missing.
bool prepareSettingsFolders(FileStore& files, const std::string& baseFolder);
// The first of "VTN" and "KSTM" this copy may not write into (mayWriteInto), if any.
std::optional<std::string> untrustedSettingsFolder(FileStore& files, const std::string& baseFolder, bool elevated);

// Reads the settings file below `baseFolder` into `record` by the window's rules for loading
// (a whole record of version 3, taken as it is); creates nothing. `record` is left alone
// unless the file is loaded.
SettingsLoad readSettingsFile(FileReader& files, const std::string& baseFolder, SettingsRecord& record);

class SettingsStore {
public:
    // `elevated`: this copy runs with administrator rights in force, and so writes only into
    // settings folders nobody else can have redirected.
    SettingsStore(FileStore& files, MessageSink& messages, Pause& pause, std::string baseFolder, bool elevated = false);

    SettingsRecord& working() { return working_; }
    const SettingsRecord& working() const { return working_; }

    // Loads the file, writing the default record first when there is none or it is refused.
    // Returns firstStart: true when that first load found no file, or refused it. A file that
    // is there but stays unreadable for a second (another program holds it, or access is
    // denied) is no first start: the run goes on with the defaults, writes nothing at all, and
    // readError() tells why.
    bool runStartUpSequence();
    // The same load without the first-start write: the working record gets the file, or the
    // defaults when it cannot be loaded. Writes no file.
    SettingsLoad loadWorkingSettings();

    void resetSettings();
    // Reads the file into the stored copy; a short file or a version other than 3 fails and
    // leaves the stored copy as it was. A file in use is tried again for up to a second.
    bool loadSettings();
    // Writes the working record when it differs from the stored copy. A record that fails
    // the test before writing is refused with "Bad Config Data On Save" and nothing written.
    // After a start whose read failed, nothing is written and the save counts as done: the
    // start already told that this run's changes are not kept.
    bool saveSettings();
    // settingsFilePath of this store's base folder.
    std::string filePath() const;
    // The system's error code when the start found the file but could not read it.
    std::optional<std::uint32_t> readError() const { return readError_; }
    // The settings folder the last save refused to write into; empty when it refused none.
    const std::string& refusedFolder() const { return refusedFolder_; }

private:
    // Builds the file's path, creating "VTN" and "KSTM" when missing; nothing when the base
    // folder is missing.
    std::optional<std::string> prepareFilePath();
    struct StoredRead {
        SettingsLoad load;
        std::uint32_t error;  // the system's code when Unreadable
    };
    StoredRead readStoredCopy();
    // The first of "VTN" and "KSTM" this copy may not write into, if any.
    std::optional<std::string> untrustedFolder();

    FileStore& files_;
    MessageSink& messages_;
    Pause& pause_;
    std::string baseFolder_;
    bool elevated_;
    SettingsRecord working_ = defaultSettings();
    SettingsRecord stored_ = defaultSettings();
    bool storedLoaded_ = false;               // until a load succeeds, the stored copy matches nothing
    std::optional<std::uint32_t> readError_;  // set, nothing is written in this run
    std::string refusedFolder_;
};

}  // namespace kestrine
