// kestrine_wine_bench.exe: measures the program from outside, in the Wine desktop it runs in.
//   refresh [runs]     "&Refresh Data" wall time with 16 scripted drives (scripted host)
//   idle [seconds]     CPU time of kestrine.exe while it idles after its first refresh
//   memory [runs]      working set of kestrine.exe after its first refresh against a bare
//                      dialog of the same template
// Each prints its figures as "name: value" lines and exits 1 when it could not measure.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "resource.h"
#include "win32_polling.h"
#include "win32_process.h"
#include "win32_process_meter.h"
#include "win32_program_run.h"
#include "win32_remote_list.h"
#include "win32_scripted_drives.h"

namespace kestrine::bench {
namespace {

using e2e::Program;
using e2e::ProgramRun;

constexpr DWORD settleMs = 2000;  // after the first refresh, before reading the working set

std::string sixteenDrives() {
    std::string text;
    for (int drive = 0; drive < 16; ++drive) {
        text += std::to_string(drive) + " healthy vendor=ACME product=\"Disk " + std::to_string(drive) +
                "\" serial=3132333435" + std::to_string(drive % 10) + " bus=11\n";
    }
    return text;
}

double milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

int fail(const char* what) {
    std::printf("error: %s\n", what);
    return 1;
}

int measureRefresh(int runs) {
    e2e::ScenarioFile drives(sixteenDrives());
    ProgramRun run(Program::Scripted);
    if (!run.waitForFirstRefresh()) return fail("the scripted host showed no first refresh");
    if (!e2e::waitUntil([&] { return e2e::listItemCount(run.control(IDC_DRIVE_LIST)) == 16; }))
        return fail("the drive list does not show 16 drives");
    std::printf("drives listed: %d\n", e2e::listItemCount(run.control(IDC_DRIVE_LIST)));
    std::printf("volumes listed: %d\n", e2e::listItemCount(run.control(IDC_VOLUME_LIST)));
    std::vector<double> times;
    for (int index = 0; index < runs; ++index) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        SendMessageA(run.window(), WM_COMMAND, MAKEWPARAM(ID_REFRESH_DATA, 0), 0);
        QueryPerformanceCounter(&end);
        times.push_back(milliseconds(end.QuadPart - start.QuadPart));
    }
    std::sort(times.begin(), times.end());
    std::size_t middle = times.size() / 2;
    double median = times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
    std::printf("refreshes timed: %d\n", runs);
    std::printf("refresh median ms: %.2f\nrefresh min ms: %.2f\nrefresh max ms: %.2f\n", median, times.front(),
                times.back());
    return 0;
}

// Prints "idle: start" and "idle: end" around the quiet time, so that idle.sh can read the
// hosting Linux process's own CPU account at the same moments.
int measureIdle(int seconds) {
    e2e::endLeftoverPrograms();
    ProgramRun run(Program::Real);
    if (!run.waitForFirstRefresh()) return fail("kestrine.exe showed no first refresh");
    Sleep(settleMs);
    ULONGLONG before = 0, after = 0;
    if (!cpuTime(run.processId(), before)) return fail("GetProcessTimes failed");
    LARGE_INTEGER start, end;
    std::printf("idle: start\n");
    QueryPerformanceCounter(&start);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    QueryPerformanceCounter(&end);
    std::printf("idle: end\n");
    if (!cpuTime(run.processId(), after)) return fail("GetProcessTimes failed");
    const double cpuMs = static_cast<double>(after - before) / 10000.0;
    const double wallMs = milliseconds(end.QuadPart - start.QuadPart);
    std::printf("idle wall ms: %.0f\n", wallMs);
    std::printf("GetProcessTimes cpu ms: %.1f (%.3f %% of one core)\n", cpuMs, 100.0 * cpuMs / wallMs);
    return 0;
}

// The bare dialog, started as ProgramRun starts the program, and ended the same way.
SIZE_T bareDialogWorkingSet() {
    const support::StartedProcess dialog = support::startBesideMe("kestrine_bare_dialog.exe");
    if (!dialog.started()) return 0;
    const UniqueHandle& process = dialog.process;
    SIZE_T bytes = 0;
    if (e2e::waitUntil([&] { return e2e::countWindows(e2e::mainTitle, dialog.id) > 0; })) {
        Sleep(settleMs);
        bytes = workingSetBytes(dialog.id);
    }
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), e2e::patientMs);
    return bytes;
}

SIZE_T programWorkingSet() {
    ProgramRun run(Program::Real);
    if (!run.waitForFirstRefresh()) return 0;
    Sleep(settleMs);
    return workingSetBytes(run.processId());
}

SIZE_T median(std::vector<SIZE_T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int measureMemory(int runs) {
    e2e::endLeftoverPrograms();
    std::vector<SIZE_T> program, bare;
    for (int index = 0; index < runs; ++index) {
        program.push_back(programWorkingSet());
        bare.push_back(bareDialogWorkingSet());
        std::printf("run %d: kestrine.exe %lu KiB, bare dialog %lu KiB\n", index + 1,
                    static_cast<unsigned long>(program.back() / 1024), static_cast<unsigned long>(bare.back() / 1024));
        if (program.back() == 0 || bare.back() == 0) return fail("a working set could not be read");
    }
    SIZE_T programBytes = median(program), bareBytes = median(bare);
    std::printf("working set kestrine.exe KiB (median): %lu\n", static_cast<unsigned long>(programBytes / 1024));
    std::printf("working set bare dialog KiB (median): %lu\n", static_cast<unsigned long>(bareBytes / 1024));
    std::printf("working set ratio: %.3f\n", static_cast<double>(programBytes) / static_cast<double>(bareBytes));
    return 0;
}

int number(int argc, char** argv, int fallback) { return argc > 2 ? std::max(1, std::atoi(argv[2])) : fallback; }

}  // namespace
}  // namespace kestrine::bench

int main(int argc, char** argv) {
    using namespace kestrine::bench;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "refresh") return measureRefresh(number(argc, argv, 50));
    if (mode == "idle") return measureIdle(number(argc, argv, 60));
    if (mode == "memory") return measureMemory(number(argc, argv, 3));
    std::printf("usage: kestrine_wine_bench refresh [runs] | idle [seconds] | memory [runs]\n");
    return 2;
}
