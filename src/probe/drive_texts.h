#pragma once
// Every text shown for a drive: cleaned-up identity strings, bus names, the display name,
// the drive list label, the identity error text and the two failure-prediction states.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "probe/device_port.h"
#include "probe/drive_record.h"

namespace kestrine {

// A COLORREF: 0x00BBGGRR.
using Color = std::uint32_t;

inline constexpr Color greyColor = 0x606060;
inline constexpr Color greenColor = 0x00A000;
inline constexpr Color redColor = 0x0000A0;

// How a failure-prediction state shows: the window's text ("Ok", "Failure Predicted", "No
// Data Available", and for SMART also "Query Fail"), the report's identifier ("ok",
// "failure_predicted", "no_data", "query_failed") and the drive panel's colour (green ok,
// red failure predicted, grey otherwise).
struct StateLook {
    const char* text;
    const char* identifier;
    Color color;
};

const StateLook& stateLook(SpfState state);
const StateLook& stateLook(SmartState state);

// STORAGE_BUS_TYPE code to its name, 0 (Unknown) to 19 (UFS); any other code is "Unspecified".
std::string busTypeName(std::uint32_t busType);

// The parts one after another, in a string sized for them once: a drive that refuses a request
// gets reasons of many short parts at every refresh.
std::string joined(std::initializer_list<std::string_view> parts);

// Strips single-byte white space (space, \t, \n, \v, \f, \r) from both ends.
std::string trimBlanks(std::string_view text);

// The serial number as the descriptor gives it, trimmed. Windows 7 and later give the drive's
// text; older versions gave each byte as two hexadecimal digits ("2020575A31" for "  WZ1"),
// so a trimmed string made only of such pairs is decoded when the bytes are printable ASCII
// (0x20 to 0x7E), zero bytes at its end being padding; the decoded text is trimmed again, so
// older Windows' blank padding never shows. Anything else is the drive's own text: odd
// lengths, other characters, or digits that decode to other bytes ("0000", "1F2E", "410043").
// No bytes are swapped.
std::string decodeSerial(std::string_view descriptorSerial);

// Vendor and product (both trimmed) as one name, without repeating a vendor the product
// already starts with.
std::string composeDisplayName(const std::string& vendor, const std::string& product);

// The drive list's label: "Disk N", plus " - " and the display name when the last
// identity query did not fail.
std::string driveLabel(std::int32_t driveNumber, std::uint32_t identityError, const std::string& displayName);

// "Cannot Read - " and the system's text for the code, or "Unknown Error" when it has none.
std::string identityErrorText(std::uint32_t code, const SystemMessages& messages);

// "The system cannot find the path specified. (error 3)": the system's text on one line and
// the code, or "error 3" alone when the system has no text for it.
std::string systemErrorText(std::uint32_t code, const SystemMessages& messages);

}  // namespace kestrine
