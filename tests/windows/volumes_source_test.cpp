// The volume calls against the drives of the running system (under Wine: C: and Z:).
#include <gtest/gtest.h>

#include <string>

#include <windows.h>

#include "platform/win32_volume_source.h"

namespace kestrine {
namespace {

// Percent free as the system reports it right now, for comparison.
double systemPercentFree(const char* root) {
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExA(root, &available, &total, &totalFree) || total.QuadPart == 0) return -1.0;
    return static_cast<double>(totalFree.QuadPart) / static_cast<double>(total.QuadPart) * 100.0;
}

class VolumeSourceOnSystem : public ::testing::TestWithParam<const char*> {
protected:
    Win32VolumeSource source;
};

TEST_P(VolumeSourceOnSystem, LetterIsInTheLogicalDriveMask) {
    EXPECT_NE(source.logicalDrives() & (1u << (GetParam()[0] - 'A')), 0u);
}

TEST_P(VolumeSourceOnSystem, SizesArePositiveAndMatchTheSystemPercent) {
    VolumeSpace space;
    ASSERT_TRUE(source.freeSpace(GetParam(), space));
    EXPECT_GT(space.totalBytes, 0);
    EXPECT_GT(space.freeBytes, 0);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    const double percent = static_cast<double>(space.freeBytes) / static_cast<double>(space.totalBytes) * 100.0;
    // Other programs write to the same disk meanwhile: a tenth of a percent is room enough.
    EXPECT_NEAR(percent, systemPercentFree(GetParam()), 0.1);
}

// The label as GetVolumeInformationA reports it for the same root: a query that claims success
// without writing the label leaves "stale" behind.
void expectSystemLabel(Win32VolumeSource& source, const char* root) {
    char expected[MAX_PATH] = {};
    const bool known = GetVolumeInformationA(root, expected, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0) != FALSE;
    std::string label = "stale";
    EXPECT_EQ(source.label(root, label), known);
    EXPECT_EQ(label, known ? std::string(expected) : std::string());
}

TEST_P(VolumeSourceOnSystem, LabelIsWhatTheSystemReports) { expectSystemLabel(source, GetParam()); }

// scripts/lib.sh gives the prefix's C: the label "KESTRINE", so the expected text is not empty.
TEST(VolumeSourceLabel, LabelOfCIsRead) {
    char expected[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationA("C:\\", expected, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    ASSERT_STRNE(expected, "") << "C: has no label to read";
    Win32VolumeSource source;
    expectSystemLabel(source, "C:\\");
}

// The report's source reads labels with the wide call and gives UTF-8: a label outside the
// code page ("Café Ω", where Ω is in no Western code page) arrives whole. C:'s label is put
// back afterwards.
TEST(VolumeSourceLabel, WideLabelsArriveWholeInUtf8) {
    wchar_t before[MAX_PATH] = {};
    ASSERT_TRUE(GetVolumeInformationW(L"C:\\", before, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0));
    Win32VolumeSource wide(LabelEncoding::Utf8);
    std::string label;
    EXPECT_TRUE(wide.label("C:\\", label));
    EXPECT_EQ(label, "KESTRINE") << "scripts/lib.sh labels C:";
    if (!SetVolumeLabelW(L"C:\\", L"Caf\u00E9 \u03A9")) GTEST_SKIP() << "this system keeps C:'s label";
    wchar_t shown[MAX_PATH] = {};
    GetVolumeInformationW(L"C:\\", shown, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
    EXPECT_TRUE(wide.label("C:\\", label));
    SetVolumeLabelW(L"C:\\", before);
    // Wine reads labels when it starts and shows a new one only after a restart.
    if (std::wstring(shown) == before) GTEST_SKIP() << "this system shows a new label only after a restart";
    EXPECT_EQ(label, "Caf\xC3\xA9 \xCE\xA9");
}

INSTANTIATE_TEST_SUITE_P(DrivesCAndZ, VolumeSourceOnSystem, ::testing::Values("C:\\", "Z:\\"));

// A letter that no volume uses, for the failing queries.
std::string absentRoot(std::uint32_t mask) {
    for (int slot = 25; slot >= 2; --slot)
        if ((mask & (1u << slot)) == 0) return std::string(1, static_cast<char>('A' + slot)) + ":\\";
    return {};
}

TEST(VolumeSourceAbsentLetter, FreeSpaceAndLabelQueriesFail) {
    Win32VolumeSource source;
    const std::string root = absentRoot(source.logicalDrives());
    ASSERT_FALSE(root.empty());
    VolumeSpace space;
    EXPECT_FALSE(source.freeSpace(root, space));
    std::string label = "stale";
    EXPECT_FALSE(source.label(root, label));
    EXPECT_EQ(label, "");
}

}  // namespace
}  // namespace kestrine
