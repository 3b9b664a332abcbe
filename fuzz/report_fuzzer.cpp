// Random drive records, drive health and volume rows through the report's writers: whatever
// the devices and the volume scan left behind, the JSON parses strictly, every metric line is
// well formed, the Nagios output is one plugin line and the text report one line per drive and
// volume plus the lines of each drive's health block (and of its details).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/format_checks.h"
#include "fakes/report_scenarios.h"
#include "fuzz_support.h"
#include "probe/attribute_names.h"
#include "report/report_json.h"
#include "report/report_nagios.h"
#include "report/report_prometheus.h"
#include "report/report_text.h"
#include "volumes/volume_table.h"

namespace kestrine::fuzz {
namespace {

// The system's text for every code: whatever the input says.
class FuzzedMessages : public SystemMessages {
public:
    std::string text;
    bool known = false;
    bool lookup(std::uint32_t, std::string& out) const override {
        if (known) out = text;
        return known;
    }
};

std::string someText(FuzzedDataProvider& in) { return in.ConsumeRandomLengthString(48); }

// Any double, NaN and the infinities included.
double anyDouble(FuzzedDataProvider& in) { return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()); }

DriveRecord someDrive(FuzzedDataProvider& in, int number) {
    DriveRecord r;
    r.present = in.ConsumeBool();
    r.probed = in.ConsumeBool();
    r.identityValid = in.ConsumeBool();
    r.driveNumber = in.ConsumeBool() ? number : in.ConsumeIntegral<std::int32_t>();
    r.identityError = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::uint32_t>();
    r.smartCapable = in.ConsumeBool();
    r.thresholdExceeded = in.ConsumeBool();
    r.versionError = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::uint32_t>();
    r.statusError = in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::uint32_t>();
    r.predictQueried = in.ConsumeBool();
    r.predictOk = in.ConsumeBool();
    r.removable = in.ConsumeBool();
    r.vendor = someText(in);
    r.product = someText(in);
    r.serial = someText(in);
    r.busType = in.ConsumeIntegral<std::uint32_t>();
    r.busTypeText = someText(in);
    r.displayName = someText(in);
    return r;
}

Counter128 someCounter(FuzzedDataProvider& in) {
    return {in.ConsumeIntegral<std::uint64_t>(), in.ConsumeIntegral<std::uint64_t>()};
}

template <typename Number>
std::optional<Number> maybe(FuzzedDataProvider& in) {
    if (!in.ConsumeBool()) return std::nullopt;
    return in.ConsumeIntegral<Number>();
}

AtaAttribute someAttribute(FuzzedDataProvider& in) {
    AtaAttribute a;
    a.id = in.ConsumeIntegral<std::uint8_t>();
    a.name = ataAttributeName(a.id);
    a.flags = in.ConsumeIntegral<std::uint16_t>();
    a.current = in.ConsumeIntegral<std::uint8_t>();
    a.worst = in.ConsumeIntegral<std::uint8_t>();
    a.threshold = in.ConsumeIntegral<std::uint8_t>();
    a.hasThreshold = in.ConsumeBool();
    a.raw = in.ConsumeIntegralInRange<std::uint64_t>(0, 0xFFFF'FFFF'FFFF);
    a.preFailure = in.ConsumeBool();
    a.failingNow = in.ConsumeBool();
    a.failedInPast = in.ConsumeBool();
    return a;
}

// A health as the reads could leave it: ATA attributes only with their source, the NVMe log
// only with its.
DriveHealth someHealth(FuzzedDataProvider& in) {
    DriveHealth h;
    h.source = static_cast<HealthSource>(in.ConsumeIntegralInRange(0, 2));
    if (h.source == HealthSource::None) h.unavailableReason = someText(in);
    if (h.source == HealthSource::AtaSmart) {
        h.ata.attributes.resize(in.ConsumeIntegralInRange(1, 30));
        for (AtaAttribute& a : h.ata.attributes) a = someAttribute(in);
        if (in.ConsumeBool()) h.ata.thresholdsUnavailableReason = someText(in);
        h.ata.temperatureCelsius = plausibleTemperature(in.ConsumeIntegralInRange(1, 255));
        h.ata.powerOnHours = maybe<std::uint32_t>(in);
        for (const AtaCount& count : ataCounts) h.ata.*count.value = maybe<std::uint32_t>(in);
    }
    if (h.source == HealthSource::NvmeLog) {
        NvmeHealth& log = h.nvme;
        log.criticalWarning = in.ConsumeIntegral<std::uint8_t>();
        log.compositeKelvin = in.ConsumeIntegral<std::uint16_t>();
        log.compositeCelsius = plausibleTemperature(log.compositeKelvin - 273);
        log.availableSpare = in.ConsumeIntegral<std::uint8_t>();
        log.availableSpareThreshold = in.ConsumeIntegral<std::uint8_t>();
        log.percentageUsed = in.ConsumeIntegral<std::uint8_t>();
        for (Counter128* c : {&log.dataUnitsRead, &log.dataUnitsWritten, &log.powerCycles, &log.powerOnHours,
                              &log.unsafeShutdowns, &log.mediaErrors, &log.errorLogEntries})
            *c = someCounter(in);
    }
    TemperatureReading& t = h.temperature;
    t.available = in.ConsumeBool();
    if (t.available) {
        for (std::optional<int>* degrees : {&t.current, &t.warning, &t.critical})
            *degrees = plausibleTemperature(in.ConsumeIntegral<std::int16_t>());
    } else {
        t.unavailableReason = someText(in);
    }
    return h;
}

// The lines of a drive's status and health block, and of its details.
std::size_t healthLines(const DriveHealth& h, bool details) {
    std::size_t lines = 2 + (h.ata.thresholdsUnavailableReason.empty() ? 0 : 1);
    for (const AtaAttribute& a : h.ata.attributes) lines += a.failingNow ? 1 : 0;
    if (h.source == HealthSource::NvmeLog) lines += static_cast<std::size_t>(std::popcount(h.nvme.criticalWarning));
    if (!details) return lines;
    if (h.source == HealthSource::AtaSmart) lines += 1 + h.ata.attributes.size();
    if (h.source == HealthSource::NvmeLog) lines += 11;
    return lines + 1;  // the temperature property
}

VolumeRow someVolume(FuzzedDataProvider& in) {
    VolumeRow v;
    v.slot = in.ConsumeIntegralInRange(-2, 28);
    v.label = someText(in);
    v.totalBytes = in.ConsumeIntegral<std::int64_t>();
    v.freeBytes = in.ConsumeIntegral<std::int64_t>();
    v.percentFree = in.ConsumeBool() ? in.ConsumeFloatingPointInRange(0.0, 100.0) : anyDouble(in);
    v.warningPercent = in.ConsumeIntegral<std::uint32_t>();
    v.usesDefault = in.ConsumeBool();
    v.inWarning = in.ConsumeBool();
    if (in.ConsumeBool()) v.outOfRangePercent = in.ConsumeIntegral<std::uint32_t>();
    return v;
}

void check(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzedMessages messages;
    messages.known = in.ConsumeBool();
    messages.text = someText(in);
    DriveTable drives;
    HealthTable health;
    for (std::size_t number = 0; number < drives.size(); ++number) {
        if (in.ConsumeBool()) drives[number] = someDrive(in, static_cast<int>(number));
        if (in.ConsumeBool()) health[number] = someHealth(in);
    }
    std::vector<VolumeRow> volumes(in.ConsumeIntegralInRange(0, 30));
    for (VolumeRow& v : volumes) v = someVolume(in);
    const auto thresholds = static_cast<ThresholdSource>(in.ConsumeIntegralInRange(0, 2));
    const std::string version = someText(in);
    const std::string time = someText(in);

    Report report = buildReport({testing::judgedRefresh(drives, health), volumes, thresholds, version, time}, messages);
    bool critical = false;
    bool caution = false;
    for (std::size_t number = 0; number < drives.size(); ++number) {
        if (!isListed(drives[number])) continue;
        critical = critical || indicatorLevel(drives[number], health[number]) == IndicatorLevel::FailurePredicted ||
                   isHealthCritical(health[number]);
        caution = caution || judgeDrive(drives[number], health[number]).status == DriveStatus::Caution;
    }
    const bool belowLimit = std::any_of(volumes.begin(), volumes.end(),
                                        [](const VolumeRow& v) { return v.inWarning && isVolumeSlot(v.slot); });
    const bool outOfRange = std::any_of(volumes.begin(), volumes.end(),
                                        [](const VolumeRow& v) { return v.outOfRangePercent && isVolumeSlot(v.slot); });
    require(report.status == (critical                ? OverallStatus::Critical
                              : belowLimit || caution ? OverallStatus::Warning
                              : outOfRange            ? OverallStatus::Unknown
                                                      : OverallStatus::Ok),
            "critical exactly when a listed drive fails or its health is critical, warning when a drive is in "
            "caution or a volume is below its limit, unknown when a volume's stored percent was out of range");
    require(report.runProblem == outOfRange, "a percent out of range is a problem of the run");
    if (in.ConsumeBool()) addRunProblem(report, someText(in));

    const testing::FakeCodePage codePage;
    require(testing::StrictJson::accepts(writeJsonReport(report, codePage)), "the JSON document parses");
    std::string badLine;
    require(testing::isMetricText(writePrometheusMetrics(report, codePage), badLine),
            "every metric line is well formed");
    const std::string nagios = writeNagiosReport(report, codePage);
    require(nagios.size() <= nagiosLineLimit, "the plugin line stays within what a transport carries");
    require(testing::isUtf8(nagios), "the plugin line is UTF-8");
    require(nagios.starts_with(std::string("KESTRINE ") + statusWord(report.status) + " - "), "the status word leads");
    require(nagios.find('\n') == nagios.size() - 1, "the plugin output is one line");
    require(nagios.find('|') == nagios.rfind('|'), "one separator before the performance data");
    for (const bool details : {false, true}) {
        const std::string text = writeTextReport(report, details, codePage);
        require(testing::isUtf8(text), "the text report is UTF-8");
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        // Two heading lines, three blank ones, the status, and each table's header or its "No ... listed."
        std::size_t expected = 8 + report.drives.size() + report.volumes.size();
        for (const DriveEntry& drive : report.drives) expected += healthLines(drive.health, details);
        require(lines == expected,
                "the text report has one line per drive and per volume, and the drive's status and health block");
        require(text.find(" \n") == std::string::npos, "no blank ends a line");
    }
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
