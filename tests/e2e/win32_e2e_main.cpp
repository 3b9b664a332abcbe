// The end-to-end suite's entry point. Run it inside a desktop that has a notification area,
// e.g. `wine explorer /desktop=e2e,1024x768 kestrine_e2e_tests.exe --gtest_output=xml:...`.
#include <gtest/gtest.h>

#include "win32_program_run.h"

namespace {

// A copy left running by an interrupted earlier run would hold the single-copy block and
// turn every start of this run into a hand-over.
class LeftoverPrograms : public ::testing::Environment {
public:
    void SetUp() override { kestrine::e2e::endLeftoverPrograms(); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LeftoverPrograms);
    return RUN_ALL_TESTS();
}
