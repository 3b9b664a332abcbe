// The reply to the NVMe health log request, and the same bytes as a temperature property reply:
// descriptor versions, sizes, offsets and lengths of any value, replies of any length. A log is
// read only when it lies wholly inside the reply, and then exactly as it stands.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "probe/drive_health.h"

namespace kestrine::fuzz {
namespace {

using testing::le16At;

Counter128 times10Plus(Counter128 value, unsigned digit) {
    // value * 8 + value * 2 + digit, with the carries between the halves.
    const auto shifted = [](Counter128 v, int n) { return Counter128{v.low << n, v.high << n | v.low >> (64 - n)}; };
    const auto add = [](Counter128 a, Counter128 b) {
        const std::uint64_t low = a.low + b.low;
        return Counter128{low, a.high + b.high + (low < a.low ? 1u : 0u)};
    };
    return add(add(shifted(value, 3), shifted(value, 1)), Counter128{digit, 0});
}

// The decimal text read back into a counter; it must give the counter it came from.
void checkText(Counter128 value) {
    const std::string text = decimalText(value);
    require(!text.empty() && text.size() <= 39 && (text.size() == 1 || text[0] != '0'),
            "one to 39 digits without a leading zero");
    Counter128 back;
    for (const char digit : text) {
        require(digit >= '0' && digit <= '9', "digits only");
        back = times10Plus(back, static_cast<unsigned>(digit - '0'));
    }
    require(back == value, "the decimal text is the exact value");
    if (value.high == 0) require(toDouble(value) == static_cast<double>(value.low), "a 64-bit count as a double");
}

void checkLog(const std::uint8_t* data, std::size_t size) {
    const DriveHealth health = nvmeHealth(data, size);
    const std::uint32_t offset = size >= 48 ? le32Within(data, size, 24) : 0;
    const bool readable = size >= 48 && le32Within(data, size, 0) == 48 && le32Within(data, size, 4) == 48 &&
                          offset >= 40 && le32Within(data, size, 28) >= 512 && 8ull + offset + 512 <= size;
    require(health.ata.attributes.empty() && health.ata.thresholdsUnavailableReason.empty(), "no ATA part");
    if (!readable) {
        require(health.source == HealthSource::None && !health.unavailableReason.empty(),
                "an inconsistent reply gives no source and a reason");
        require(!isHealthCritical(health), "nothing read, nothing critical");
        return;
    }
    require(health.source == HealthSource::NvmeLog && health.unavailableReason.empty(), "a consistent reply is read");
    const std::uint8_t* page = data + 8 + offset;
    const NvmeHealth& log = health.nvme;
    require(log.criticalWarning == page[0] && log.compositeKelvin == le16At(page + 1), "warning and kelvin as sent");
    const bool plausible = log.compositeKelvin >= 233 && log.compositeKelvin <= 398;
    require(log.compositeCelsius.has_value() == plausible, "only 233 K to 398 K is a temperature");
    if (log.compositeCelsius) require(*log.compositeCelsius == log.compositeKelvin - 273, "kelvin to Celsius");
    require(log.availableSpare == page[3] && log.availableSpareThreshold == page[4] && log.percentageUsed == page[5],
            "spare and wear as sent");
    const Counter128 counters[] = {log.dataUnitsRead,   log.dataUnitsWritten, log.powerCycles,    log.powerOnHours,
                                   log.unsafeShutdowns, log.mediaErrors,      log.errorLogEntries};
    const std::size_t offsets[] = {32, 48, 112, 128, 144, 160, 176};
    for (std::size_t i = 0; i < 7; ++i) {
        require(counters[i] == readCounter128(page + offsets[i]), "each counter from its field");
        checkText(counters[i]);
    }
    require(isHealthCritical(health) == (page[0] != 0), "critical exactly when a warning bit is set");
    std::size_t bits = 0;
    for (int bit = 0; bit < 8; ++bit) bits += (page[0] >> bit) & 1;
    require(criticalWarnings(page[0]).size() == bits, "one name per warning bit set");
}

void checkTemperature(const std::uint8_t* data, std::size_t size) {
    const TemperatureReading reading = temperatureReading(data, size);
    const std::uint32_t descriptorSize = le32Within(data, size, 4);
    const bool readable = size >= 24 && le32Within(data, size, 0) == 40 && descriptorSize >= 24;
    require(reading.available == readable && reading.unavailableReason.empty() == readable,
            "available exactly when the header is consistent, else a reason");
    if (!readable) {
        require(!reading.current.has_value(), "no header, no temperature");
        return;
    }
    // A value outside -40 to 125 C is none.
    const auto degrees = [](const std::uint8_t* field) -> std::optional<int> {
        const int value = static_cast<std::int16_t>(le16At(field));
        if (value < -40 || value > 125) return std::nullopt;
        return value;
    };
    require(reading.critical == degrees(data + 8) && reading.warning == degrees(data + 10), "limits as sent");
    const bool entry = le16At(data + 12) > 0 && 40 <= size && 40 <= descriptorSize;
    require(entry || !reading.current.has_value(), "a current temperature only from an entry inside the reply");
    if (entry) require(reading.current == degrees(data + 26), "the first entry's value");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::checkLog(data, size);
    kestrine::fuzz::checkTemperature(data, size);
    return 0;
}
