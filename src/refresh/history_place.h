#pragma once
// Where both front ends keep the health history, "KSTMH.dat" beside the settings file with its
// lock "KSTMH.lock", and how they name what became of it.
#include <optional>
#include <string>

#include "probe/device_port.h"
#include "refresh/history_recording.h"
#include "settings/file_store.h"

namespace kestrine {

struct HistoryPlace {
    std::string path;
    std::string lockPath;
    std::string problem;  // empty, or why nothing may be recorded there: "there is no folder C:\..."
};

// "KSTMH.dat" in the settings folder under `baseFolder`.
std::string historyFilePath(const std::string& baseFolder);

// The history in the settings folder, made when missing. A copy with administrator rights
// records nothing into a folder someone else could have redirected.
HistoryPlace historyBesideSettings(FileStore& files, const std::string& baseFolder, bool elevated);

// Why an update of the history was not written, in the system's words: "it could not be
// written: Access is denied. (error 5)".
std::string notRecordedWhy(const HistoryOutcome& outcome, const SystemMessages& messages);

// What a damaged or foreign file set aside was: "was damaged (checksum does not match)".
std::string setAsideWhat(const SetAsideFile& aside);

// The file's name without its folder.
std::string fileNameOf(const std::string& path);

}  // namespace kestrine
