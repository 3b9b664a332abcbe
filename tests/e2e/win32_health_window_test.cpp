// A drive's health window as a user opens it from the drive list: its title, the NVMe log's
// fields in its table, how far the drive's history goes back, and the history plotted.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "history/history_file.h"
#include "history/utc_time.h"
#include "resource.h"
#include "win32_polling.h"
#include "win32_process.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_screenshot.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

// The first planted day: midnight ten days ago, so that the history keeps every sample
// whenever the test runs.
const UtcSeconds firstDay = (static_cast<UtcSeconds>(std::time(nullptr)) / 86'400 - 10) * 86'400;
// The plot's colours of the temperature and of the media errors.
constexpr COLORREF temperatureColor = 0x2B39C0;
constexpr COLORREF mediaErrorsColor = 0x0E7FFF;

// Ten days of an NVMe drive's samples, one a day: a temperature between 34 and 41 C, media errors growing
// from 0 to 9.
History tenDays() {
    const std::vector<std::int16_t> temperatures = {34, 36, 35, 38, 41, 39, 37, 40, 38, 36};
    const std::vector<std::uint64_t> mediaErrors = {0, 0, 0, 2, 2, 2, 5, 5, 9, 9};
    DriveHistory drive{{"Fast N1", "NV1234"}, firstDay + 9 * 86'400, {}, {}};
    for (std::size_t day = 0; day < temperatures.size(); ++day) {
        HealthSample sample;
        sample.time = firstDay + static_cast<UtcSeconds>(day) * 86'400;
        sample.temperature = temperatures[day];
        sample.counts[static_cast<std::size_t>(CautionCount::MediaErrors)] = mediaErrors[day];
        drive.samples.push_back(sample);
    }
    return History{{drive}};
}

bool writeHistoryBesideSettings(const History& history) {
    const std::string settings = settingsPath();
    const std::string path = settings.substr(0, settings.rfind('\\') + 1) + "KSTMH.dat";
    const std::vector<std::uint8_t> bytes = serializeHistory(history);
    const UniqueHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

RECT screenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// A double-click on the drive opens its window over the main window; the tick goes on under it,
// and Escape closes it. The screenshot is the README's.
TEST(HealthWindow, DoubleClickOpensTheDrivesTableAndPlotAndEscapeClosesIt) {
    ASSERT_TRUE(writeSettings(defaultSettings()));
    ASSERT_TRUE(writeHistoryBesideSettings(tenDays()));
    ScenarioFile scenario;
    scenario.write(
        "0 version-fails vendor=Fast product=\"Fast N1\" serial=NV1234 bus=17\n"
        "0 nvme-log kelvin=311 spare=97 spare-threshold=10 used=3 hours=4242 media-errors=9\n");
    ProgramRun run(Program::Scripted);
    ASSERT_TRUE(run.waitForFirstRefresh());
    HWND list = run.control(IDC_DRIVE_LIST);
    ASSERT_TRUE(waitUntil([&] { return listItemCount(list) == 1; }));
    ItemLayout item;
    ASSERT_TRUE(readItemLayout(list, 0, item));
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(item.label.left + 4, (item.label.top + item.label.bottom) / 2));

    HWND health = waitForOwnedWindow("Health - Disk 0 - Fast N1", run.window());
    ASSERT_NE(health, nullptr);
    const std::vector<ListItem> rows = readListItems(GetDlgItem(health, IDC_HEALTH_TABLE));
    ASSERT_EQ(rows.size(), 11u) << "the NVMe log's fields";
    EXPECT_EQ(rows[3].text, "Percentage used");
    EXPECT_EQ(rows[9].text, "Media and data integrity errors");
    EXPECT_EQ(ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_TEMPERATURE)), "Temperature: 38 C");
    EXPECT_EQ(ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_HISTORY)),
              "History: 11 samples since " + utcTimeText(firstDay))
        << "the ten planted and the window's own";
    EXPECT_EQ(ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_STATUS)),
              "Status: caution - NVMe media and data integrity errors: 9\r\nmedia errors 9 - new");

    const RECT plot = screenRect(GetDlgItem(health, IDC_HEALTH_PLOT));
    // Each series is a line across the plot, longer than its swatch in the legend.
    EXPECT_TRUE(waitUntil([&] { return countScreenPixels(plot, temperatureColor) > 200; }))
        << countScreenPixels(plot, temperatureColor);
    EXPECT_GT(countScreenPixels(plot, mediaErrorsColor), 200);
    EXPECT_TRUE(saveScreenshot(support::binFolder() + "health_window.bmp", screenRect(health)));

    // The window's own button accepts what the drive shows now: its status turns ok, the count
    // stays listed as accepted, and the history grows by the accepting refresh's sample.
    PostMessageA(health, WM_COMMAND, MAKEWPARAM(IDC_HEALTH_ACCEPT, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(health, IDC_HEALTH_ACCEPT)));
    EXPECT_TRUE(waitUntil([&] {
        return ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_STATUS)).starts_with("Status: ok");
    })) << ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_STATUS));
    EXPECT_NE(ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_STATUS)).find("media errors 9 - accepted"),
              std::string::npos);
    EXPECT_TRUE(ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_HISTORY))
                    .starts_with("History: 12 samples since " + utcTimeText(firstDay) + ", last accepted on "))
        << ProgramRun::windowText(GetDlgItem(health, IDC_HEALTH_HISTORY));

    const std::string countdown = run.controlText(IDC_NEXT_REFRESH);
    EXPECT_TRUE(waitUntil([&] { return run.controlText(IDC_NEXT_REFRESH) != countdown; }));
    postKey(health, VK_ESCAPE);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(health); }));
    EXPECT_TRUE(run.running());
}

}  // namespace
}  // namespace kestrine::e2e
