// The event log adapter, and the events' sentences as the Event Viewer finds them: with
// kestrine.exe as the source's message file, FormatMessage fills each event's strings into
// its sentence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32_event_log.h"
#include "tray/status_events.h"
#include "ui_program_resources.h"

namespace kestrine {
namespace {

TEST(EventLogType, EachTypeIsTheEventLogsOwn) {
    EXPECT_EQ(eventLogType(EventType::Error), EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(eventLogType(EventType::Warning), EVENTLOG_WARNING_TYPE);
    EXPECT_EQ(eventLogType(EventType::Information), EVENTLOG_INFORMATION_TYPE);
}

// Wine's event log takes the events without keeping them; Windows keeps them.
TEST(Win32EventLog, ReportsUnderTheProgramsSource) {
    Win32EventLog log;
    EXPECT_TRUE(log.report({EventType::Warning, volumeLowEvent, {"D:", "4.2 %", "21.0 GB", "500.0 GB", "10"}}));
    EXPECT_TRUE(log.report(settingsNotSaved("C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat")));
}

// The sentence of `event` from the message table of kestrine.exe, without its line end.
std::string sentence(const LogEvent& event) {
    std::vector<DWORD_PTR> arguments;
    for (const std::string& text : event.strings) arguments.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
    char text[1024] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, programResources(),
                                        event.id, 0, text, sizeof text, reinterpret_cast<va_list*>(arguments.data()));
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    return result;
}

struct SentenceRow {
    LogEvent event;
    const char* sentence;
};

TEST(EventMessages, KestrineExeGivesEveryEventItsSentence) {
    ASSERT_NE(programResources(), nullptr) << "kestrine.exe must be built beside the tests";
    const SentenceRow rows[] = {
        {{EventType::Error,
          driveFailingEvent,
          {"Disk 1 - WDC WD5000AAKS", "predicts failure", "Failure Predicted", "Ok"}},
         "Disk 1 - WDC WD5000AAKS: predicts failure (storage stack prediction: Failure Predicted, SMART status: Ok). "
         "Back up its data and replace the drive."},
        {{EventType::Information, driveOkEvent, {"Disk 1 - WDC WD5000AAKS", "", "Ok", "No Data Available"}},
         "Disk 1 - WDC WD5000AAKS is no longer failing (storage stack prediction: Ok, SMART status: No Data "
         "Available)."},
        {{EventType::Warning, volumeLowEvent, {"D:", "4.2 %", "21.0 GB", "500.0 GB", "10"}},
         "Volume D: has 4.2 % free space (21.0 GB of 500.0 GB), below its warning level of 10 percent."},
        {{EventType::Information, volumeOkEvent, {"E:", "12.5 %", "25.0 GB", "200.0 GB", "12"}},
         "Volume E: has 12.5 % free space again (25.0 GB of 200.0 GB), at or above its warning level of 12 percent."},
        {settingsNotSaved("C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat"),
         "The warning percents could not be saved to C:\\ProgramData\\VTN\\KSTM\\KSTMC.dat. The changes made since "
         "the program started are lost."},
    };
    for (const SentenceRow& row : rows) EXPECT_EQ(sentence(row.event), row.sentence) << row.event.id;
}

}  // namespace
}  // namespace kestrine
