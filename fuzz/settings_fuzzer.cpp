// A settings file of any content through the start-up sequence, the test before writing, one
// threshold change by the user and the save at exit.
//   the whole input: the file's bytes
//   its last byte (when there is one): which arrow or check box the user clicks, and on which slot
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/fake_file_store.h"
#include "fakes/fake_list_control.h"
#include "fakes/fake_message_sink.h"
#include "fuzz_support.h"
#include "settings/settings_store.h"
#include "ui/volume_panel.h"

namespace kestrine::fuzz {
namespace {

constexpr char base[] = "C:\\ProgramData";
const std::string filePath = std::string(base) + "\\VTN\\KSTM\\KSTMC.dat";

std::vector<std::uint8_t> bytesOf(const SettingsRecord& record) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return {bytes, bytes + sizeof record};
}

// The test before writing, field by field from the file's layout.
bool storable(const std::vector<std::uint8_t>& bytes) {
    const auto le32 = [&bytes](std::size_t offset) { return le32Within(bytes.data(), bytes.size(), offset); };
    const auto inRange = [](std::uint32_t percent) { return percent >= 1 && percent <= 50; };
    if (le32(0) != 3 || !inRange(le32(32))) return false;
    for (std::uint32_t slot = 0; slot < 26; ++slot)
        if (!inRange(le32(36 + 4 * slot)) || le32(140 + 4 * slot) != slot) return false;
    return true;
}

void clickSomething(SettingsRecord& settings, std::uint8_t choice, MessageSink& messages) {
    testing::FakeListControl list;
    list.insert(0, "C: 50.0% Free ", 1, choice % 26);
    list.mark = 0;
    switch (choice / 26 % 5) {
        case 0: lowerDefaultWarningPercent(settings); break;
        case 1: raiseDefaultWarningPercent(settings); break;
        case 2: lowerVolumeWarningPercent(settings, list, messages); break;
        case 3: raiseVolumeWarningPercent(settings, list, messages); break;
        default: toggleVolumeUsesOwnPercent(settings, list, choice % 2 == 0); break;
    }
}

void check(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file(data, data + size);
    testing::FakeFileStore files;
    files.folders = {base, std::string(base) + "\\VTN", std::string(base) + "\\VTN\\KSTM"};
    files.files[filePath] = file;
    testing::RecordingMessageSink messages;
    testing::CountingPause pause;
    SettingsStore store(files, messages, pause, base);

    const bool loadable = size >= settingsRecordSize && le32Within(data, size, 0) == settingsVersion;
    const bool firstStart = store.runStartUpSequence();
    require(firstStart == !loadable, "a first start exactly when the file is short or of another version");
    const std::vector<std::uint8_t> loaded =
        loadable ? std::vector<std::uint8_t>(data, data + settingsRecordSize) : bytesOf(defaultSettings());
    require(bytesOf(store.working()) == loaded, "the working record is the file's first 272 bytes or the defaults");
    require(files.replacements == (loadable ? 0 : 1), "only a first start writes at start-up");
    require(files.files.at(filePath) == (loadable ? file : bytesOf(defaultSettings())),
            "a good file is left alone, a bad one replaced by the defaults");
    require(validateSettings(store.working()) == storable(loaded), "the test before writing");

    if (size > 0) clickSomething(store.working(), data[size - 1], messages);
    const std::vector<std::uint8_t> changed = bytesOf(store.working());
    const std::vector<std::uint8_t> fileBefore = files.files.at(filePath);
    const int replacementsBefore = files.replacements;
    const bool saved = store.saveSettings();

    const std::vector<std::uint8_t>& fileAfter = files.files.at(filePath);
    require(fileAfter.size() == (files.replacements > replacementsBefore ? settingsRecordSize : fileBefore.size()),
            "a save writes exactly 272 bytes or nothing");
    if (changed == loaded) {
        require(saved && files.replacements == replacementsBefore, "an unchanged record is not written");
    } else if (!storable(changed)) {
        require(!saved && fileAfter == fileBefore, "a record failing the test is not written");
        require(!messages.shown.empty() && messages.shown.back() == "Bad Config Data On Save", "and the user is told");
    } else {
        require(saved && fileAfter == changed, "a changed, valid record is written as it is");
        require(std::equal(fileAfter.begin() + 8, fileAfter.begin() + 32, loaded.begin() + 8),
                "the reserved bytes survive");
    }

    SettingsStore reader(files, messages, pause, base);
    require(reader.loadSettings() == (fileAfter.size() >= settingsRecordSize &&
                                      le32Within(fileAfter.data(), fileAfter.size(), 0) == settingsVersion),
            "a load succeeds exactly on 272 bytes of version 3");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
