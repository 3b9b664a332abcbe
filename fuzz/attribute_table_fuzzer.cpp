// The SMART READ DATA and READ THRESHOLDS replies, of any length and content, turned into the
// attribute table: what is read must be what the sectors hold, and nothing past a reply.
//   the first 528 bytes: the data reply (fewer when the input is shorter)
//   the next 528 bytes: the thresholds reply
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "fuzz_support.h"
#include "probe/attribute_names.h"
#include "probe/drive_health.h"
#include "probe/health_layouts.h"

namespace kestrine::fuzz {
namespace {

constexpr std::size_t replySize = device::smartRead::replySize;
constexpr std::size_t sector = device::smartRead::sector;

// An entry of a sector read the plain way: bytes 2 + 12 * index onward.
const std::uint8_t* entry(const std::vector<std::uint8_t>& reply, std::size_t index) {
    return reply.data() + sector + 2 + 12 * index;
}

bool usable(const std::vector<std::uint8_t>& reply) { return reply.size() >= replySize && reply[4] == 0; }

void check(const std::uint8_t* data, std::size_t size) {
    // Each reply in a buffer of its own exact length, so that reading past one is caught.
    const std::size_t dataLength = std::min(size, replySize);
    const std::vector<std::uint8_t> attributes(data, data + dataLength);
    const std::vector<std::uint8_t> thresholds(data + dataLength, data + std::min(size, 2 * replySize));

    DriveHealth health = ataHealth(attributes.data(), attributes.size());
    applyAtaThresholds(health, thresholds.data(), thresholds.size());

    std::vector<std::size_t> used;  // the entries with an id
    if (usable(attributes))
        for (std::size_t index = 0; index < 30; ++index)
            if (entry(attributes, index)[0] != 0) used.push_back(index);

    if (used.empty()) {
        require(health.source == HealthSource::None && !health.unavailableReason.empty(),
                "an unusable or empty table gives no source and a reason");
        require(health.ata.attributes.empty() && !isHealthCritical(health), "no source, no attribute, not critical");
        require(health.ata.thresholdsUnavailableReason.empty(), "thresholds are not read without attributes");
        return;
    }
    require(health.source == HealthSource::AtaSmart && health.unavailableReason.empty(), "a usable table is read");
    require(health.ata.attributes.size() == used.size(), "one attribute per entry with an id");
    require(health.ata.thresholdsUnavailableReason.empty() == usable(thresholds),
            "a reason exactly when the thresholds reply is unusable");

    bool anyFailing = false;
    for (std::size_t i = 0; i < used.size(); ++i) {
        const AtaAttribute& attribute = health.ata.attributes[i];
        const std::uint8_t* bytes = entry(attributes, used[i]);
        const std::uint64_t raw = testing::leAt(bytes + 5, 6);
        require(attribute.id == bytes[0] && attribute.name == ataAttributeName(bytes[0]), "id and name as sent");
        require(attribute.flags == testing::le16At(bytes + 1), "flags as sent");
        require(attribute.current == bytes[3] && attribute.worst == bytes[4] && attribute.raw == raw, "values as sent");
        require(attribute.preFailure == ((bytes[1] & 1) != 0), "pre-failure is flag bit 0");

        std::uint8_t threshold = 0;
        bool matched = false;
        if (usable(thresholds))
            for (std::size_t index = 0; index < 30 && !matched; ++index)
                if (entry(thresholds, index)[0] == attribute.id) {
                    threshold = entry(thresholds, index)[1];
                    matched = true;
                }
        require(attribute.hasThreshold == matched && attribute.threshold == threshold,
                "the threshold is the first entry with the same id");
        const auto judged = [threshold](std::uint8_t value) {
            return value >= 1 && value <= 253 && threshold >= 1 && threshold <= 253 && value <= threshold;
        };
        require(attribute.failingNow == (attribute.preFailure && judged(attribute.current)), "failing now by the rule");
        require(attribute.failedInPast == (attribute.preFailure && judged(attribute.worst)),
                "failed in the past by the rule");
        anyFailing = anyFailing || attribute.failingNow;
    }
    require(isHealthCritical(health) == anyFailing, "critical exactly when an attribute is failing now");

    const auto first = [&health](std::uint8_t id) -> const AtaAttribute* {
        for (const AtaAttribute& attribute : health.ata.attributes)
            if (attribute.id == id) return &attribute;
        return nullptr;
    };
    // A temperature byte from 1 to 125, 194's before 190's.
    std::optional<int> temperature;
    for (const std::uint8_t id : {std::uint8_t{194}, std::uint8_t{190}})
        if (first(id) && !temperature && (first(id)->raw & 0xFF) >= 1 && (first(id)->raw & 0xFF) <= 125)
            temperature = static_cast<int>(first(id)->raw & 0xFF);
    require(health.ata.temperatureCelsius == temperature, "a temperature from 194 or 190, 1 to 125");
    const bool hours = first(9) && (first(9)->raw & 0xFFFFFFFF) <= 262800;
    require(health.ata.powerOnHours.has_value() == hours, "hours from attribute 9, up to 30 years");
    if (hours) require(*health.ata.powerOnHours == (first(9)->raw & 0xFFFFFFFF), "its raw low 32 bits");
    for (const AtaCount& count : ataCounts) {
        const std::optional<std::uint32_t>& value = health.ata.*count.value;
        const bool known = first(count.id) && first(count.id)->raw >> 32 == 0;
        require(value.has_value() == known, "a count when the raw value's upper 16 bits are 0");
        if (known) require(*value == first(count.id)->raw, "the count is the raw value");
    }
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
