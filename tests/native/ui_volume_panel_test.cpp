#include <gtest/gtest.h>

#include "fakes/fake_list_control.h"
#include "fakes/fake_message_sink.h"
#include "ui/volume_panel.h"
#include "volumes/byte_size.h"

namespace kestrine {
namespace {

using testing::FakeListControl;
using testing::RecordingMessageSink;

constexpr int C = 2, D = 3;

TEST(ByteSize, CountsInDecimalThousands) {
    EXPECT_EQ(formatByteSize(0), "0.0 Bytes");
    EXPECT_EQ(formatByteSize(999), "999.0 Bytes");
    EXPECT_EQ(formatByteSize(1000), "1.0 KB");
    EXPECT_EQ(formatByteSize(80023715840), "80.0 GB");
}

TEST(ByteSize, UnitStopsAtTerabytes) { EXPECT_EQ(formatByteSize(5000000000000000), "5000.0 TB"); }

class VolumePanel : public ::testing::Test {
protected:
    void SetUp() override {
        list.insert(0, "C: 45.3% Free (System)", 1, C);
        list.insert(1, "D: 50.0% Free ", 1, D);
        table[C] = {80023715840, 36250743575, 45.3};
        settings.warningPercent[C] = 7;
    }
    VolumePanelView view() { return volumePanelView(list, table, settings, messages); }

