#pragma once
// One drive whose answers come from the fuzz input: per control code an error code (0 for
// success) and the reply bytes the driver writes, which may be fewer than the buffer holds.
// It checks what the probe promises the driver: buffers of the documented sizes, zero-filled
// on arrival, and it keeps the input of the SMART command for the target to inspect.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/device_answers.h"
#include "fuzz_support.h"
#include "probe/device_layouts.h"
#include "probe/device_port.h"

namespace kestrine::fuzz {

class ScriptedDrive : public DevicePort {
public:
    struct Answer {
        std::uint32_t error = 0;
        const std::uint8_t* bytes = nullptr;
        std::size_t size = 0;
    };

    std::map<std::uint32_t, Answer> answers;
    std::uint32_t openError = 0;        // the first read/write open fails with this code when not 0
    std::uint32_t secondOpenError = 0;  // the same for every later read/write open
    int opens = 0;                      // all opens, those without access included
    bool smartCommandSent = false;
    std::vector<std::uint8_t> smartCommand;

    // An open without access is refused as the read/write open before it was.
    OpenResult open(const std::string&, DeviceAccess access) override {
        ++opens;
        if (access == DeviceAccess::ReadWrite) lastError_ = ++readWriteOpens_ == 1 ? openError : secondOpenError;
        const std::uint32_t error = lastError_;
        if (error != 0) return {nullptr, error};
        return {std::make_unique<Device>(*this), 0};
    }

private:
    int readWriteOpens_ = 0;
    std::uint32_t lastError_ = 0;

    static std::uint32_t replySize(std::uint32_t code) {
        switch (code) {
            case device::ioctlStorageQueryProperty: return device::deviceDescriptor::bufferSize;
            case device::smartGetVersion: return device::versionReply::size;
            case device::ioctlStoragePredictFailure: return device::predictFailureReply::size;
            case device::smartSendDriveCommand: return device::smartReply::size;
            default: return 0;
        }
    }

    class Device : public OpenDevice {
    public:
        explicit Device(ScriptedDrive& drive) : drive_(drive) {}
        ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                              std::uint32_t outSize) override {
            require(outSize == replySize(code), "every reply buffer has its documented size");
            require(std::all_of(out, out + outSize, [](std::uint8_t b) { return b == 0; }),
                    "every reply buffer is zero-filled before the request");
            if (code == device::smartSendDriveCommand) {
                drive_.smartCommandSent = true;
                drive_.smartCommand.assign(in, in + inSize);
            }
            const auto answer = drive_.answers.find(code);
            if (answer == drive_.answers.end()) return {testing::sdk::errorInvalidFunction, 0};
            return testing::answerWith(answer->second.error, answer->second.bytes, answer->second.size, out, outSize);
        }

    private:
        ScriptedDrive& drive_;
    };
};

}  // namespace kestrine::fuzz
