#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/win32_shared_memory.h"

namespace kestrine {
namespace {

// A name of this test process alone, so parallel runs and a running program do not meet.
std::string blockName(const char* purpose) {
    return std::string("KestrineTest-") + purpose + "-" + std::to_string(GetCurrentProcessId());
}

TEST(SharedMemory, FirstCreateMakesANewZeroedBlock) {
    SharedMemory block;
    ASSERT_TRUE(block.create(blockName("first").c_str(), 1));
    EXPECT_TRUE(block.createdNew());
    ASSERT_NE(block.view(), nullptr);
    EXPECT_EQ(*block.view(), 0);
    EXPECT_EQ(block.size(), 1u);
}

TEST(SharedMemory, SecondCreateOfTheSameNameOpensTheExistingBlockAndSharesItsByte) {
    const std::string name = blockName("second");
    SharedMemory running;
    ASSERT_TRUE(running.create(name.c_str(), 1));
    SharedMemory later;
    ASSERT_TRUE(later.create(name.c_str(), 1));

    EXPECT_TRUE(running.createdNew());
    EXPECT_FALSE(later.createdNew());
    *later.view() = 1;
    EXPECT_EQ(*running.view(), 1);
    *running.view() = 0;
    EXPECT_EQ(*later.view(), 0);
}

TEST(SharedMemory, BlockIsNewAgainOnceEveryHolderHasClosedIt) {
    const std::string name = blockName("reopen");
    {
        SharedMemory first;
        ASSERT_TRUE(first.create(name.c_str(), 1));
        *first.view() = 1;
    }
    SharedMemory next;
    ASSERT_TRUE(next.create(name.c_str(), 1));
    EXPECT_TRUE(next.createdNew());
    EXPECT_EQ(*next.view(), 0);
}

TEST(SharedMemory, CloseReleasesTheBlockAndResetsTheObject) {
    const std::string name = blockName("close");
    SharedMemory block;
    ASSERT_TRUE(block.create(name.c_str(), 1));
    block.close();
    EXPECT_EQ(block.view(), nullptr);
    EXPECT_EQ(block.size(), 0u);
    EXPECT_FALSE(block.createdNew());

    SharedMemory again;
    ASSERT_TRUE(again.create(name.c_str(), 1));
    EXPECT_TRUE(again.createdNew());
}

TEST(SharedMemory, ZeroSizeFailsWithoutAView) {
    SharedMemory block;
    EXPECT_FALSE(block.create(blockName("empty").c_str(), 0));
    EXPECT_EQ(block.view(), nullptr);
}

TEST(SharedMemory, NameTakenByAnotherKindOfObjectFails) {
    const std::string name = blockName("event");
    const UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
    ASSERT_TRUE(event.valid());
    SharedMemory block;
    EXPECT_FALSE(block.create(name.c_str(), 1));
    EXPECT_EQ(block.view(), nullptr);
}

}  // namespace
}  // namespace kestrine
