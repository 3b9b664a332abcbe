#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32_process_token.h"

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

// The block's access list: protected, one entry, all rights, for the user of the process's
// token. Wine enforces no access lists, so the list is read as the system parses it and, where
// the system keeps it on the block, as the block carries it.
void expectOwnUserOnly(PSECURITY_DESCRIPTOR descriptor) {
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    ASSERT_TRUE(present) << "a null access list no longer";
    ASSERT_NE(dacl, nullptr);
    ASSERT_EQ(dacl->AceCount, 1);
    void* raw = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, &raw));
    const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_TRUE(ace->Mask == GENERIC_ALL || ace->Mask == FILE_MAP_ALL_ACCESS) << std::hex << ace->Mask;
    char* sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidA(const_cast<DWORD*>(&ace->SidStart), &sid));
    const UniqueLocalMemory ownedSid(sid);
    EXPECT_EQ(std::string(sid), tokenUserSid());
}

TEST(SharedMemory, OnlyTheProcesssOwnUserMayOpenTheBlock) {
    const std::string user = tokenUserSid();
    ASSERT_TRUE(user.starts_with("S-1-5-")) << user;
    EXPECT_EQ(ownUserAccess(), "D:P(A;;GA;;;" + user + ')');
    PSECURITY_DESCRIPTOR built = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(ownUserAccess().c_str(), SDDL_REVISION_1, &built,
                                                                     nullptr));
    const UniqueLocalMemory ownedBuilt(built);
    expectOwnUserOnly(built);

    const std::string name = blockName("access");
    SharedMemory block;
    ASSERT_TRUE(block.create(name.c_str(), 1));
    const UniqueHandle opened(OpenFileMappingA(READ_CONTROL, FALSE, name.c_str()));
    ASSERT_TRUE(opened.valid());
    DWORD size = 0;
    GetKernelObjectSecurity(opened.get(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<std::uint8_t> carried(size);
    if (size == 0 || !GetKernelObjectSecurity(opened.get(), DACL_SECURITY_INFORMATION, carried.data(), size, &size))
        GTEST_SKIP() << "the system gives back no access list of the block";
    expectOwnUserOnly(carried.data());
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
