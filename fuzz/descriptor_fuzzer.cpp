// The storage device descriptor a driver returns, turned into the drive's identity block:
// string offsets of any value, strings without an end, blanks, odd serial encodings.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fakes/fake_device_port.h"
#include "fuzz_support.h"
#include "probe/drive_probe.h"
#include "probe/drive_texts.h"
#include "scripted_device.h"
#include "ui/drive_panel.h"

namespace kestrine::fuzz {
namespace {

constexpr std::string_view blanks = " \t\n\v\f\r";
constexpr std::size_t bufferSize = device::deviceDescriptor::bufferSize;

bool cleanText(const std::string& text) {
    if (text.find('\0') != std::string::npos) return false;
    return text.empty() ||
           (blanks.find(text.front()) == std::string_view::npos && blanks.find(text.back()) == std::string_view::npos);
}

// The raw string one offset field selects, read the plain way: inside the buffer, up to its
// zero or the buffer's end.
std::string_view rawString(const std::array<std::uint8_t, bufferSize>& buffer, std::size_t field) {
    const auto offset = static_cast<std::int32_t>(le32Within(buffer.data(), buffer.size(), field));
    if (offset <= 0 || static_cast<std::size_t>(offset) >= bufferSize) return {};
    const char* begin = reinterpret_cast<const char*>(buffer.data()) + offset;
    std::size_t length = 0;
    while (static_cast<std::size_t>(offset) + length < bufferSize && begin[length] != '\0') ++length;
    return {begin, length};
}

void check(const std::uint8_t* data, std::size_t size) {
    const std::size_t delivered = std::min(size, bufferSize);
    ScriptedDrive drive;
    drive.answers[device::ioctlStorageQueryProperty] = {0, data, delivered};
    const std::array<std::uint8_t, device::versionReply::size> version{0, 0, 0, 0, 0x07};
    drive.answers[device::smartGetVersion] = {0, version.data(), version.size()};

    DriveRecord record;
    require(probeIdentity(record, drive), "an opened drive always goes on to pass 2");
    require(record.present && record.probed && record.identityValid && record.identityError == 0,
            "a successful identity query makes the drive listed with details");
    require(record.smartCapable && record.versionError == 0, "the version reply is read as well");

    std::array<std::uint8_t, bufferSize> buffer{};
    std::copy_n(data, delivered, buffer.begin());
    namespace layout = device::deviceDescriptor;
    require(record.removable == (buffer[layout::removableMedia] == 1), "removable exactly when the byte is 1");
    require(record.busType == le32Within(buffer.data(), buffer.size(), layout::busType), "bus type read as sent");
    require(record.busTypeText == busTypeName(record.busType), "bus text follows the bus type");

    require(cleanText(record.vendor) && cleanText(record.product) && cleanText(record.serial),
            "identity texts hold no zero and no surrounding blanks");
    require(record.vendor == trimBlanks(rawString(buffer, layout::vendorIdOffset)), "vendor is the trimmed string");
    require(record.product == trimBlanks(rawString(buffer, layout::productIdOffset)), "product is the trimmed string");
    // The drive's trimmed text, or the printable text that its hexadecimal pairs stand for.
    const std::string serialText = trimBlanks(rawString(buffer, layout::serialNumberOffset));
    const bool hexPairs =
        serialText.size() % 2 == 0 && serialText.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    const bool printable =
        std::all_of(record.serial.begin(), record.serial.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    require(record.serial == serialText || (hexPairs && printable && record.serial.size() <= serialText.size() / 2),
            "the serial is the trimmed text, or two hexadecimal digits give one printable character");

    const bool joined = !record.vendor.empty() && !record.product.starts_with(record.vendor);
    require(record.displayName == (joined ? record.vendor + " " + record.product : record.product),
            "the display name is vendor and product without a repeated vendor");
    require(driveLabel(0, record.identityError, record.displayName) == "Disk 0 - " + record.displayName,
            "the list label names the drive");
    const testing::NoSystemMessages messages;
    const DrivePanelTexts texts = drivePanelTexts(&record, HealthTable{}, messages);
    require(texts.name == record.displayName && texts.serial == record.serial && texts.bus == record.busTypeText,
            "the panel shows the identity block");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    return 0;
}
