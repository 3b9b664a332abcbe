#pragma once
// Test-side helpers for the scripted host: the scenario file it replays, and the menu and
// icon dumps it answers.
#include <windows.h>

#include <string>
#include <vector>

#include "window_inspection.h"

namespace kestrine::e2e {

// A scenario file in the temporary folder, named to started programs through the
// environment variable KESTRINE_SCENARIO for as long as this object lives.
class ScenarioFile {
public:
    explicit ScenarioFile(const std::string& text = "");
    ~ScenarioFile();
    ScenarioFile(const ScenarioFile&) = delete;
    ScenarioFile& operator=(const ScenarioFile&) = delete;
    // Replaces the drives; the running host sees them at its next probe. Fails the test when
    // the text is not a valid scenario.
    void write(const std::string& text);

private:
    std::string path_;
};

// The menu bar and system menu of the scripted host's window `window`; empty on failure.
std::vector<scripted::MenuLine> readMenus(HWND window);
// Which icon resources the window's small and big icons show; false on failure.
bool readIcons(HWND window, scripted::IconDump& icons);
// What the host process of `window` holds (icons, brushes, image lists, windows); false on
// failure.
bool readObjectCounts(HWND window, scripted::ObjectCounts& counts);

}  // namespace kestrine::e2e
