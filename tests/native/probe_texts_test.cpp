#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "probe/drive_texts.h"

namespace kestrine {
namespace {

TEST(DriveTexts, BusTypesAreNamedAndUnknownCodesAreUnspecified) {
    const std::pair<std::uint32_t, const char*> rows[] = {
        {0, "Unknown"},
        {1, "SCSI"},
        {7, "USB"},
        {10, "SAS"},
        {11, "SATA"},
        {12, "SD"},
        {13, "MMC"},
        {14, "Virtual"},
        {15, "File Backed Virtual"},
        {16, "Storage Spaces"},
        {17, "NVMe"},
        {18, "SCM"},
        {19, "UFS"},
        {20, "Unspecified"},  // NVMe over Fabrics in later SDKs; MinGW's headers have no such code
        {0x7F, "Unspecified"},
        {0xFFFFFFFF, "Unspecified"},
    };
    for (const auto& [code, name] : rows) EXPECT_EQ(busTypeName(code), name) << "bus type " << code;
}

TEST(DriveTexts, TrimmingRemovesOuterWhiteSpaceOnly) {
    EXPECT_EQ(trimBlanks(" \t\r\n\v\fACME  X100 \t\n"), "ACME  X100");
    EXPECT_EQ(trimBlanks(" \t "), "");
    EXPECT_EQ(trimBlanks(""), "");
}

// Windows 7 and later give the drive's text; older versions gave its bytes as hexadecimal pairs.
TEST(DriveTexts, JoinedPartsStandInTheirOrder) {
    EXPECT_EQ(joined({}), "");
    EXPECT_EQ(joined({"SMART READ DATA", "", " through ", std::string(40, 'x')}),
              "SMART READ DATA through " + std::string(40, 'x'));
}

TEST(DriveTexts, SerialIsTheDrivesTextOrTheTextItsHexadecimalPairsStandFor) {
    const std::pair<const char*, const char*> rows[] = {
        {"WD-WCAPW0493929", "WD-WCAPW0493929"},
        {"  S3Z9NB0K123456A \t", "S3Z9NB0K123456A"},
        {"202057442D574341505730343933393239", "WD-WCAPW0493929"},  // older Windows, with its blank pairs
        {"53335a394e42304b31323334353641202020", "S3Z9NB0K123456A"},
        {"4a4A", "JJ"},
        {"3132333435", "12345"},
        {"41422020000000", "AB"},  // zero pairs at the end are padding
        {"202020", ""},            // older Windows' blank serial
        {"41420043", "41420043"},  // a zero byte inside is no text
        {"004142", "004142"},
        {"0000", "0000"},          // nothing but zeros: the drive's own digits
        {"1F2E3D4C", "1F2E3D4C"},  // hexadecimal digits, but no printable bytes
        {"7E41", "~A"},            // the printable range ends at 0x7E
        {"7F41", "7F41"},
        {"1F41", "1F41"},
        {"4142FF", "4142FF"},
        {"41424", "41424"},  // odd length
        {"4", "4"},
        {"41 42", "41 42"},  // mixed
        {"41g0", "41g0"},
        {"5A31-", "5A31-"},
        {"   ", ""},
        {"", ""},
        {"\t4142\r\n", "AB"},  // trimmed before it is decoded
    };
    for (const auto& [descriptor, serial] : rows) EXPECT_EQ(decodeSerial(descriptor), serial) << descriptor;
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
    EXPECT_STREQ(stateLook(SpfState::NoData).text, "No Data Available");
    EXPECT_STREQ(stateLook(SpfState::Ok).text, "Ok");
    EXPECT_STREQ(stateLook(SpfState::FailurePredicted).text, "Failure Predicted");
    EXPECT_STREQ(stateLook(SmartState::NoData).text, "No Data Available");
    EXPECT_STREQ(stateLook(SmartState::QueryFailed).text, "Query Fail");
    EXPECT_STREQ(stateLook(SmartState::Ok).text, "Ok");
    EXPECT_STREQ(stateLook(SmartState::FailurePredicted).text, "Failure Predicted");
}

}  // namespace
}  // namespace kestrine
