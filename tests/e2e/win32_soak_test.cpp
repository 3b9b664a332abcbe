// A long run of the scripted host: refresh after refresh while its drives change state,
// appear and vanish, the marks of both lists move and the warning percents change. From the
// 100th refresh to the last the program's kernel handles, its live icons, brushes, image
// lists and windows stay exactly as they were, and its working set grows by less than a
// bound. KESTRINE_SOAK_REFRESHES sets the length (500 by default; bench/wine/soak.sh runs
// 10,000 and reads the "soak:" lines this prints).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "resource.h"
#include "ui/win32_gdi.h"
#include "win32_polling.h"
#include "win32_process_meter.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"
#include "win32_settings_file.h"

namespace kestrine::e2e {
namespace {

constexpr int baselineRefresh = 100;
constexpr int checkpoints = 10;

int soakLength() {
    const char* text = std::getenv("KESTRINE_SOAK_REFRESHES");
    const int asked = text != nullptr ? std::atoi(text) : 0;
    return asked > 0 ? std::max(asked, 2 * baselineRefresh) : 500;
}

// Growth allowed between the baseline and the end: 1 MB over 10,000 refreshes and more; a
// quarter of that over a short run, whose few hundred refreshes can only show a gross leak
// above the page-sized noise.
SIZE_T allowedGrowth(int refreshes) { return refreshes >= 10000 ? 1000000 : 250000; }

std::string allDrives(const char* state) {
    std::string text;
    for (int drive = 0; drive < 16; ++drive)
        text += std::to_string(drive) + " " + state + " vendor=ACME product=\"Disk " + std::to_string(drive) +
                "\" serial=3132333435 bus=" + std::to_string(drive % 2 ? 7 : 11) + "\n";
    return text;
}

// Drives that change state, vanish and come back from one refresh to the next.
const std::array<std::string, 5> scenarios = {
    allDrives("healthy"),
    "0 healthy product=A\n1 failing-spf product=B\n2 threshold-exceeded product=C\n"
    "3 smart-query-fails code=5\n4 smart-unsupported\n5 version-fails\n6 predict-fails\n"
    "7 identity-fails\n8 access-denied\n9 open-fails code=21\n15 healthy removable=1\n",
    "3 healthy product=Lonely\n",
    "",
    allDrives("failing-spf"),
};

// Keys that move a list's mark, and the threshold controls in turn (each raise has its
// lower, so the percents stay near where they started).
constexpr std::array<WPARAM, 4> markKeys = {VK_DOWN, VK_DOWN, VK_END, VK_HOME};
constexpr std::array<int, 6> thresholdButtons = {IDC_DEFAULT_UP,   IDC_VOLUME_UP,   IDC_USE_OWN_PERCENT,
                                                 IDC_DEFAULT_DOWN, IDC_VOLUME_DOWN, IDC_USE_OWN_PERCENT};

struct Sample {
    long handles = -1;
    SIZE_T workingSet = 0;
    scripted::ObjectCounts objects;
};

void print(int refresh, const Sample& sample) {
    std::printf("soak: refresh %d handles %ld working_set %lu icons %ld brushes %ld imagelists %ld windows %ld\n",
                refresh, sample.handles, static_cast<unsigned long>(sample.workingSet), sample.objects.icons,
                sample.objects.brushes, sample.objects.imageLists, sample.objects.windows);
    std::fflush(stdout);
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(writeSettings(defaultSettings()));
        run_ = std::make_unique<ProgramRun>(Program::Scripted);
        ASSERT_TRUE(run_->waitForFirstRefresh());
    }

    // One refresh with the next drives, then a move of both marks and one threshold click;
    // each is sent, so it has run when the call returns.
    void step(int index) {
        scenario_.write(scenarios[index % scenarios.size()]);
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutA(run_->window(), WM_COMMAND, MAKEWPARAM(ID_REFRESH_DATA, 0), 0, SMTO_ABORTIFHUNG,
                                        patientMs, &ignored))
            << "refresh " << index << " did not return";
        sendKeyDown(run_->control(IDC_DRIVE_LIST), markKeys[index % markKeys.size()]);
        sendKeyDown(run_->control(IDC_VOLUME_LIST), markKeys[(index + 1) % markKeys.size()]);
        clickButton(run_->control(thresholdButtons[index % thresholdButtons.size()]));
    }

    Sample sample() {
        Sample taken;
        taken.handles = bench::kernelHandleCount(run_->processId());
        taken.workingSet = bench::workingSetBytes(run_->processId());
        EXPECT_TRUE(readObjectCounts(run_->window(), taken.objects));
        return taken;
    }

    ScenarioFile scenario_;
    std::unique_ptr<ProgramRun> run_;
};

