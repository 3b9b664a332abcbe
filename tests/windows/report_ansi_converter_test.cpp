#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32_ansi_converter.h"

namespace kestrine {
namespace {

// The system's own way back from UTF-8 to the ANSI code page, to check the way there.
std::string backToAnsi(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                             static_cast<int>(utf8.size()), wide.data(),
                                                             static_cast<int>(wide.size()))));
    std::string ansi(wide.size() * 2, '\0');
    ansi.resize(
        static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                                                     static_cast<int>(ansi.size()), nullptr, nullptr)));
    return ansi;
}

TEST(Win32AnsiConverter, AsciiEmptyAndEmbeddedZerosPassUnchanged) {
    const Win32AnsiConverter converter;
    std::string utf8 = "left over";
    ASSERT_TRUE(converter.toUtf8("", utf8));
    EXPECT_EQ(utf8, "");
    ASSERT_TRUE(converter.toUtf8(std::string("A\"C\\ME\n\0X", 9), utf8));
    EXPECT_EQ(utf8, std::string("A\"C\\ME\n\0X", 9));
}

TEST(Win32AnsiConverter, EveryHighByteTheCodePageKnowsBecomesUtf8ForTheSameCharacter) {
    const Win32AnsiConverter converter;
    int converted = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string ansi(1, static_cast<char>(byte));
        std::string utf8;
        if (!converter.toUtf8(ansi, utf8)) continue;  // not a character of this code page
        ++converted;
        EXPECT_GE(utf8.size(), 2u) << byte;
        EXPECT_EQ(backToAnsi(utf8), ansi) << byte;
    }
    EXPECT_GT(converted, 0) << "code page " << GetACP();
}

TEST(Win32AnsiConverter, WesternCodePageGivesTheEuroSignAndAccents) {
    if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
    const Win32AnsiConverter converter;
    std::string utf8;
    ASSERT_TRUE(converter.toUtf8("Caf\xe9 \x80", utf8));
    EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE2\x82\xAC");
}

}  // namespace
}  // namespace kestrine
