#pragma once
// An in-memory file system: folders, files as byte vectors, switches that make reads or
// replacements fail (with the system's error code a replace leaves: 3 for a missing folder),
// reads that fail a number of times first, each folder's facts, a count of the replacements
// actually made, renames that never replace; a pause that only counts; and the settings record as such a file holds it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/file_store.h"
#include "settings/pause.h"
#include "settings/settings_record.h"

namespace kestrine::testing {

// The 272 bytes of a settings file that holds `record`.
inline std::vector<std::uint8_t> bytesOf(const SettingsRecord& record) {
    std::vector<std::uint8_t> bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return bytes;
}

class FakeFileStore : public FileStore {
public:
    std::set<std::string> folders;
    std::map<std::string, std::vector<std::uint8_t>> files;
    bool failReads = false;
    std::uint32_t failingReadError = 5;   // what a read failed by failReads reports
    std::deque<std::uint32_t> busyReads;  // error codes of reads that fail before reads work
    int reads = 0;
    std::map<std::string, FolderFacts> facts;  // folders not named here: Administrators own them
    bool failReplaces = false;
    std::uint32_t failingReplaceError = 5;  // what a replace failed by failReplaces reports
    int replacements = 0;

    bool exists(const std::string& path) override { return folders.count(path) != 0 || files.count(path) != 0; }
    void createFolder(const std::string& path) override {
        // Like CreateDirectoryA: only inside an existing folder.
        const auto slash = path.rfind('\\');
        if (slash != std::string::npos && folders.count(path.substr(0, slash)) != 0) folders.insert(path);
    }
    ReadResult read(const std::string& path, std::uint8_t* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        ++reads;
        const auto file = files.find(path);
        if (file == files.end()) return {ReadStatus::Missing, 0};
        if (failReads) return {ReadStatus::Failed, failingReadError};
        if (!busyReads.empty()) {
            const std::uint32_t error = busyReads.front();
            busyReads.pop_front();
            return {ReadStatus::Failed, error};
        }
        got = std::min(size, file->second.size());
        std::copy_n(file->second.begin(), got, buffer);
        return {ReadStatus::Read, 0};
    }
    bool replace(const std::string& path, const std::uint8_t* bytes, std::size_t size) override {
        const auto slash = path.rfind('\\');
        if (failReplaces || slash == std::string::npos || folders.count(path.substr(0, slash)) == 0) {
            lastReplaceError = failReplaces ? failingReplaceError : pathNotFound;
            return false;
        }
        files[path].assign(bytes, bytes + size);
        ++replacements;
        return true;
    }
    std::uint32_t replaceError() const override { return lastReplaceError; }
    // Like MoveFileExA without MOVEFILE_REPLACE_EXISTING: 2 for a missing file, 183 for a
    // taken name.
    std::uint32_t setAside(const std::string& path, const std::string& newPath) override {
        const auto file = files.find(path);
        if (file == files.end()) return fileNotFound;
        if (exists(newPath)) return alreadyExists;
        files[newPath] = std::move(file->second);
        files.erase(path);
        return 0;
    }
    FolderFacts folderFacts(const std::string& path) override {
        const auto found = facts.find(path);
        return found != facts.end() ? found->second : FolderFacts{false, FolderOwner::Administrators};
    }

private:
    static constexpr std::uint32_t fileNotFound = 2;
    static constexpr std::uint32_t pathNotFound = 3;
    static constexpr std::uint32_t alreadyExists = 183;
    std::uint32_t lastReplaceError = 0;
};

// Waits no real time: adds up what it was asked to wait.
class CountingPause : public Pause {
public:
    std::uint32_t waited = 0;
    int waits = 0;
    void wait(std::uint32_t milliseconds) override {
        waited += milliseconds;
        ++waits;
    }
};

}  // namespace kestrine::testing
