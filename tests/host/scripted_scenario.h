#pragma once
// A scenario for the scripted-drive test host: what each physical drive number answers.
//
// One drive per line, `#` starts a comment, blank lines are skipped:
//     NUMBER STATE [key=value ...]
// e.g.   0 healthy vendor=ACME product="X100 Pro" serial=3132333435 bus=11 removable=1
// STATE is one of the words of `DriveState` below (spelled with hyphens); keys are vendor,
// product, serial (the descriptor's raw serial text), bus, removable (0 or 1) and code (the
// system error code of the failing request or open). Quoted values may contain blanks but
// no quote. Drive numbers that no line names answer "file not found".
#include <cstdint>
#include <map>
#include <string>

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
};

struct DriveScript {
    DriveState state = DriveState::Healthy;
    std::string vendor;
    std::string product;
    std::string serial;
    std::uint32_t bus = 11;  // SATA
    bool removable = false;
    std::uint32_t code = 0;  // 0: the state's usual error code
};

using Scenario = std::map<int, DriveScript>;

inline constexpr int highestScriptedDrive = 99;

// False with a message naming the line when the text is not a valid scenario.
bool parseScenario(const std::string& text, Scenario& scenario, std::string& error);

// The error code a failing open or request of this drive answers.
std::uint32_t failureCode(const DriveScript& drive);

}  // namespace kestrine::scripted
