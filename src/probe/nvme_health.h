#pragma once
// An NVMe drive's health: its SMART / Health log page. The drive refuses the SMART commands,
// so the log's critical-warning bits also stand in for its SMART RETURN STATUS.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/counter128.h"
#include "probe/device_port.h"

namespace kestrine {

struct CautionJudgement;
struct DriveHealth;
struct DriveRecord;

struct NvmeHealth {
    std::uint8_t criticalWarning = 0;
    std::uint16_t compositeKelvin = 0;
    std::optional<int> compositeCelsius;  // none when the kelvin are no temperature, 0 K included
    std::uint8_t availableSpare = 0;      // percent
    std::uint8_t availableSpareThreshold = 0;
    std::uint8_t percentageUsed = 0;  // may pass 100
    Counter128 dataUnitsRead;         // units of `nvmeDataUnitBytes`
    Counter128 dataUnitsWritten;
    Counter128 powerCycles;
    Counter128 powerOnHours;
    Counter128 unsafeShutdowns;
    Counter128 mediaErrors;
    Counter128 errorLogEntries;
};

inline constexpr std::uint32_t nvmeDataUnitBytes = 512000;

// The reply to the health log request (a protocol data descriptor and the log page); or no
// source and a reason when it holds no whole page.
DriveHealth nvmeHealth(const std::uint8_t* data, std::size_t bytesReturned);

// Asks an open NVMe drive for its health log: one request.
DriveHealth readNvmeHealth(OpenDevice& drive, const DriveRecord& record);

struct WarningBit {
    int bit = 0;
    std::string_view name;
};
// The named NVMe critical-warning bits, 0 to 5.
extern const std::array<WarningBit, 6> criticalWarningBits;
// The bits set in `criticalWarning`, low bit first; bits 6 and 7 are named "reserved bit N".
std::vector<WarningBit> criticalWarnings(std::uint8_t criticalWarning);

// What the verdict asks of the log: any critical-warning bit is critical, and names the
// problem; media errors while the judgement calls them new or grown, and a percentage used of
// 100 or more, are early signs.
bool hasCriticalWarning(const NvmeHealth& health);
std::string criticalWarningProblem(const NvmeHealth& health);
std::vector<std::string> nvmeCautionReasons(const NvmeHealth& health, const CautionJudgement& judgement);

}  // namespace kestrine
