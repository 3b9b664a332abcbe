// Runs one piece of the core K times, for instruction counts under callgrind:
//   core_driver MODE K DRIVES VOLUMES
// The difference between the totals for two values of K, divided by the difference of K, is
// the cost of one run without the program's start-up.
//   refresh         K whole refreshes from start (K=1 minus K=0 is the first, filling refresh)
//   probe, health, drive-list, volume-scan, drive-panel, volume-panel, status
//                   one whole refresh first, then K runs of that part alone (steady state)
//   nvme-MODE       any of the above with NVMe drives that refuse SMART commands and are
//                   judged by their health log (the others are SATA drives)
//   usb-MODE        the same with USB drives judged by the SMART RETURN STATUS their bridge
//                   passes on
//   week-MODE       any of the above with a week of two-hourly samples of each drive in the
//                   history (84), where the others find the one sample of the refresh before
//   idle            one refresh first, then K ticks in a row (every eighth one writes the countdown)
//   idle-quiet      K ticks that do not write the countdown
//   idle-countdown  K ticks that each write the countdown
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core_workload.h"

using kestrine::bench::CoreWorkload;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s MODE K DRIVES VOLUMES\n", argv[0]);
        return 2;
    }
    // A prefix names the kind of every drive.
    kestrine::bench::DriveKind kind = kestrine::bench::DriveKind::Sata;
    std::string mode = argv[1];
    for (const auto& [prefix, prefixed] :
         {std::pair{"nvme-", kestrine::bench::DriveKind::Nvme}, std::pair{"usb-", kestrine::bench::DriveKind::Usb}}) {
        if (!mode.starts_with(prefix)) continue;
        kind = prefixed;
        mode.erase(0, std::string_view(prefix).size());
    }
    // And "week-" a history with a week of two-hourly samples of each drive.
    int samplesPerDrive = 1;
    if (constexpr std::string_view week = "week-"; mode.starts_with(week)) {
        samplesPerDrive = 84;
        mode.erase(0, week.size());
    }
    const long runs = std::atol(argv[2]);
    const int drives = std::atoi(argv[3]);
    const int volumes = std::atoi(argv[4]);
    CoreWorkload core(drives, volumes, kind, samplesPerDrive);

    const std::map<std::string, std::function<void()>> steps = {
        {"probe", [&] { core.probeDrives(); }},
        {"health", [&] { core.readHealth(); }},
        {"drive-list", [&] { core.refillDrives(); }},
        {"volume-scan", [&] { core.scanAllVolumes(); }},
        {"drive-panel", [&] { core.updateDrivePanel(); }},
        {"volume-panel", [&] { core.updateVolumePanel(); }},
        {"status", [&] { core.evaluate(); }},
        {"idle", [&] { core.idleTick(); }},
        {"idle-quiet",
         [&] {
             core.cycle.tickCount = 1;
             core.idleTick();
         }},
        {"idle-countdown",
         [&] {
             core.cycle.tickCount = 8;
             core.idleTick();
         }},
        {"refresh", [&] { core.refresh(); }},
    };
    const auto step = steps.find(mode);
    if (step == steps.end()) {
        std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
        return 2;
    }
    if (mode != "refresh") {
        core.refresh();
        core.cycle.refreshPending = false;  // the start-up refresh has run
    }
    for (long i = 0; i < runs; ++i) step->second();

    // A figure is only worth something if the work was done: every drive and volume listed.
    // (Both sides are evaluated every time, so the check cancels out of the differences.)
    const bool refreshed = mode != "refresh" || runs > 0;
    const bool listedAll = core.driveList.itemCount() == drives && core.volumeList.itemCount() == volumes;
    if (refreshed && !listedAll) {
        std::fprintf(stderr, "listed %d drives and %d volumes instead of %d and %d\n", core.driveList.itemCount(),
                     core.volumeList.itemCount(), drives, volumes);
        return 1;
    }
    // Printing the outcome keeps every step's work observable.
    std::printf("%s x%ld: %d failing drives, %d volume warnings, %d+%d items, panel '%s' '%s', %zu\n", mode.c_str(),
                runs, core.failingDrives, core.volumeWarnings, core.driveList.itemCount(), core.volumeList.itemCount(),
                core.view.drivePanel.name.c_str(), core.view.volumePanel.percentText.c_str(), core.countdownWrites);
    return 0;
}
