#include <windows.h>

#include <gtest/gtest.h>

#include "app/win32_application.h"
#include "platform/win32_shared_memory.h"
#include "ui_program_resources.h"

namespace kestrine {
namespace {

// No drive answers: a window that got as far as probing would still run.
class NoDevices : public DevicePort {
public:
    OpenResult open(const std::string&, DeviceAccess) override {
        ++opens;
        return OpenResult{nullptr, 2};
    }
    int opens = 0;
};

// The running copy's block: a later start finds it and hands over.
TEST(HandOver, LaterStartSetsTheByteAndEndsWithoutAWindow) {
    ASSERT_NE(programResources(), nullptr) << "kestrine.exe must be built beside the tests";
    SharedMemory running;
    ASSERT_TRUE(running.create("Kestrine", 1));
    ASSERT_TRUE(running.createdNew()) << "another copy of the program runs in this prefix";
    *running.view() = 0;

    NoDevices devices;
    Win32Platform platform;
    MainWindow later(programResources(), ApplicationInfo{"kestrine", ""}, mainWindowPorts(platform, devices));
    EXPECT_EQ(later.runModal(nullptr), IDCANCEL);
    EXPECT_EQ(*running.view(), 1);
    EXPECT_EQ(devices.opens, 0);
}

}  // namespace
}  // namespace kestrine
