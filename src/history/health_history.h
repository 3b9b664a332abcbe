#pragma once
// What the history remembers of each drive: a sample of its health per refresh that read it,
// and what a person accepted of its caution counts. Plain data, keyed by model and serial
// number, so that a drive keeps its history whatever number or letter it gets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kestrine {

// Seconds since 1970-01-01 00:00 UTC.
using UtcSeconds = std::int64_t;

enum class SampleStatus : std::uint8_t { Ok, Caution, Failing };

// The counts whose growth is an early sign of failure, in the order the file keeps them.
enum class CautionCount : std::uint8_t {
    ReallocatedSectors,
    PendingSectors,
    UncorrectableSectors,
    ReportedUncorrectableErrors,
    MediaErrors,
};
inline constexpr std::size_t cautionCountKinds = 5;

// The count's name where the report shows it: "reallocatedSectors", "mediaErrors".
std::string_view cautionCountName(CautionCount count);

// Each count is none when the drive does not have it or its value was not the quantity.
using CautionCounts = std::array<std::optional<std::uint64_t>, cautionCountKinds>;

struct HealthSample {
    UtcSeconds time = 0;
    SampleStatus status = SampleStatus::Ok;
    CautionCounts counts{};
    std::set<std::uint8_t> pastFailures;  // ids of the attributes that failed in the past
    std::optional<std::uint32_t> powerOnHours;
    std::optional<std::int16_t> temperature;  // degrees Celsius
    std::optional<std::uint8_t> percentageUsed;
    std::optional<std::uint8_t> availableSpare;  // percent
    bool operator==(const HealthSample&) const = default;
};

struct DriveKey {
    std::string model;
    std::string serialNumber;
    bool operator==(const DriveKey&) const = default;
};

// One count as a person accepted it. The lowest value since then is kept as it goes, since
// thinning drops the samples it was seen in.
struct CountAcceptance {
    std::uint64_t value = 0;
    UtcSeconds time = 0;
    std::uint64_t lowestSince = 0;
    bool operator==(const CountAcceptance&) const = default;
};

struct Acceptance {
    std::optional<UtcSeconds> lastAccepted;  // none until a person accepts
    std::array<std::optional<CountAcceptance>, cautionCountKinds> counts{};
    std::set<std::uint8_t> pastFailures;  // the past failures accepted
    bool operator==(const Acceptance&) const = default;
};

struct DriveHistory {
    DriveKey key;
    UtcSeconds lastSeen = 0;  // the latest sample or acceptance
    Acceptance acceptance;
    std::vector<HealthSample> samples;  // oldest first
    bool operator==(const DriveHistory&) const = default;
};

struct History {
    std::vector<DriveHistory> drives;
    bool operator==(const History&) const = default;
};

// The drive's history, or null when it has none.
DriveHistory* findDrive(History& history, const DriveKey& key);
const DriveHistory* findDrive(const History& history, const DriveKey& key);

}  // namespace kestrine
