#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tray/tray_icon.h"
#include "ui/win32_notify_shell.h"

namespace kestrine {
namespace {

TrayIconRecord sampleRecord() {
    TrayIconRecord record;
    record.owner = 0x10042;
    record.iconId = 2;
    record.flags = notifyFlagMessage | notifyFlagIcon | notifyFlagTip;
    record.callbackMessage = 0xC0DE;
    record.icon = 0x2A0;
    record.tooltip = "Drive Status Warning";
    return record;
}

// The 32-bit program's record sizes; the 64-bit build of the tests has wider handles.
constexpr bool handlesOf64Bits = sizeof(HWND) == 8;

TEST(NotifyIconData, UsesTheVersionOneSize) {
    EXPECT_EQ(notifyIconData(sampleRecord()).cbSize, handlesOf64Bits ? 104u : 88u);
}

TEST(NotifyIconData, CopiesEveryMemberOfTheRecord) {
    const NOTIFYICONDATAA data = notifyIconData(sampleRecord());
    EXPECT_EQ(data.hWnd, reinterpret_cast<HWND>(0x10042));
    EXPECT_EQ(data.uID, 2u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, 0xC0DEu);
    EXPECT_EQ(data.hIcon, reinterpret_cast<HICON>(0x2A0));
    EXPECT_STREQ(data.szTip, "Drive Status Warning");
}

TEST(NotifyIconData, FlagsWithoutMessageStayCleared) {
    TrayIconRecord record = sampleRecord();
    record.flags = notifyFlagIcon | notifyFlagTip;
    EXPECT_EQ(notifyIconData(record).uFlags, static_cast<UINT>(NIF_ICON | NIF_TIP));
}

TEST(NotifyIconData, TooltipAlwaysEndsWithinItsSixtyFourBytes) {
    TrayIconRecord record = sampleRecord();
    record.tooltip = std::string(63, 'x');
    const NOTIFYICONDATAA full = notifyIconData(record);
    EXPECT_EQ(std::strlen(full.szTip), 63u);
    record.tooltip = std::string(80, 'y');
    const NOTIFYICONDATAA cut = notifyIconData(record);
    EXPECT_EQ(std::string(cut.szTip), std::string(63, 'y'));
}

TEST(NotifyIconData, ANotificationGoesOutInTheVersionTwoRecord) {
    TrayIconRecord record = sampleRecord();
    record.flags |= notifyFlagInfo;
    record.infoTitle = "Drive Status Warning";
    record.infoText = "Disk 1 - WDC WD5000AAKS predicts failure\nD: 4.2 % free, below 10 %";
    record.infoFlags = notifyInfoWarning;
    const NOTIFYICONDATAA data = notifyIconData(record);
    EXPECT_EQ(data.cbSize, handlesOf64Bits ? 504u : 488u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
    EXPECT_STREQ(data.szInfoTitle, "Drive Status Warning");
    EXPECT_STREQ(data.szInfo, "Disk 1 - WDC WD5000AAKS predicts failure\nD: 4.2 % free, below 10 %");
    EXPECT_EQ(data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_STREQ(data.szTip, "Drive Status Warning");
    EXPECT_EQ(static_cast<UINT>(notificationClick), static_cast<UINT>(NIN_BALLOONUSERCLICK));
}

TEST(NotifyIconData, NotificationTextsAlwaysEndWithinTheirFields) {
    TrayIconRecord record = sampleRecord();
    record.flags |= notifyFlagInfo;
    record.infoTitle = std::string(90, 't');
    record.infoText = std::string(400, 'x');
    const NOTIFYICONDATAA data = notifyIconData(record);
    EXPECT_EQ(std::string(data.szInfoTitle), std::string(63, 't'));
    EXPECT_EQ(std::string(data.szInfo), std::string(255, 'x'));
}

}  // namespace
}  // namespace kestrine
