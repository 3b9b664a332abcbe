// The settings file as the running program leaves it: written at a first start, written
// at the end only when something changed, by any way of ending the window.
#include <gtest/gtest.h>

#include "resource.h"
#include "win32_polling.h"
#include "win32_program_run.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

TEST(SettingsFile, FirstStartWritesTheDefaultRecord) {
    removeSettings();
    ProgramRun run(Program::Real);
    ASSERT_NE(run.window(), nullptr);
    Bytes written;
    ASSERT_TRUE(waitUntil([&] { return readSettings(written) && written.size() == settingsSize; }));
    EXPECT_EQ(written, defaultSettings());
}

TEST(SettingsFile, UnchangedRunLeavesTheFileAlone) {
    Bytes prepared = defaultSettings();
    prepared[8] = 0x5A;  // reserved bytes are carried, never rebuilt
    ASSERT_TRUE(writeSettings(prepared));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    Bytes after;
    ASSERT_TRUE(readSettings(after));
    EXPECT_EQ(after, prepared);
    EXPECT_TRUE(unchangedSincePrepared());
}

TEST(SettingsFile, RaisedDefaultPercentIsSavedAtExit) {
    Bytes prepared = defaultSettings();
    prepared[8] = 0x5A;
    ASSERT_TRUE(writeSettings(prepared));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    clickButton(run.control(IDC_DEFAULT_UP));
    ASSERT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "11");
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    Bytes expected = prepared;
    expected[defaultPercentAt] = 11;
    Bytes after;
    ASSERT_TRUE(readSettings(after));
    EXPECT_EQ(after, expected);
}

TEST(SettingsFile, EscapeSavesAChangeOnTheWayOut) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    clickButton(run.control(IDC_DEFAULT_DOWN));
    ASSERT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "9");
    postKey(focusedControl(run.window()), VK_ESCAPE);
    ASSERT_TRUE(run.waitForExit(patientMs));
    Bytes after;
    ASSERT_TRUE(readSettings(after));
    ASSERT_EQ(after.size(), settingsSize);
    EXPECT_EQ(after[defaultPercentAt], 9);
}

// Windows ends the process after WM_ENDSESSION without destroying the window: a sign-out, a
// shutdown (no reason bit) and a critical end keep the program running until then, a Restart
// Manager close (an installer) ends it as Exit does. Each of them saves the change.
TEST(SettingsFile, SessionEndSavesAChange) {
    struct Case {
        LPARAM reason;
        bool ends;
    };
    for (const Case c : {Case{static_cast<LPARAM>(ENDSESSION_LOGOFF), false}, Case{0, false},
                         Case{ENDSESSION_CRITICAL, false}, Case{ENDSESSION_CLOSEAPP, true}}) {
        SCOPED_TRACE(c.reason);
        ASSERT_TRUE(writeSettings(defaultSettings()));
        Bytes raisedDefault = defaultSettings();
        raisedDefault[defaultPercentAt] = 11;
        ScenarioFile noDrives;
        ProgramRun run(Program::Scripted);
        ASSERT_TRUE(run.waitForFirstRefresh());
        clickButton(run.control(IDC_DEFAULT_UP));
        ASSERT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "11");
        EXPECT_NE(SendMessageA(run.window(), WM_QUERYENDSESSION, 0, c.reason), 0);
        SendMessageA(run.window(), WM_ENDSESSION, TRUE, c.reason);
        Bytes after;
        EXPECT_TRUE(waitUntil([&] { return readSettings(after) && after == raisedDefault; }));
        if (c.ends) {
            EXPECT_TRUE(run.waitForExit(patientMs));
        } else {
            EXPECT_TRUE(run.running());
        }
    }
}

TEST(SettingsFile, ChangeUndoneBeforeExitWritesNothing) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    clickButton(run.control(IDC_DEFAULT_UP));
    clickButton(run.control(IDC_DEFAULT_DOWN));
    ASSERT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "10");
    run.command(ID_FILE_EXIT);
    ASSERT_TRUE(run.waitForExit(patientMs));
    EXPECT_TRUE(unchangedSincePrepared());
}

TEST(SettingsFile, DefaultPercentStopsAtItsCeiling) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ScenarioFile noDrives;
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    for (int press = 0; press < 15; ++press) clickButton(run.control(IDC_DEFAULT_UP));
    EXPECT_EQ(run.controlText(IDC_DEFAULT_PERCENT), "20");
}

}  // namespace
}  // namespace kestrine::e2e
