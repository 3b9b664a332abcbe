#include <gtest/gtest.h>

#include "tray/status_evaluation.h"

namespace kestrine {
namespace {

TEST(StatusEvaluation, StartsWithTheStartTooltip) { EXPECT_STREQ(startTooltip, "Smart Status Ok"); }

TEST(StatusEvaluation, TurningToWarningShowsTheWarningPicture) {
    const StatusDecision d = evaluateStatus(0, 0, 1, 0);
    EXPECT_FALSE(d.isOk);
    EXPECT_EQ(d.tooltip, "Drive Status Warning");
}

TEST(StatusEvaluation, TurningBackToOkShowsTheOkPicture) {
    const StatusDecision d = evaluateStatus(1, 2, 0, 0);
    EXPECT_TRUE(d.isOk);
    EXPECT_EQ(d.tooltip, "Drive Status Ok");
}

struct Transition {
    const char* what;
    int oldDrives, oldVolumes, newDrives, newVolumes;
    bool stateChanged, bringForward;
};

// Only the counts matter, never which drive or volume they stand for.
const Transition transitions[] = {
    {"no problem before or after", 0, 0, 0, 0, false, false},
    {"first failing drive", 0, 0, 1, 0, true, true},
    {"first volume in warning", 0, 0, 0, 1, true, true},
    {"all problems gone", 1, 2, 0, 0, true, false},
    {"volume falls while a drive fails", 1, 0, 1, 1, false, true},
    {"second failing drive", 1, 0, 2, 0, false, true},
    {"one volume recovers as another falls", 0, 1, 0, 1, false, false},
    {"volume recovers as a drive starts failing", 0, 1, 1, 0, false, true},
    {"fewer problems, still warning", 2, 3, 1, 3, false, false},
};

TEST(StatusEvaluation, EveryTransitionSwapsAndBringsForwardAsItShould) {
    for (const Transition& t : transitions) {
        const StatusDecision d = evaluateStatus(t.oldDrives, t.oldVolumes, t.newDrives, t.newVolumes);
        EXPECT_EQ(d.stateChanged, t.stateChanged) << t.what;
        EXPECT_EQ(d.bringForward, t.bringForward) << t.what;
        EXPECT_EQ(d.isOk, t.newDrives == 0 && t.newVolumes == 0) << t.what;
    }
}

}  // namespace
}  // namespace kestrine