    FakeListControl list;
    VolumeTable table;
    SettingsRecord settings = defaultSettings();
    RecordingMessageSink messages;
};

TEST_F(VolumePanel, NothingMarkedShowsPlaceholdersAndTheDefault) {
    settings.defaultWarningPercent = 12;
    const VolumePanelView shown = view();
    EXPECT_EQ(shown.letterText, "..");
    EXPECT_EQ(shown.percentText, "...");
    EXPECT_EQ(shown.freeText, "...");
    EXPECT_EQ(shown.totalText, "...");
    EXPECT_TRUE(shown.usesOwnPercent);
    EXPECT_EQ(shown.shownPercent, 12u);
}

TEST_F(VolumePanel, MarkedVolumeShowsItsTableEntryAndOwnPercent) {
    list.mark = 0;
    const VolumePanelView shown = view();
    EXPECT_EQ(shown.letterText, "C:");
    EXPECT_EQ(shown.percentText, "45.3 %");
    EXPECT_EQ(shown.freeText, "36.3 GB");
    EXPECT_EQ(shown.totalText, "80.0 GB");
    EXPECT_FALSE(shown.usesOwnPercent);
    EXPECT_EQ(shown.shownPercent, 7u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VolumePanel, BoxIsTickedForVolumeUsingItsOwnPercent) {
    list.mark = 0;
    settings.useDefault[C] = 0;
    EXPECT_TRUE(view().usesOwnPercent);
}

TEST_F(VolumePanel, ItemThatIsNoSlotShowsBadVolumeIdAndOnlyTheLetter) {
    list.insert(2, "Q: odd", 1, 26);
    list.mark = 2;
    const VolumePanelView shown = view();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"BadVolumeID"});
    EXPECT_EQ(shown.letterText, "Q:");
    EXPECT_EQ(shown.percentText, "...");
    EXPECT_TRUE(shown.usesOwnPercent);
    EXPECT_EQ(shown.shownPercent, 10u);
}

// A list view may leave the mark where a deleted item was: past the end, it marks nothing.
TEST_F(VolumePanel, MarkPastTheLastItemShowsNothingMarkedWithoutAMessage) {
    for (const int stale : {2, 7}) {
        list.mark = stale;
        const VolumePanelView shown = view();
        EXPECT_EQ(shown.letterText, "..") << stale;
        EXPECT_EQ(shown.percentText, "...") << stale;
        EXPECT_TRUE(shown.usesOwnPercent) << stale;
        EXPECT_EQ(shown.shownPercent, 10u) << stale;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VolumePanel, SlotIndexesOutsideZeroToTwentyFiveAreRejected) {
    EXPECT_TRUE(isValidVolumeIndex(0, messages));
    EXPECT_TRUE(isValidVolumeIndex(25, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(isValidVolumeIndex(-1, messages));
    EXPECT_FALSE(isValidVolumeIndex(26, messages));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(VolumePanel, DefaultPercentStaysWithinOneToTwenty) {
    for (int press = 0; press < 15; ++press) raiseDefaultWarningPercent(settings);
    EXPECT_EQ(settings.defaultWarningPercent, 20u);
    EXPECT_EQ(raiseDefaultWarningPercent(settings), std::nullopt);
    EXPECT_EQ(lowerDefaultWarningPercent(settings), 19u);
    for (int press = 0; press < 25; ++press) lowerDefaultWarningPercent(settings);
    EXPECT_EQ(settings.defaultWarningPercent, 1u);
    EXPECT_EQ(lowerDefaultWarningPercent(settings), std::nullopt);
}

TEST_F(VolumePanel, StoredDefaultAboveRangeCanOnlyBeLowered) {
    settings.defaultWarningPercent = 45;
    EXPECT_EQ(raiseDefaultWarningPercent(settings), std::nullopt);
    EXPECT_EQ(settings.defaultWarningPercent, 45u);
    EXPECT_EQ(lowerDefaultWarningPercent(settings), 44u);
}

TEST_F(VolumePanel, OwnPercentStaysWithinOneToThirtyEvenWhileFollowingDefault) {
    list.mark = 1;
    for (int press = 0; press < 25; ++press) raiseVolumeWarningPercent(settings, list, messages);
    EXPECT_EQ(settings.warningPercent[D], 30u);
    EXPECT_EQ(raiseVolumeWarningPercent(settings, list, messages), std::nullopt);
    for (int press = 0; press < 35; ++press) lowerVolumeWarningPercent(settings, list, messages);
    EXPECT_EQ(settings.warningPercent[D], 1u);
    EXPECT_EQ(lowerVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_EQ(settings.useDefault[D], 1);
    EXPECT_EQ(settings.warningPercent[C], 7u);
}

TEST_F(VolumePanel, StoredOwnPercentOfZeroCanOnlyBeRaised) {
    list.mark = 0;
    settings.warningPercent[C] = 0;
    EXPECT_EQ(lowerVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_EQ(raiseVolumeWarningPercent(settings, list, messages), 1u);
}

// A mark left behind the last item (the list shrank under it) is no mark: the panel reads no
// item data for it (the list would answer -1), shows no figures and opens no box.
TEST_F(VolumePanel, MarkBehindTheLastItemShowsNoFiguresAndChangesNothing) {
    list.mark = 2;
    const VolumePanelView shown = view();
    EXPECT_EQ(shown.percentText, "...");
    EXPECT_EQ(shown.freeText, "...");
    EXPECT_EQ(raiseVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VolumePanel, OwnPercentButtonsChangeNothingWithoutAValidMark) {
    const SettingsRecord before = settings;
    EXPECT_EQ(raiseVolumeWarningPercent(settings, list, messages), std::nullopt);
    list.insert(2, "Q: odd", 1, 40);
    list.mark = 2;
    EXPECT_EQ(lowerVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"BadVolumeID"});
    list.mark = 3;  // stale: past the last item
    EXPECT_EQ(raiseVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_EQ(lowerVolumeWarningPercent(settings, list, messages), std::nullopt);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(sameSettings(settings, before));
}

TEST_F(VolumePanel, CheckBoxSwitchesMarkedVolumeBetweenOwnAndDefault) {
    list.mark = 1;
    toggleVolumeUsesOwnPercent(settings, list, true);
    EXPECT_EQ(settings.useDefault[D], 0);
    toggleVolumeUsesOwnPercent(settings, list, false);
    EXPECT_EQ(settings.useDefault[D], 1);
}

TEST_F(VolumePanel, CheckBoxChangesNothingWithoutAValidMark) {
    const SettingsRecord before = settings;
    toggleVolumeUsesOwnPercent(settings, list, true);
    list.insert(2, "Q: odd", 1, -3);
    list.mark = 2;
    toggleVolumeUsesOwnPercent(settings, list, true);
    list.mark = 3;  // stale: past the last item
    toggleVolumeUsesOwnPercent(settings, list, true);
    EXPECT_TRUE(sameSettings(settings, before));
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace kestrine
