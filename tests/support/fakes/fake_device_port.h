#pragma once
// A scripted storage stack: per device path either an open error or a device whose answer
// to each control code (or, for codes that carry several requests, to each variant of the
// request) is scripted (reply bytes, or an error code). It records every open
// and every request with its input bytes, and notes any moment when two devices were open.
// As a standard user's system it refuses read/write opens of its devices, and on a handle
// opened without access it refuses the requests whose control code needs access, as Windows
// does.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/device_answers.h"
#include "fakes/device_replies.h"
#include "fakes/sat_replies.h"
#include "probe/device_port.h"

namespace kestrine::testing {

class FakeDevicePort : public DevicePort {
public:
    static constexpr std::uint32_t fileNotFound = sdk::errorFileNotFound;
    static constexpr std::uint32_t accessDenied = sdk::errorAccessDenied;
    static constexpr std::uint32_t invalidFunction = sdk::errorInvalidFunction;
    static constexpr std::uint32_t notSupported = sdk::errorNotSupported;
    static constexpr std::uint32_t queryProperty = sdk::ioctlStorageQueryProperty;
    static constexpr std::uint32_t smartRead = sdk::smartRcvDriveData;

    struct Answer {
        std::uint32_t error = 0;
        std::vector<std::uint8_t> reply;  // copied to the start of the caller's buffer
    };
    // Control codes nobody scripted are refused with ERROR_INVALID_FUNCTION.
    using Device = std::map<std::uint32_t, Answer>;

    struct Request {
        std::string path;
        std::uint32_t code = 0;
        std::vector<std::uint8_t> input;
        std::uint32_t outSize = 0;
        bool outZeroed = false;  // the caller's reply buffer held only zeros on arrival
    };

    // Paths with neither a device nor an open error fail with ERROR_FILE_NOT_FOUND.
    std::map<std::string, Device> devices;
    // Requests that share a control code are told apart by one field of their input, and
    // answered from here (path -> (code, field) -> answer): a storage property query for
    // another property than the device descriptor by its property id, a SMART read by its
    // feature register. Unscripted ones are refused as drivers refuse them: a property with
    // ERROR_NOT_SUPPORTED, a SMART read with ERROR_INVALID_FUNCTION.
    using Variant = std::pair<std::uint32_t, std::uint32_t>;
    std::map<std::string, std::map<Variant, Answer>> variants;
    std::map<std::string, std::uint32_t> openErrors;
    // Drives behind a bridge: their SCSI pass-through requests go to the bridge (path -> bridge).
    std::map<std::string, FakeBridge> bridges;

    bool standardUser = false;
    // A success reports the bytes copied, unless a lying driver claims another count here
    // (control code -> count).
    std::map<std::uint32_t, std::uint32_t> claimedBytes;

    std::vector<std::string> opens;          // unless recordOpens is off
    std::vector<DeviceAccess> openAccesses;  // the access each open asked for
    std::vector<Request> requests;
    int openNow = 0;
    bool overlapped = false;

    OpenResult open(const std::string& path, DeviceAccess access) override {
        if (recordOpens) {
            opens.push_back(path);
            openAccesses.push_back(access);
        }
        if (auto error = openErrors.find(path); error != openErrors.end()) return {nullptr, error->second};
        auto device = devices.find(path);
        if (device == devices.end()) return {nullptr, fileNotFound};
        if (standardUser && access == DeviceAccess::ReadWrite) return {nullptr, accessDenied};
        if (++openNow > 1) overlapped = true;
        return {std::make_unique<FakeOpenDevice>(*this, path, access), 0};
    }

    int opensOf(const std::string& path) const {
        return static_cast<int>(std::count(opens.begin(), opens.end(), path));
    }

    std::vector<Request> requestsWithCode(std::uint32_t code) const {
        std::vector<Request> found;
        std::copy_if(requests.begin(), requests.end(), std::back_inserter(found),
                     [code](const Request& r) { return r.code == code; });
        return found;
    }

    // Off for long runs, where keeping every request (or every open) would outweigh the code
    // under test.
    bool recordRequests = true;
    bool recordOpens = true;

private:
    class FakeOpenDevice : public OpenDevice {
    public:
        FakeOpenDevice(FakeDevicePort& port, std::string path, DeviceAccess access)
            : port_(port), path_(std::move(path)), access_(access) {}
        ~FakeOpenDevice() override { --port_.openNow; }

        ControlResult control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                              std::uint32_t outSize) override {
            if (port_.recordRequests) {
                Request request{path_, code, std::vector<std::uint8_t>(in, in + inSize), outSize,
                                std::all_of(out, out + outSize, [](std::uint8_t b) { return b == 0; })};
                port_.requests.push_back(std::move(request));
            }
            if (access_ == DeviceAccess::None && needsAccess(code)) return {accessDenied, 0};
            if (const auto bridge = port_.bridges.find(path_);
                code == sdk::ioctlScsiPassThrough && bridge != port_.bridges.end())
                return bridge->second.control(code, in, inSize, out, outSize);
            const Answer* answer = nullptr;
            if (const std::optional<Variant> variant = variantOf(code, in, inSize)) {
                const auto& answers = port_.variants[path_];
                const auto found = answers.find(*variant);
                if (found == answers.end()) return {code == queryProperty ? notSupported : invalidFunction, 0};
                answer = &found->second;
            } else {
                const Device& device = port_.devices.at(path_);
                const auto found = device.find(code);
                if (found == device.end()) return {invalidFunction, 0};
                answer = &found->second;
            }
            ControlResult result = answerWith(answer->error, answer->reply.data(), answer->reply.size(), out, outSize);
            const auto claimed = port_.claimedBytes.find(code);
            if (result.error == 0 && claimed != port_.claimedBytes.end()) result.bytesReturned = claimed->second;
            return result;
        }

    private:
        // The property id of a storage property query other than the descriptor's, or the
        // feature register of a SMART read.
        static std::optional<Variant> variantOf(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize) {
            if (code == queryProperty && in != nullptr && inSize >= 4) {
                const std::uint32_t id = le32At(in);
                if (id != 0) return Variant{code, id};
            }
            if (code == smartRead && in != nullptr && inSize > 4) return Variant{code, in[4]};
            return std::nullopt;
        }

        FakeDevicePort& port_;
        std::string path_;
        DeviceAccess access_;
    };
};

// A system without message texts: every identity error reads "Unknown Error".
class NoSystemMessages : public SystemMessages {
public:
    bool lookup(std::uint32_t, std::string&) const override { return false; }
};

}  // namespace kestrine::testing
