#include <gtest/gtest.h>

#include "fakes/fake_list_control.h"
#include "fakes/fake_volume_source.h"
#include "ui/volume_list.h"

namespace kestrine {
namespace {

using testing::FakeListControl;
using testing::FakeVolumeSource;

constexpr int C = 2, D = 3, E = 4;

class VolumeScan : public ::testing::Test {
protected:
    int scan() {
        const VolumeScanResult result = scanVolumes(source, settings, table);
        refillVolumeList(result, table, list);
        return result.warningCount;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& item : list.items) result.push_back(item.text);
        return result;
    }
    int imageOf(int slot) const { return list.image(list.findByData(slot)); }

    FakeVolumeSource source;
    FakeListControl list;
    SettingsRecord settings = defaultSettings();
    VolumeTable table;
};

TEST_F(VolumeScan, ListsLettersFromCInAscendingOrderAndNeverAOrB) {
    source.add('A', 1000, 500);
    source.add('B', 1000, 500);
    source.add('E', 1000, 500);
    source.add('C', 1000, 500);
    scan();
    EXPECT_EQ(texts(), (std::vector<std::string>{"C: 50.0% Free ", "E: 50.0% Free "}));
    EXPECT_EQ(source.freeSpaceQueries['A'], 0);
    EXPECT_EQ(source.freeSpaceQueries['B'], 0);
    EXPECT_EQ(list.items[0].data, C);
    EXPECT_EQ(list.items[1].data, E);
}

TEST_F(VolumeScan, ItemTextShowsPercentWithFourCharactersAndTheLabel) {
    source.add('C', 1000, 453, "System");
    source.add('D', 1000, 70);
    scan();
    EXPECT_EQ(texts(), (std::vector<std::string>{"C: 45.3% Free (System)", "D:  7.0% Free "}));
}

TEST_F(VolumeScan, FailedLabelQueryListsTheVolumeWithoutLabel) {
    source.add('C', 1000, 500, "System").labelFails = true;
    scan();
    EXPECT_EQ(texts(), (std::vector<std::string>{"C: 50.0% Free "}));
}

TEST_F(VolumeScan, VolumeExactlyAtItsLimitIsOkAndJustBelowWarns) {
    source.add('C', 1000, 100);
    source.add('D', 1000, 99);
    EXPECT_EQ(scan(), 1);
    EXPECT_EQ(imageOf(C), volumeOkImage);
    EXPECT_EQ(imageOf(D), volumeWarningImage);
}

TEST_F(VolumeScan, SlotWithoutDefaultFlagIsJudgedByItsOwnPercent) {
    source.add('C', 1000, 150);
    source.add('D', 1000, 150);
    settings.useDefault[D] = 0;
    settings.warningPercent[C] = 20;
    settings.warningPercent[D] = 20;
    EXPECT_EQ(scan(), 1);
    EXPECT_EQ(imageOf(C), volumeOkImage);
    EXPECT_EQ(imageOf(D), volumeWarningImage);
}

// A percent outside 1 to 50, which only a file can bring, is judged at the nearer end of it:
// 0 would never warn, 4294967295 always. C: follows the default, D: its own percent.
TEST_F(VolumeScan, StoredPercentOutsideTheSavedRangeIsJudgedAtItsNearerEnd) {
    const struct {
        std::uint32_t stored;
        std::int64_t freeOf10000;
        bool warns;
    } rows[] = {
        {0, 99, true},     {0, 100, false},           {1, 99, true},
        {1, 100, false},   {50, 4999, true},          {50, 5000, false},
        {51, 5000, false}, {4294967295u, 4999, true}, {4294967295u, 5000, false},
    };
    settings.useDefault[D] = 0;
    for (const auto& row : rows) {
        source.add('C', 10000, row.freeOf10000);
        source.add('D', 10000, row.freeOf10000);
        settings.defaultWarningPercent = row.stored;
        settings.warningPercent[D] = row.stored;
        EXPECT_EQ(scan(), row.warns ? 2 : 0) << row.stored << " with " << row.freeOf10000 << " of 10000 free";
        EXPECT_EQ(imageOf(C), row.warns ? volumeWarningImage : volumeOkImage) << row.stored;
    }
}

TEST_F(VolumeScan, TableKeepsSizesAndPercentOfEachQueriedVolume) {
    source.add('C', 80023715840, 20005928960);
    scan();
    EXPECT_EQ(table[C].totalBytes, 80023715840);
    EXPECT_EQ(table[C].freeBytes, 20005928960);
    EXPECT_DOUBLE_EQ(table[C].percentFree, 25.0);
    EXPECT_EQ(table[D].totalBytes, 1);  // never queried: still as created
    EXPECT_DOUBLE_EQ(table[D].percentFree, 100.0);
}

TEST_F(VolumeScan, ScanOfEmptyListSelectsFirstVolumeOnEveryInsert) {
    source.add('C', 1000, 500);
    source.add('D', 1000, 500);
    scan();
    EXPECT_EQ(list.mark, 0);
    EXPECT_TRUE(list.items[0].selected && list.items[0].focused);
    EXPECT_FALSE(list.items[1].selected);
    EXPECT_EQ(list.selections, 2);
}

TEST_F(VolumeScan, ScanOfFilledListAddsAtTheEndAndLeavesSelectionAlone) {
    source.add('C', 1000, 500);
    source.add('E', 1000, 500);
    scan();
    list.mark = 1;
    list.selections = 0;
    source.add('D', 1000, 500);
    scan();
    EXPECT_EQ(texts(), (std::vector<std::string>{"C: 50.0% Free ", "E: 50.0% Free ", "D: 50.0% Free "}));
    EXPECT_EQ(list.mark, 1);
    EXPECT_EQ(list.selections, 0);
}

TEST_F(VolumeScan, FailedQueryRemovesItemAndKeepsTableEntry) {
    source.add('C', 1000, 500);
    source.add('D', 1000, 50);
    scan();
    source.volumes['D'] = {2000, 1000, "", true};
    EXPECT_EQ(scan(), 0);
    EXPECT_EQ(list.findByData(D), -1);
    EXPECT_EQ(list.itemCount(), 1);
    EXPECT_EQ(table[D].totalBytes, 1000);
    EXPECT_DOUBLE_EQ(table[D].percentFree, 5.0);
}

TEST_F(VolumeScan, CardInsertedLaterIsAddedAtTheEnd) {
    source.add('C', 1000, 500);
    source.add('D', 1000, 500).freeSpaceFails = true;
    source.add('E', 1000, 500);
    scan();
    source.volumes['D'].freeSpaceFails = false;
    scan();
    EXPECT_EQ(list.items[2].data, D);
}

TEST_F(VolumeScan, LetterMissingFromMaskLosesItsItemAndIsNotCounted) {
    source.add('C', 1000, 500);
    source.add('D', 1000, 50);
    EXPECT_EQ(scan(), 1);
    source.volumes.erase('D');
    EXPECT_EQ(scan(), 0);
    EXPECT_EQ(list.findByData(D), -1);
    EXPECT_EQ(table[D].freeBytes, 50);
}

TEST_F(VolumeScan, EmptyMaskLeavesListUntouchedAndCountsNothing) {
    source.add('C', 1000, 50);
    EXPECT_EQ(scan(), 1);
    const auto before = texts();
    source.maskOverride = 0;
    EXPECT_EQ(scan(), 0);
    EXPECT_EQ(texts(), before);
    EXPECT_EQ(imageOf(C), volumeWarningImage);
    EXPECT_EQ(source.freeSpaceQueries['C'], 1);
}

TEST_F(VolumeScan, UnchangedVolumeWritesNeitherTextNorImage) {
    source.add('C', 1000, 500, "System");
    scan();
    scan();
    EXPECT_EQ(list.textWrites, 0);
    EXPECT_EQ(list.imageWrites, 0);
}

TEST_F(VolumeScan, ChangedFreeSpaceRewritesTextAndImage) {
    source.add('C', 1000, 500, "System");
    scan();
    source.volumes['C'].freeBytes = 50;
    EXPECT_EQ(scan(), 1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C:  5.0% Free (System)"}));
    EXPECT_EQ(imageOf(C), volumeWarningImage);
    EXPECT_EQ(list.textWrites, 1);
}

TEST_F(VolumeScan, ChangedThresholdReimagesWithoutRewritingText) {
    source.add('C', 1000, 150);
    scan();
    settings.defaultWarningPercent = 20;
    EXPECT_EQ(scan(), 1);
    EXPECT_EQ(imageOf(C), volumeWarningImage);
    EXPECT_EQ(list.textWrites, 0);
}

TEST_F(VolumeScan, ZeroSizeVolumeShowsZeroPercentAndIsInWarning) {
    source.add('C', 0, 0);
    settings.defaultWarningPercent = 0;  // even a limit that never warns
    EXPECT_EQ(scan(), 1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"C:  0.0% Free "}));
    EXPECT_EQ(imageOf(C), volumeWarningImage);
    EXPECT_EQ(table[C].percentFree, 0.0);
}

