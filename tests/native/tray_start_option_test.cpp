#include <gtest/gtest.h>

#include "tray/start_option.h"

namespace kestrine {
namespace {

TEST(StartOption, SystemTrayAfterAnyNonLettersStartsHidden) {
    EXPECT_TRUE(asksToStartHidden("SystemTray"));
    EXPECT_TRUE(asksToStartHidden("/SystemTray"));
    EXPECT_TRUE(asksToStartHidden("-systemtray"));
    EXPECT_TRUE(asksToStartHidden("  SYSTEMTRAY"));
    EXPECT_TRUE(asksToStartHidden("--\"1 sYsTeMtRaY"));
}

TEST(StartOption, AnythingAfterTheOptionKeepsTheWindowVisible) {
    EXPECT_FALSE(asksToStartHidden("/SystemTray /x"));
    EXPECT_FALSE(asksToStartHidden("SystemTray2"));
    EXPECT_FALSE(asksToStartHidden("SystemTray "));
}

TEST(StartOption, EmptyOrOtherTailsKeepTheWindowVisible) {
    EXPECT_FALSE(asksToStartHidden(""));
    EXPECT_FALSE(asksToStartHidden("//"));
    EXPECT_FALSE(asksToStartHidden("System"));
    EXPECT_FALSE(asksToStartHidden("/x SystemTray"));
}

}  // namespace
}  // namespace kestrine
