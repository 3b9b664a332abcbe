#pragma once
// A DevicePort that answers like a storage stack, from a scenario file (see
// scripted_scenario.h). The file is read again at every open, so a test can change the
// drives between two refreshes of the running program. Replies are built byte for byte in
// the layouts of the Windows storage and SMART structures (the health replies by the test
// builders of fakes/health_replies.h).
#include <cstdint>
#include <string>

#include "fakes/device_answers.h"
#include "probe/device_port.h"
#include "scripted_scenario.h"

namespace kestrine::scripted {

using testing::sdk::errorFileNotFound;
using testing::sdk::errorInsufficientBuffer;
using testing::sdk::errorInvalidData;
using testing::sdk::errorInvalidFunction;
using testing::sdk::errorInvalidParameter;
using testing::sdk::errorNotSupported;

class ScriptedDevicePort : public DevicePort {
public:
    // An empty path, or a file that cannot be read, scripts no drive at all. A file that is
    // not a valid scenario makes every open fail with ERROR_INVALID_DATA, so the mistake
    // shows as sixteen unreadable drives instead of passing for an empty machine.
    explicit ScriptedDevicePort(std::string scenarioPath);
    OpenResult open(const std::string& path, DeviceAccess access) override;

private:
    std::string scenarioPath_;
};

// One open scripted drive: answers the four storage requests of the drive probe and the
// three of the health probe. A handle opened without access refuses the requests whose
// control code needs access.
std::unique_ptr<OpenDevice> makeScriptedDevice(int number, const DriveScript& drive,
                                               DeviceAccess access = DeviceAccess::ReadWrite);

}  // namespace kestrine::scripted
