#pragma once
// A scenario for the scripted-drive test host: what each physical drive number answers.
//
// One drive per line, `#` starts a comment, blank lines are skipped:
//     NUMBER STATE [key=value ...]
// e.g.   0 healthy vendor=ACME product="X100 Pro" serial=3132333435 bus=11 removable=1
// STATE is one of the words of `DriveState` below (spelled with hyphens); keys are vendor,
// product, serial (the descriptor's raw serial text), bus, removable (0 or 1), code (the
// system error code of the failing request or open), and for the hostile state reply (one of
// the words of `HostileReply`, spelled with hyphens) and seed (for random replies). Quoted
// values may contain blanks but no quote. Drive numbers that no line names answer "file not
// found". A line with the single word `standard-user` makes the whole machine answer as to a
// program without administrator rights: every read/write open of a drive that would open is
// refused with ERROR_ACCESS_DENIED, an open without access succeeds, and on such a handle the
// requests that need access (the SMART ones) are refused with ERROR_ACCESS_DENIED.
//
// Health lines add to a drive named on an earlier line; numbers are decimal or 0x-prefixed
// hexadecimal, keys left out are 0:
//     NUMBER attribute id= flags= current= worst= raw= threshold=
//         one entry of the SMART attribute table and its threshold, in table order (30 at most);
//         a drive without one refuses the SMART reads
//     NUMBER nvme-log warning= kelvin= spare= spare-threshold= used= read= written=
//                     power-cycles= hours= unsafe-shutdowns= media-errors= error-log-entries=
//         the NVMe SMART / Health log (the counters up to 2^64 - 1)
//     NUMBER temperature current= warning= critical=
//         the temperature property, in degrees Celsius (signed)
// A drive without an nvme-log or temperature line refuses that property as not supported.
//
// A drive behind a USB bridge (key bridge=sat, or bridge=sat12 for one that refuses ATA
// PASS-THROUGH (16) but takes (12)) refuses the SMART requests as not supported and answers
// the SCSI pass-through requests as the bridge passes them on: IDENTIFY DEVICE with the keys
// model and drive-serial, SMART READ DATA and THRESHOLDS from its attribute lines (refused
// without any), SMART RETURN STATUS with F4/2C in the threshold-exceeded state and 4F/C2 in
// every other.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fakes/health_replies.h"
#include "probe/drive_health.h"

namespace kestrine::scripted {

enum class DriveState {
    Healthy,            // every request succeeds, nothing predicted
    FailingSpf,         // the predict-failure reply predicts a failure
    ThresholdExceeded,  // SMART RETURN STATUS answers F4/2C
    SmartQueryFails,    // the SMART command fails with `code`
    SmartUnsupported,   // the version reply lacks the SMART command capability
    VersionFails,       // SMART_GET_VERSION fails with `code`
    PredictFails,       // the predict-failure request fails with `code`
    IdentityFails,      // the storage property query fails with `code`
    AccessDenied,       // the open fails with ERROR_ACCESS_DENIED
    OpenFails,          // the open fails with `code`
    Hostile,            // answers every request with the broken reply `hostile`
};

// How a hostile drive breaks its replies. Every request but the open succeeds unless noted.
enum class HostileReply {
    OffsetsPastEnd,     // descriptor string offsets at or past the end of the buffer
    NegativeOffsets,    // descriptor string offsets with the sign bit set
    Unterminated,       // every reply filled to its last byte, strings without a zero
    RandomBytes,        // every reply filled with bytes from a generator seeded by `seed`
    ShortReplies,       // only the first two bytes of every reply are written, as 0xFF
    SilentOpenFailure,  // the open fails and leaves error code 0 behind
};

enum class BridgeKind { None, Sat, Sat12 };

struct TemperatureScript {
    std::int16_t current = 0;
    std::int16_t warning = 0;
    std::int16_t critical = 0;
};

inline constexpr std::size_t maxScriptedAttributes = 30;

struct DriveScript {
    DriveState state = DriveState::Healthy;
    std::string vendor;
    std::string product;
    std::string serial;
    std::uint32_t bus = 11;  // SATA
    bool removable = false;
    std::uint32_t code = 0;  // 0: the state's usual error code
    HostileReply hostile = HostileReply::RandomBytes;
    std::uint32_t seed = 1;
    BridgeKind bridge = BridgeKind::None;
    std::string model;  // behind a bridge: IDENTIFY's model and serial number
    std::string driveSerial;
    // Health.
    std::vector<testing::AttributeRow> attributes;
    std::optional<NvmeHealth> nvmeLog;
    std::optional<TemperatureScript> temperature;
};

struct Scenario {
    std::map<int, DriveScript> drives;
    bool standardUser = false;
};

inline constexpr int highestScriptedDrive = 99;

// False with a message naming the line when the text is not a valid scenario.
bool parseScenario(const std::string& text, Scenario& scenario, std::string& error);

// The error code a failing open or request of this drive answers.
std::uint32_t failureCode(const DriveScript& drive);

// The byte generator behind random replies: the same seed always gives the same bytes, so a
// test can work out what a random drive answered.
class ReplyBytes {
public:
    explicit ReplyBytes(std::uint32_t seed) : state_(seed != 0 ? seed : 1) {}
    std::uint8_t next();

private:
    std::uint32_t state_;
};

}  // namespace kestrine::scripted
