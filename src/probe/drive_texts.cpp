#include "probe/drive_texts.h"

#include <algorithm>
#include <array>
#include <optional>

#include "probe/enum_table.h"

namespace kestrine {

namespace {

constexpr StateLook noDataLook{"No Data Available", "no_data", greyColor};
constexpr StateLook okLook{"Ok", "ok", greenColor};
constexpr StateLook failureLook{"Failure Predicted", "failure_predicted", redColor};

static_assert(static_cast<int>(SpfState::NoData) == 0 && static_cast<int>(SpfState::Ok) == 1 &&
              static_cast<int>(SpfState::FailurePredicted) == 2);
constexpr std::array<StateLook, 3> spfLooks = {noDataLook, okLook, failureLook};

static_assert(static_cast<int>(SmartState::NoData) == 0 && static_cast<int>(SmartState::QueryFailed) == 1 &&
              static_cast<int>(SmartState::Ok) == 2 && static_cast<int>(SmartState::FailurePredicted) == 3);
constexpr std::array<StateLook, 4> smartLooks = {noDataLook, StateLook{"Query Fail", "query_failed", greyColor}, okLook,
                                                 failureLook};

}  // namespace

const StateLook& stateLook(SpfState state) { return rowOf(spfLooks, state, SpfState::NoData); }

const StateLook& stateLook(SmartState state) { return rowOf(smartLooks, state, SmartState::NoData); }

std::string busTypeName(std::uint32_t busType) {
    // The codes of STORAGE_BUS_TYPE as MinGW's winioctl.h numbers them: it ends at UFS (19), so
    // 20, NVMe over Fabrics in later SDKs, stays "Unspecified" like any code not listed.
    static constexpr std::array<const char*, 20> names = {
        "Unknown",        "SCSI",  "ATAPI", "ATA",  "1394", "SSA", "Fibre",   "USB",
        "RAID",           "iSCSI", "SAS",   "SATA", "SD",   "MMC", "Virtual", "File Backed Virtual",
        "Storage Spaces", "NVMe",  "SCM",   "UFS"};
    return busType < names.size() ? names[busType] : "Unspecified";
}

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// 0 to 15 for a hexadecimal digit, else 16.
unsigned hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a') + 10;
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A') + 10;
    return 16;
}

// The characters that hexadecimal pairs stand for, or none when `text` is not such pairs of
// printable characters. Zero bytes at the end are padding; anywhere else they are not text.
// Decoded in place, without a copy per character: the probe decodes every drive's serial.
std::optional<std::string> hexPairsText(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string decoded(text.size() / 2, '\0');
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        const unsigned high = hexDigit(text[2 * i]);
        const unsigned low = hexDigit(text[2 * i + 1]);
        if (high > 15 || low > 15) return std::nullopt;
        decoded[i] = static_cast<char>(high << 4 | low);
    }
    decoded.erase(decoded.find_last_not_of('\0') + 1);
    const bool printable = std::all_of(decoded.begin(), decoded.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
    if (decoded.empty() || !printable) return std::nullopt;
    return decoded;
}

}  // namespace

std::string joined(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (const std::string_view part : parts) size += part.size();
    std::string text(size, '\0');
    char* at = text.data();
    for (const std::string_view part : parts) at = std::copy(part.begin(), part.end(), at);
    return text;
}

std::string trimBlanks(std::string_view text) { return std::string(trimmed(text)); }

std::string decodeSerial(std::string_view descriptorSerial) {
    const std::string_view serial = trimmed(descriptorSerial);
    if (const std::optional<std::string> decoded = hexPairsText(serial)) return trimBlanks(*decoded);
    return std::string(serial);
}

std::string composeDisplayName(const std::string& vendor, const std::string& product) {
    if (vendor.empty() || product.starts_with(vendor)) return product;
    return vendor + " " + product;
}

std::string driveLabel(std::int32_t driveNumber, std::uint32_t identityError, const std::string& displayName) {
    const bool named = identityError == 0;
    return joined({"Disk ", std::to_string(driveNumber), named ? " - " : "", named ? displayName : ""});
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