// The pass alone, as a front end without a list uses it.
TEST_F(VolumeScan, PassGivesAVerdictForEveryScannedLetterWithoutAList) {
    source.add('C', 1000, 50, "System");
    source.add('E', 1000, 500).freeSpaceFails = true;
    settings.defaultWarningPercent = 7;
    const VolumeScanResult result = scanVolumes(source, settings, table);
    ASSERT_TRUE(result.answered);
    ASSERT_EQ(result.verdicts.size(), 24u);
    EXPECT_EQ(result.verdicts.front().slot, C);
    EXPECT_EQ(result.verdicts.back().slot, 25);
    const VolumeVerdict& c = result.verdicts[0];
    EXPECT_TRUE(c.present && c.inWarning);
    EXPECT_EQ(c.warningPercent, 7u);
    EXPECT_DOUBLE_EQ(table[C].percentFree, 5.0);
    EXPECT_EQ(c.label, "System");
    EXPECT_FALSE(result.verdicts[D - C].present);
    EXPECT_FALSE(result.verdicts[E - C].present);
    EXPECT_EQ(result.warningCount, 1);
}

TEST_F(VolumeScan, PassWithoutAnyLetterAnswersNothing) {
    source.add('C', 1000, 50);
    source.maskOverride = 0;
    const VolumeScanResult result = scanVolumes(source, settings, table);
    EXPECT_FALSE(result.answered);
    EXPECT_TRUE(result.verdicts.empty());
    EXPECT_EQ(result.warningCount, 0);
    EXPECT_EQ(table[C].totalBytes, 1);
}

TEST_F(VolumeScan, FailedInsertSelectsNothing) {
    source.add('C', 1000, 50);
    list.failInserts = true;
    EXPECT_EQ(scan(), 1);  // the volume is still judged
    EXPECT_EQ(list.mark, -1);
    EXPECT_EQ(list.selections, 0);
}

}  // namespace
}  // namespace kestrine
