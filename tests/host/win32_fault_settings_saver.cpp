// kestrine_fault_saver.exe MAPPING: saves changed settings over and over, exactly as the
// program does at exit (SettingsStore over Win32FileStore), so that a test can kill it in the
// middle of a save. Each round loads the file, then saves the other of the two records. Progress
// goes to the named shared block MAPPING (fault_saver_protocol.h). Runs until killed.
#include <windows.h>

#include <cstdint>
#include <string>

#include "fault_saver_protocol.h"
#include "platform/win32_file_store.h"
#include "platform/win32_handle.h"
#include "platform/win32_settings_folder.h"
#include "settings/message_sink.h"
#include "settings/settings_store.h"

namespace {

// The saver shows nothing; a refused record counts as a failed save.
class SilentMessages : public kestrine::MessageSink {
public:
    void show(const std::string&) override {}
};

// The view of the test's block; unmapped when the saver ends normally.
class CountersView {
public:
    explicit CountersView(HANDLE mapping)
        : view_(static_cast<std::uint8_t*>(
              MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(kestrine::faults::SaverCounters)))) {}
    kestrine::faults::SaverCounters* get() const {
        return reinterpret_cast<kestrine::faults::SaverCounters*>(view_.get());
    }

private:
    kestrine::UniqueView view_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const kestrine::UniqueHandle mapping(OpenFileMappingA(FILE_MAP_WRITE, FALSE, argv[1]));
    if (!mapping.valid()) return 3;
    const CountersView view(mapping.get());
    kestrine::faults::SaverCounters* counters = view.get();
    if (counters == nullptr) return 3;

    kestrine::Win32FileStore files;
    kestrine::Win32Pause pause;
    SilentMessages messages;
    kestrine::SettingsStore store(files, messages, pause, kestrine::settingsBaseFolder());
    for (;;) {
        // The start-up sequence leaves the loaded record in the working one; a file it
        // cannot load is a fault the test reports.
        if (store.runStartUpSequence()) counters->loadsFailed = counters->loadsFailed + 1;
        const bool holdsFirst = kestrine::sameSettings(store.working(), kestrine::faults::saverRecord(0));
        store.working() = kestrine::faults::saverRecord(holdsFirst ? 1 : 0);
        counters->inSave = 1;
        const bool saved = store.saveSettings();
        counters->inSave = 0;
        if (saved)
            counters->savesDone = counters->savesDone + 1;
        else
            counters->savesFailed = counters->savesFailed + 1;
    }
}
