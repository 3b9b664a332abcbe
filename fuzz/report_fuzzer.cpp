// Random drive records and volume rows through the report's writers: whatever the devices and
// the volume scan left behind, the JSON parses strictly, every metric line is well formed, the
// Nagios output is one plugin line and the text report one line per drive and volume.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fakes/format_checks.h"
#include "fakes/report_scenarios.h"
#include "fuzz_support.h"
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
    return v;
}

void check(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    FuzzedMessages messages;
    messages.known = in.ConsumeBool();
    messages.text = someText(in);
    DriveTable drives;
    for (int number = 0; number < driveTableSize; ++number)
        if (in.ConsumeBool()) drives[static_cast<std::size_t>(number)] = someDrive(in, number);
    std::vector<VolumeRow> volumes(in.ConsumeIntegralInRange(0, 30));
    for (VolumeRow& v : volumes) v = someVolume(in);
    const auto thresholds = static_cast<ThresholdSource>(in.ConsumeIntegralInRange(0, 2));
    const std::string version = someText(in);
    const std::string time = someText(in);

    Report report = buildReport({drives, volumes, thresholds, version, time}, messages);
    const bool critical = failingDriveCount(drives) > 0;
    const bool belowLimit = std::any_of(volumes.begin(), volumes.end(),
                                        [](const VolumeRow& v) { return v.inWarning && isVolumeSlot(v.slot); });
    require(report.status == (critical     ? OverallStatus::Critical
                              : belowLimit ? OverallStatus::Warning
                                           : OverallStatus::Ok),
            "critical exactly when a listed drive fails, warning when a volume is below its limit");
    if (in.ConsumeBool()) markUnknown(report, someText(in));

    const testing::FakeCodePage codePage;
    require(testing::StrictJson::accepts(writeJsonReport(report, codePage)), "the JSON document parses");
    std::string badLine;
    require(testing::isMetricText(writePrometheusMetrics(report, codePage), badLine),
            "every metric line is well formed");
    const std::string nagios = writeNagiosReport(report);
    require(nagios.starts_with(std::string("KESTRINE ") + statusWord(report.status) + " - "), "the status word leads");
    require(nagios.find('\n') == nagios.size() - 1, "the plugin output is one line");
    require(nagios.find('|') == nagios.rfind('|'), "one separator before the performance data");
    const std::string text = writeTextReport(report);
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    // Two heading lines, three blank ones, the status, and each table's header or its "No ... listed."
    require(lines == 8 + report.drives.size() + report.volumes.size(),
            "the text report has one line per drive and per volume");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
