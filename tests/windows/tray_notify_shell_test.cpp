#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(NotifyIconData, UsesTheVersionOneSize) { EXPECT_EQ(notifyIconData(sampleRecord()).cbSize, 88u); }

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

}  // namespace
}  // namespace kestrine