TEST_F(Soak, HandlesObjectsAndMemoryHoldThroughManyRefreshes) {
    const int refreshes = soakLength();
    for (int index = 1; index <= baselineRefresh; ++index) ASSERT_NO_FATAL_FAILURE(step(index));
    const Sample baseline = sample();
    print(baselineRefresh, baseline);
    ASSERT_GT(baseline.handles, 0) << "the system handle table lists nothing for the program";
    ASSERT_GT(baseline.workingSet, 0u);
    EXPECT_GE(baseline.objects.icons, 4) << "the window keeps its program, status and arrow icons";
    EXPECT_EQ(baseline.objects.brushes, 2) << "one background brush per coloured label";
    EXPECT_EQ(baseline.objects.imageLists, 1) << "one status strip, shared by both lists";
    EXPECT_GT(baseline.objects.windows, 38) << "the window and its controls";

    const int every = std::max(1, (refreshes - baselineRefresh) / checkpoints);
    Sample last = baseline;
    for (int index = baselineRefresh + 1; index <= refreshes; ++index) {
        ASSERT_NO_FATAL_FAILURE(step(index));
        if ((index - baselineRefresh) % every != 0 && index != refreshes) continue;
        last = sample();
        print(index, last);
        ASSERT_EQ(last.handles, baseline.handles) << "kernel handles changed by refresh " << index;
        ASSERT_EQ(last.objects, baseline.objects) << "live objects changed by refresh " << index;
    }
    const SIZE_T growth = last.workingSet > baseline.workingSet ? last.workingSet - baseline.workingSet : 0;
    std::printf("soak: working set growth %lu bytes over %d refreshes\n", static_cast<unsigned long>(growth),
                refreshes - baselineRefresh);
    EXPECT_LT(growth, allowedGrowth(refreshes));

    // Still the same program, answering: the last drives are listed.
    scenario_.write(scenarios[0]);
    run_->command(ID_REFRESH_DATA);
    EXPECT_TRUE(waitUntil([&] { return listItemCount(run_->control(IDC_DRIVE_LIST)) == 16; }));
    EXPECT_TRUE(run_->running());
}

// The object counts the soak compares are only worth something if the owners keep them right.
TEST(LiveObjectCount, FollowsWhatTheOwnersHold) {
    const long icons = ownedHandleCount<UniqueIcon>.load();
    const long brushes = ownedHandleCount<UniqueBrush>.load();
    {
        UniqueIcon first(CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512))));  // IDI_APPLICATION
        ASSERT_TRUE(first);
        EXPECT_EQ(ownedHandleCount<UniqueIcon>.load(), icons + 1);
        UniqueIcon second(std::move(first));
        EXPECT_EQ(ownedHandleCount<UniqueIcon>.load(), icons + 1) << "a move hands over, it does not add";
        UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
        brush = UniqueBrush(CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(ownedHandleCount<UniqueBrush>.load(), brushes + 1) << "the replaced brush was released";
        second.reset();
        EXPECT_EQ(ownedHandleCount<UniqueIcon>.load(), icons);
    }
    EXPECT_EQ(ownedHandleCount<UniqueBrush>.load(), brushes);
}

TEST(LiveObjectCount, AnEmptyOwnerHoldsNothing) {
    const long icons = ownedHandleCount<UniqueIcon>.load();
    UniqueIcon none(nullptr);
    UniqueIcon failed = loadIcon(GetModuleHandleA(nullptr), 9999, 16);  // no such resource
    EXPECT_FALSE(failed);
    EXPECT_EQ(ownedHandleCount<UniqueIcon>.load(), icons);
}

// Likewise the readings taken from outside: they must see a change when there is one.
TEST(ProcessMeter, CountsAHandleTheProcessOpens) {
    const long before = bench::kernelHandleCount(GetCurrentProcessId());
    ASSERT_GT(before, 0);
    UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event.valid());
    EXPECT_EQ(bench::kernelHandleCount(GetCurrentProcessId()), before + 1);
}

TEST(ProcessMeter, SeesTheWorkingSetGrowWhenMemoryIsTouched) {
    const SIZE_T before = bench::workingSetBytes(GetCurrentProcessId());
    ASSERT_GT(before, 0u);
    constexpr SIZE_T touched = 8u << 20;
    void* block = VirtualAlloc(nullptr, touched, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, touched);
    EXPECT_GE(bench::workingSetBytes(GetCurrentProcessId()), before + touched / 2);
    VirtualFree(block, 0, MEM_RELEASE);
}

TEST(ObjectCountDump, ReadsBackWhatTheHostWrites) {
    scripted::ObjectCounts written{7, 2, 1, 45};
    scripted::ObjectCounts read;
    ASSERT_TRUE(scripted::parseObjectCounts(scripted::formatObjectCounts(written), read));
    EXPECT_EQ(read, written);
}

TEST(ObjectCountDump, RejectsAnIncompleteOrGarbledAnswer) {
    scripted::ObjectCounts read;
    EXPECT_FALSE(scripted::parseObjectCounts("icons\t7\nbrushes\t2\nimagelists\t1\n", read));
    EXPECT_FALSE(scripted::parseObjectCounts("icons\t7\nbrushes\tmany\nimagelists\t1\nwindows\t4\n", read));
    EXPECT_FALSE(scripted::parseObjectCounts("", read));
}

}  // namespace
}  // namespace kestrine::e2e
