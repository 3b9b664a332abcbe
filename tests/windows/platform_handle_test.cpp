// The handle owner giving a handle up and taking one again, on real event handles, with the
// counting verifier as the witness of what it holds.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "platform/win32_handle.h"

namespace kestrine {
namespace {

using CountedHandle = UniqueOwner<HANDLE, handle_kinds::closeHandle, handle_kinds::isKernelHandle, CountingVerifier>;

bool isOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE newEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

TEST(HandleOwner, ReleaseGivesTheHandleUpOpenAndNoLongerCounted) {
    const long before = ownedHandleCount<CountedHandle>;
    CountedHandle owner(newEvent());
    ASSERT_TRUE(owner.valid());
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before + 1);
    const HANDLE handle = owner.release();
    EXPECT_FALSE(owner.valid());
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before);
    { const CountedHandle emptied(std::move(owner)); }  // closes nothing
    EXPECT_TRUE(isOpen(handle));
    EXPECT_TRUE(CloseHandle(handle));
    CountedHandle empty;
    EXPECT_EQ(empty.release(), nullptr);
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before);
}

TEST(HandleOwner, ResetKeepsTheHandleItHoldsAndClosesAnyOther) {
    const long before = ownedHandleCount<CountedHandle>;
    CountedHandle owner(newEvent());
    const HANDLE first = owner.get();
    owner.reset(first);
    EXPECT_EQ(owner.get(), first);
    EXPECT_TRUE(isOpen(first));
    EXPECT_TRUE(SetEvent(first));
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before + 1);

    const HANDLE second = newEvent();
    owner.reset(second);
    EXPECT_FALSE(isOpen(first));
    EXPECT_EQ(owner.get(), second);
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before + 1);
    owner.reset();
    EXPECT_FALSE(isOpen(second));
    EXPECT_EQ(ownedHandleCount<CountedHandle>, before);
}

}  // namespace
}  // namespace kestrine
