// A history file of any content: trusted whole or not at all, written back as it was read,
// and after a new sample and the thinning still within its bounds.
//   the whole input: the file's bytes, taken as they are and then with their head and checksum
//   made right, so that the drives and samples behind the checksum are read too
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "history/caution_memory.h"
#include "history/history_bounds.h"
#include "history/history_file.h"
#include "probe/little_endian.h"

namespace kestrine::fuzz {
namespace {

constexpr UtcSeconds now = 1'740'830'400;

void checkJudgement(const DriveHistory& drive) {
    if (drive.samples.empty()) return;
    const CautionJudgement judgement = judgeCautionCounts(drive.samples.back(), drive.acceptance);
    for (const CountJudgement& count : judgement.counts) {
        require(count.value > 0, "only counts above zero are judged");
        const CautionState expected = !count.accepted                             ? CautionState::New
                                      : count.value > count.accepted->lowestSince ? CautionState::Grown
                                                                                  : CautionState::Accepted;
        require(count.state == expected, "new without acceptance, grown above the lowest since, else accepted");
    }
}

// The bytes under a good head (magic, version 1, their length) and with their checksum.
std::vector<std::uint8_t> resealed(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    const std::uint8_t head[] = {'K', 'S', 'T', 'H', 1, 0};
    std::copy(std::begin(head), std::end(head), bytes.begin());
    writeLe32(bytes.data() + 8, static_cast<std::uint32_t>(size));
    writeLe32(bytes.data() + size - 4, crc32(std::span(bytes.data(), size - 4)));
    return bytes;
}

void check(const std::uint8_t* data, std::size_t size) {
    ParsedHistory parsed = parseHistory(std::span(data, size));
    if (parsed.status != HistoryFileStatus::Ok) {
        require(parsed.history == History{}, "no part of a refused file is trusted");
        require(!parsed.reason.empty() || parsed.status == HistoryFileStatus::Empty, "a refusal says why");
        return;
    }
    const std::vector<std::uint8_t> written = serializeHistory(parsed.history);
    require(written.size() == serializedHistorySize(parsed.history), "the size foretold is the size written");
    require(parseHistory(written).history == parsed.history, "a history read comes back as it was written");
    for (const DriveHistory& drive : parsed.history.drives) checkJudgement(drive);

    HealthSample sample;
    sample.time = now;
    sample.counts[0] = size;
    History history = std::move(parsed.history);
    recordSample(history, {"Model", "Serial"}, sample);
    thinHistory(history, now);
    require(history.drives.size() <= maxHistoryDrives, "at most 64 drives");
    require(serializedHistorySize(history) <= maxHistoryBytes, "at most 1 MiB");
    for (const DriveHistory& drive : history.drives)
        for (const HealthSample& kept : drive.samples)
            require(kept.time >= now - dailySamplesFor, "no sample older than 400 days");
}

}  // namespace
}  // namespace kestrine::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kestrine::fuzz::check(data, size);
    if (size >= 20) {
        const std::vector<std::uint8_t> bytes = kestrine::fuzz::resealed(data, size);
        kestrine::fuzz::check(bytes.data(), bytes.size());
    }
    return 0;
}
