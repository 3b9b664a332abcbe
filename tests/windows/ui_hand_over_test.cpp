#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32_application.h"
#include "fakes/fake_device_port.h"
#include "ui/win32_shared_memory.h"
#include "ui_program_resources.h"

namespace kestrine {
namespace {

// The running copy's block: a later start finds it and hands over.
TEST(HandOver, LaterStartSetsTheByteAndEndsWithoutAWindow) {
    ASSERT_NE(programResources(), nullptr) << "kestrine.exe must be built beside the tests";
    SharedMemory running;
    ASSERT_TRUE(running.create("Kestrine", 1));
    ASSERT_TRUE(running.createdNew()) << "another copy of the program runs in this prefix";
    *running.view() = 0;

    testing::FakeDevicePort devices;  // no drive answers: a window that got as far as probing would still run
    Win32Platform platform;
    MainWindow later(programResources(), ApplicationInfo{"kestrine", ""}, mainWindowPorts(platform, devices));
    EXPECT_EQ(later.runModal(nullptr), IDCANCEL);
    EXPECT_EQ(*running.view(), 1);
    EXPECT_TRUE(devices.opens.empty());
}

}  // namespace
}  // namespace kestrine
