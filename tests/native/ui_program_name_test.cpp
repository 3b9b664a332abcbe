#include <gtest/gtest.h>

#include "ui/program_name.h"

namespace kestrine {
namespace {

TEST(ProgramName, IsTheExecutablesBaseNameWithoutFolderOrExtension) {
    EXPECT_EQ(programNameFromPath("C:\\Program Files\\Kestrine\\kestrine.exe"), "kestrine");
    EXPECT_EQ(programNameFromPath("Z:/work/bin/kestrine_host.exe"), "kestrine_host");
    EXPECT_EQ(programNameFromPath("kestrine.exe"), "kestrine");
}

TEST(ProgramName, DotsInFoldersAndNamesWithoutExtensionAreKept) {
    EXPECT_EQ(programNameFromPath("C:\\tools.v2\\kestrine"), "kestrine");
    EXPECT_EQ(programNameFromPath("C:\\tools\\disk.status.exe"), "disk.status");
    EXPECT_EQ(programNameFromPath("C:\\tools\\.hidden"), ".hidden");
}

TEST(ProgramName, EmptyPathGivesAnEmptyName) { EXPECT_EQ(programNameFromPath(""), ""); }

}  // namespace
}  // namespace kestrine
