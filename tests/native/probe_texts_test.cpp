#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "probe/drive_texts.h"

namespace kestrine {
namespace {

TEST(DriveTexts, BusTypesAreNamedAndUnknownCodesAreUnspecified) {
    EXPECT_EQ(busTypeName(0), "Unknown");
    EXPECT_EQ(busTypeName(1), "SCSI");
    EXPECT_EQ(busTypeName(7), "USB");
    EXPECT_EQ(busTypeName(10), "SAS");
    EXPECT_EQ(busTypeName(11), "SATA");
    EXPECT_EQ(busTypeName(12), "Unspecified");
    EXPECT_EQ(busTypeName(0x7F), "Unspecified");
    EXPECT_EQ(busTypeName(0xFFFFFFFF), "Unspecified");
}

TEST(DriveTexts, TrimmingRemovesOuterWhiteSpaceOnly) {
    EXPECT_EQ(trimBlanks(" \t\r\n\v\fACME  X100 \t\n"), "ACME  X100");
    EXPECT_EQ(trimBlanks(" \t "), "");
    EXPECT_EQ(trimBlanks(""), "");
}

TEST(DriveTexts, SerialPairsDecodeToBytesAndAreTrimmed) {
    EXPECT_EQ(decodeSerial("2041422020"), "AB");
    EXPECT_EQ(decodeSerial("4a4A"), "JJ");
}

TEST(DriveTexts, SerialStopsAtTheFirstZeroPair) {
    EXPECT_EQ(decodeSerial("41420043"), "AB");
    EXPECT_EQ(decodeSerial("004142"), "");
    EXPECT_EQ(decodeSerial(""), "");
}

TEST(DriveTexts, SerialOfOddLengthIgnoresItsLastCharacter) {
    EXPECT_EQ(decodeSerial("41424"), "AB");
    EXPECT_EQ(decodeSerial("4"), "");
}

TEST(DriveTexts, SerialLettersBeyondHexCountOnAndOtherBytesCountZero) {
    EXPECT_EQ(decodeSerial("zz"), "3");      // 35 << 4 | 35 = 0x233, low byte 0x33
    EXPECT_EQ(decodeSerial("4!"), "@");      // '!' counts 0: 0x40
    EXPECT_EQ(decodeSerial("41g041"), "A");  // 'g' is 16: 0x100 leaves a zero byte and ends the text
}

TEST(DriveTexts, DisplayNameDropsAVendorTheProductAlreadyStartsWith) {
    EXPECT_EQ(composeDisplayName("ACME", "ACME X100"), "ACME X100");
    EXPECT_EQ(composeDisplayName("ACME", "ACME"), "ACME");
    EXPECT_EQ(composeDisplayName("ACME", "X100"), "ACME X100");
    EXPECT_EQ(composeDisplayName("ACME", "acme X100"), "ACME acme X100");
    EXPECT_EQ(composeDisplayName("ACMECORP", "ACME"), "ACMECORP ACME");
    EXPECT_EQ(composeDisplayName("", "X100"), "X100");
}

TEST(DriveTexts, LabelShowsTheNameOnlyAfterASuccessfulIdentityQuery) {
    EXPECT_EQ(driveLabel(0, 0, "ACME X100"), "Disk 0 - ACME X100");
    EXPECT_EQ(driveLabel(2, 5, "ACME X100"), "Disk 2");
    EXPECT_EQ(driveLabel(15, 0, ""), "Disk 15 - ");
}

class ScriptedMessages : public SystemMessages {
public:
    std::optional<std::string> text;
    bool lookup(std::uint32_t, std::string& out) const override {
        if (!text) return false;
        out = *text;
        return true;
    }
};

TEST(DriveTexts, IdentityErrorKeepsTheSystemTextExactly) {
    ScriptedMessages messages;
    messages.text = "Access is denied.\r\n";
    EXPECT_EQ(identityErrorText(5, messages), "Cannot Read - Access is denied.\r\n");
}

TEST(DriveTexts, IdentityErrorWithoutSystemTextIsUnknown) {
    ScriptedMessages messages;
    EXPECT_EQ(identityErrorText(0xDEAD, messages), "Cannot Read - Unknown Error");
}

TEST(DriveTexts, StatesHaveTheirTexts) {
    EXPECT_STREQ(stateText(SpfState::NoData), "No Data Available");
    EXPECT_STREQ(stateText(SpfState::Ok), "Ok");
    EXPECT_STREQ(stateText(SpfState::FailurePredicted), "Failure Predicted");
    EXPECT_STREQ(stateText(SmartState::NoData), "No Data Available");
    EXPECT_STREQ(stateText(SmartState::QueryFailed), "Query Fail");
    EXPECT_STREQ(stateText(SmartState::Ok), "Ok");
    EXPECT_STREQ(stateText(SmartState::FailurePredicted), "Failure Predicted");
}

}  // namespace
}  // namespace kestrine
