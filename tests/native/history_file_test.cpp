// The history's file: every field through a round trip, its layout at fixed offsets, and no
// part of a damaged, foreign, truncated or newer file trusted.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/history_bounds.h"
#include "history/history_file.h"
#include "probe/little_endian.h"

namespace kestrine {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Two drives with a distinct value in every field, a sample with nothing read among them.
History everyField() {
    HealthSample full;
    full.time = 1'740'830'400;
    full.status = SampleStatus::Caution;
    full.counts = {11, 22, 33, 44, 55};
    full.pastFailures = {5, 187, 197};
    full.powerOnHours = 40'312;
    full.temperature = -5;
    full.percentageUsed = 101;
    full.availableSpare = 97;
    HealthSample bare;
    bare.time = 1'740'834'000;
    bare.status = SampleStatus::Failing;
    HealthSample nvme;
    nvme.time = -1;  // a clock set before 1970
    nvme.counts[4] = 0x0123'4567'89AB'CDEFu;
    nvme.temperature = 125;
    nvme.percentageUsed = 3;
    nvme.availableSpare = 100;

    History history;
    DriveHistory ata{{"ST2000DM008-2FR102", "ZFL1A2B3"}, 1'740'834'000, {}, {full, bare}};
    ata.acceptance.lastAccepted = 1'740'000'000;
    ata.acceptance.counts[0] = CountAcceptance{63, 1'739'000'000, 60};
    ata.acceptance.counts[3] = CountAcceptance{7, 1'738'000'000, 5};
    ata.acceptance.pastFailures = {5, 9};
    history.drives.push_back(ata);
    history.drives.push_back({{"Samsung SSD 980 1TB", "S64ANS0T123456"}, -1, {}, {nvme}});
    return history;
}

// The bytes with their length and checksum made right again, for damage behind the checksum.
Bytes resealed(Bytes bytes) {
    writeLe32(bytes.data() + 8, static_cast<std::uint32_t>(bytes.size()));
    writeLe32(bytes.data() + bytes.size() - 4, crc32(std::span(bytes.data(), bytes.size() - 4)));
    return bytes;
}

TEST(HistoryFile, EveryFieldComesBackAsWritten) {
    const History history = everyField();
    const Bytes bytes = serializeHistory(history);
    const ParsedHistory parsed = parseHistory(bytes);
    EXPECT_EQ(parsed.status, HistoryFileStatus::Ok);
    EXPECT_EQ(parsed.history, history);
    EXPECT_EQ(bytes.size(), serializedHistorySize(history));
    EXPECT_EQ(parseHistory(serializeHistory(History{})).history, History{});
}

TEST(HistoryFile, KeepsItsFieldsAtFixedOffsetsLittleEndian) {
    const Bytes bytes = serializeHistory(everyField());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 8), (Bytes{'K', 'S', 'T', 'H', 1, 0, 0, 0}));
    EXPECT_EQ(readLe32(bytes.data() + 8), bytes.size());
    EXPECT_EQ(readLe32(bytes.data() + 12), 2u);
    EXPECT_EQ(readLe32(bytes.data() + bytes.size() - 4), crc32(std::span(bytes.data(), bytes.size() - 4)));
    const std::size_t drive = 16, sample = drive + 152 + 18 + 8 + 2;  // after the model, serial and 2 ids
    EXPECT_EQ(bytes[drive], 18);                                      // the model's length
    EXPECT_EQ(bytes[drive + 2], 0b101001);                            // counts 0 and 3 accepted, and a time
    EXPECT_EQ(readLe64(bytes.data() + drive + 32 + 16), 60u);         // count 0's lowest since
    EXPECT_EQ(readLe64(bytes.data() + drive + 32 + 3 * 24), 7u);      // count 3's accepted value
    EXPECT_EQ(readLe64(bytes.data() + sample), 1'740'830'400u);
    EXPECT_EQ(readLe16(bytes.data() + sample + 10), 0x1FF);   // everything present
    EXPECT_EQ(readLe16(bytes.data() + sample + 14), 0xFFFB);  // -5 C
    EXPECT_EQ(readLe32(bytes.data() + sample + 16), 40'312u);
    EXPECT_EQ(readLe64(bytes.data() + sample + 24 + 4 * 8), 55u);
    EXPECT_EQ(Bytes(bytes.begin() + sample + 64, bytes.begin() + sample + 67), (Bytes{5, 187, 197}));
}

TEST(HistoryFile, CutsAKeyToWhatTheFileKeeps) {
    History history;
    recordSample(history, {std::string(300, 'M'), "S"}, HealthSample{});
    EXPECT_EQ(history.drives[0].key.model, std::string(255, 'M'));
    EXPECT_EQ(parseHistory(serializeHistory(history)).history, history);
}

// Bit by bit, as the polynomial defines it.
std::uint32_t plainCrc32(std::span<const std::uint8_t> bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

TEST(HistoryFile, AChecksumAsZipHasIt) {
    EXPECT_EQ(crc32(Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xCBF43926u);
    EXPECT_EQ(crc32(Bytes{}), 0u);
    // Eight bytes a step and the rest one by one: every length and start around the steps.
    Bytes bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 167 + 13);
    for (std::size_t start = 0; start < 9; ++start)
        for (std::size_t length = 0; start + length <= bytes.size(); length += length < 40 ? 1 : 37)
            ASSERT_EQ(crc32(std::span(bytes).subspan(start, length)),
                      plainCrc32(std::span(bytes).subspan(start, length)))
                << start << " " << length;
}

TEST(HistoryFile, NoFlippedBitOrCutGivesAHistory) {
    const Bytes good = serializeHistory(everyField());
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const std::uint8_t bit : {0x01, 0x80}) {
            Bytes bytes = good;
            bytes[at] ^= bit;
            const ParsedHistory parsed = parseHistory(bytes);
            ASSERT_NE(parsed.status, HistoryFileStatus::Ok) << "byte " << at;
            ASSERT_EQ(parsed.history, History{});
        }
        ASSERT_NE(parseHistory(std::span(good.data(), at)).status, HistoryFileStatus::Ok) << "cut at " << at;
    }
}

struct Row {
    const char* what;
    std::function<Bytes(Bytes)> change;
    HistoryFileStatus status;
    const char* reason;
};

TEST(HistoryFile, SaysWhyItTrustsNoneOfAFile) {
    const std::size_t sample = 16 + 152 + 26 + 2;      // the first drive's first sample
    const std::size_t secondDrive = sample + 67 + 64;  // after its two samples
    const std::vector<Row> rows = {
        {"nothing", [](Bytes) { return Bytes{}; }, HistoryFileStatus::Empty, ""},
        {"the settings file's first bytes",
         [](Bytes) {
             return Bytes{3, 0, 0, 0, 0x7F};
         },
         HistoryFileStatus::Foreign, "not a history file"},
        {"another magic", [](Bytes b) { return b[3] = 'X', b; }, HistoryFileStatus::Foreign, "not a history file"},
        {"three bytes of the magic", [](Bytes b) { return Bytes(b.begin(), b.begin() + 3); },
         HistoryFileStatus::Damaged, "truncated"},
        {"a newer version", [](Bytes b) { return b[4] = 2, b; }, HistoryFileStatus::NewerVersion,
         "file version 2, newer than this program"},
        {"version 0", [](Bytes b) { return b[4] = 0, b; }, HistoryFileStatus::Damaged, "file version 0"},
        {"cut short", [](Bytes b) { return b.pop_back(), b; }, HistoryFileStatus::Damaged, "truncated"},
        {"a byte more", [](Bytes b) { return b.push_back(0), b; }, HistoryFileStatus::Damaged,
         "longer than its length"},
        {"a changed value", [](Bytes b) { return b[sample + 24] ^= 1, b; }, HistoryFileStatus::Damaged,
         "checksum does not match"},
        {"a drive more than there is", [](Bytes b) { return b[12] = 3, resealed(b); }, HistoryFileStatus::Damaged,
         "truncated drive"},
        {"a drive less than there is", [](Bytes b) { return b[12] = 1, resealed(b); }, HistoryFileStatus::Damaged,
         "bytes after the last drive"},
        {"an unknown acceptance", [](Bytes b) { return b[16 + 2] |= 0x40, resealed(b); }, HistoryFileStatus::Damaged,
         "unknown acceptance bits"},
        {"an unknown status", [](Bytes b) { return b[sample + 8] = 3, resealed(b); }, HistoryFileStatus::Damaged,
         "unknown sample status"},
        {"an unknown value", [](Bytes b) { return b[sample + 11] |= 2, resealed(b); }, HistoryFileStatus::Damaged,
         "unknown sample values"},
        {"ids out of order", [](Bytes b) { return std::swap(b[sample + 64], b[sample + 65]), resealed(b); },
         HistoryFileStatus::Damaged, "attribute ids out of order"},
        {"a later sample first", [](Bytes b) { return b[sample + 3] = 0x7F, resealed(b); }, HistoryFileStatus::Damaged,
         "samples out of order"},
        {"more samples than there are", [](Bytes b) { return b[secondDrive + 24] = 2, resealed(b); },
         HistoryFileStatus::Damaged, "truncated sample"},
    };
    const Bytes good = serializeHistory(everyField());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const ParsedHistory parsed = parseHistory(row.change(good));
        EXPECT_EQ(parsed.status, row.status);
        EXPECT_EQ(parsed.reason, row.reason);
        EXPECT_EQ(parsed.history, History{});
    }
    History twice = everyField();
    twice.drives[1].key = twice.drives[0].key;
    EXPECT_EQ(parseHistory(serializeHistory(twice)).reason, "a drive twice");
    // A drive twice lies before a third drive that is cut off, and is what the file is refused for.
    Bytes cut = serializeHistory(twice);
    cut[12] = 3;
    EXPECT_EQ(parseHistory(resealed(cut)).reason, "a drive twice");
    twice.drives.push_back(twice.drives[0]);
    twice.drives[2].key.serialNumber = "ZFL1A2B4";
    twice.drives[1].key = twice.drives[2].key;
    EXPECT_EQ(parseHistory(serializeHistory(twice)).reason, "a drive twice") << "the second and third";
}

}  // namespace
}  // namespace kestrine
