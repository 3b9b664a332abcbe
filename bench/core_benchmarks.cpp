// Wall-clock figures for one refresh, its parts and one idle tick, over zero-latency fakes.
// Arguments: present drives, present volumes.
#include <benchmark/benchmark.h>

#include "core_workload.h"

namespace kestrine::bench {
namespace {

// A workload past its first refresh: lists filled, start-up request consumed.
void makeSteady(CoreWorkload& core) {
    core.refresh();
    core.cycle.refreshPending = false;
}

template <void (CoreWorkload::*Step)(), DriveKind kind = DriveKind::Sata>
void runSteady(benchmark::State& state) {
    CoreWorkload core(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), kind);
    makeSteady(core);
    for (auto _ : state) {
        (core.*Step)();
        benchmark::DoNotOptimize(core);
    }
}

void FirstRefresh(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CoreWorkload core(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
        state.ResumeTiming();
        core.refresh();
        benchmark::DoNotOptimize(core);
    }
}

void IdleTick(benchmark::State& state) {
    CoreWorkload core(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    makeSteady(core);
    for (auto _ : state) {
        core.idleTick();
        // Stay far from the automatic refresh.
        if (core.cycle.tickCount > 30000) core.cycle.tickCount = 1;
        benchmark::DoNotOptimize(core);
    }
}

void sizes(benchmark::internal::Benchmark* b) { b->Args({4, 6})->Args({8, 12})->Args({16, 24}); }

BENCHMARK(runSteady<&CoreWorkload::refresh>)->Name("Refresh")->Apply(sizes);
BENCHMARK(FirstRefresh)->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::refresh, DriveKind::Nvme>)->Name("Refresh/nvme")->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::probeDrives>)->Name("Part/probeAllDrives")->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::readHealth, DriveKind::Nvme>)->Name("Part/readAllHealth/nvme")->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::refillDrives>)->Name("Part/refillDriveList")->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::scanAllVolumes>)->Name("Part/scanVolumes")->Apply(sizes);
BENCHMARK(runSteady<&CoreWorkload::updateDrivePanel>)->Name("Part/drivePanelTexts")->Args({16, 24});
BENCHMARK(runSteady<&CoreWorkload::updateVolumePanel>)->Name("Part/volumePanelView")->Args({16, 24});
BENCHMARK(runSteady<&CoreWorkload::evaluate>)->Name("Part/evaluateStatus")->Args({16, 24});
BENCHMARK(IdleTick)->Args({16, 24});

}  // namespace
}  // namespace kestrine::bench

BENCHMARK_MAIN();
