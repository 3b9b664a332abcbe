#include "probe/drive_texts.h"

#include <array>

namespace kestrine {

const char* stateText(SpfState state) {
    switch (state) {
        case SpfState::Ok: return "Ok";
        case SpfState::FailurePredicted: return "Failure Predicted";
        case SpfState::NoData: break;
    }
    return "No Data Available";
}

const char* stateText(SmartState state) {
    switch (state) {
        case SmartState::QueryFailed: return "Query Fail";
        case SmartState::Ok: return "Ok";
        case SmartState::FailurePredicted: return "Failure Predicted";
        case SmartState::NoData: break;
    }
    return "No Data Available";
}

std::string busTypeName(std::uint32_t busType) {
    // The codes of STORAGE_BUS_TYPE as MinGW's winioctl.h numbers them: it ends at UFS (19), so
    // 20, NVMe over Fabrics in later SDKs, stays "Unspecified" like any code not listed.
    static constexpr std::array<const char*, 20> names = {
        "Unknown",        "SCSI",  "ATAPI", "ATA",  "1394", "SSA", "Fibre",   "USB",
        "RAID",           "iSCSI", "SAS",   "SATA", "SD",   "MMC", "Virtual", "File Backed Virtual",
        "Storage Spaces", "NVMe",  "SCM",   "UFS"};
    return busType < names.size() ? names[busType] : "Unspecified";
}

std::string trimBlanks(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

namespace {

// '0'-'9' count 0-9 and letters of either case count on from 10; anything else is 0.
unsigned serialDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 'a') + 10;
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A') + 10;
    return 0;
}

}  // namespace

std::string decodeSerial(std::string_view encoded) {
    std::string decoded;
    // A last odd character has no partner and is ignored.
    for (std::size_t i = 0; i + 1 < encoded.size(); i += 2) {
        const unsigned value = serialDigit(encoded[i]) << 4 | serialDigit(encoded[i + 1]);
        // A zero byte ends the text, also when a pair above 0xFF leaves 0 in the low byte.
        const auto byte = static_cast<unsigned char>(value & 0xFF);
        if (byte == 0) break;
        decoded.push_back(static_cast<char>(byte));
    }
    return trimBlanks(decoded);
}

std::string composeDisplayName(const std::string& vendor, const std::string& product) {
    if (vendor.empty() || product.starts_with(vendor)) return product;
    return vendor + " " + product;
}

std::string driveLabel(std::int32_t driveNumber, std::uint32_t identityError, const std::string& displayName) {
    std::string label = "Disk " + std::to_string(driveNumber);
    if (identityError == 0) label += " - " + displayName;
    return label;
}

std::string identityErrorText(std::uint32_t code, const SystemMessages& messages) {
    std::string text;
    if (!messages.lookup(code, text)) text = "Unknown Error";
    return "Cannot Read - " + text;
}

std::string systemErrorText(std::uint32_t code, const SystemMessages& messages) {
    std::string text;
    const std::string number = "error " + std::to_string(code);
    if (!messages.lookup(code, text) || trimBlanks(text).empty()) return number;
    return trimBlanks(text) + " (" + number + ')';
}

}  // namespace kestrine
