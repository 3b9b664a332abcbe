#include "probe/sat_sector_checks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>

#include "probe/health_layouts.h"
#include "probe/little_endian.h"

namespace kestrine {

namespace {

constexpr std::size_t signatureByte = 510;  // word 255's low byte
constexpr std::uint8_t identifySignature = 0xA5;
constexpr std::size_t serialWords = 10;
constexpr std::size_t serialWordCount = 10;
constexpr std::size_t modelWords = 27;
constexpr std::size_t modelWordCount = 20;

std::uint8_t byteSum(const AtaSector& sector) {
    return static_cast<std::uint8_t>(std::accumulate(sector.begin(), sector.end(), 0u));
}

// The shortest period of at most half a sector with which the bytes repeat, or 0. A real
// sector never repeats itself: its second half is not its first.
std::size_t repeatedPattern(const AtaSector& sector) {
    for (std::size_t period = 1; period <= sector.size() / 2; ++period)
        if (std::equal(sector.begin() + static_cast<std::ptrdiff_t>(period), sector.end(), sector.begin()))
            return period;
    return 0;
}

// Zeros or a pattern, named for `what`, or empty.
std::string garbageProblem(const std::string& what, const AtaSector& sector) {
    if (std::all_of(sector.begin(), sector.end(), [](std::uint8_t byte) { return byte == 0; }))
        return what + " is all zeros";
    if (const std::size_t period = repeatedPattern(sector))
        return what + " repeats a pattern of " + std::to_string(period) + (period == 1 ? " byte" : " bytes");
    return {};
}

std::string checksumProblem(const std::string& what, const AtaSector& sector) {
    if (const std::uint8_t sum = byteSum(sector); sum != 0)
        return what + " has a wrong checksum (its bytes sum to " + std::to_string(sum) + " modulo 256, not 0)";
    return {};
}

std::string identifyText(const AtaSector& sector, std::size_t firstWord, std::size_t words) {
    std::string text;
    for (std::size_t word = firstWord; word < firstWord + words; ++word) {
        text += static_cast<char>(sector[2 * word + 1]);
        text += static_cast<char>(sector[2 * word]);
    }
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

}  // namespace

std::string identifyProblem(const AtaSector& sector) {
    const std::string what = "the IDENTIFY data";
    if (std::string problem = garbageProblem(what, sector); !problem.empty()) return problem;
    if (sector[signatureByte] == identifySignature)
        if (std::string problem = checksumProblem(what, sector); !problem.empty()) return problem;
    const AtaIdentity identity = ataIdentity(sector);
    if (identity.model.empty() || !printable(identity.model) || !printable(identity.serial))
        return what + " holds no model name and serial number in printable characters";
    return {};
}

AtaIdentity ataIdentity(const AtaSector& sector) {
    return {identifyText(sector, modelWords, modelWordCount), identifyText(sector, serialWords, serialWordCount)};
}

std::string smartSectorProblem(std::string_view what, const AtaSector& sector) {
    namespace entry = device::smartSector;
    const std::string name = "the SMART " + std::string(what);
    if (std::string problem = garbageProblem(name, sector); !problem.empty()) return problem;
    if (std::string problem = checksumProblem(name, sector); !problem.empty()) return problem;
    if (readLe16(sector.data()) == 0) return name + " carries no structure revision";
    bool anyId = false;
    for (std::size_t index = 0; index < entry::entryCount; ++index)
        anyId = anyId || sector[entry::firstEntry + index * entry::entrySize + entry::id] != 0;
    if (!anyId) return name + " lists no attribute";
    return {};
}

}  // namespace kestrine
