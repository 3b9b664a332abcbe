#pragma once
// Every text shown for a drive: cleaned-up identity strings, bus names, the display name,
// the drive list label, the identity error text and the two failure-prediction states.
#include <cstdint>
#include <string>
#include <string_view>

#include "probe/device_port.h"
#include "probe/drive_record.h"

namespace kestrine {

// "Ok", "Failure Predicted", "No Data Available", and for SMART also "Query Fail".
const char* stateText(SpfState state);
const char* stateText(SmartState state);

// STORAGE_BUS_TYPE code to its name, 0 (Unknown) to 19 (UFS); any other code is "Unspecified".
std::string busTypeName(std::uint32_t busType);

// Strips single-byte white space (space, \t, \n, \v, \f, \r) from both ends.
std::string trimBlanks(std::string_view text);

// The descriptor gives the serial number as pairs of characters, each pair one byte.
std::string decodeSerial(std::string_view encoded);

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
