#include "history/history_file.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "probe/little_endian.h"

namespace kestrine {

namespace {

constexpr std::array<std::uint8_t, 4> magic = {'K', 'S', 'T', 'H'};

// Each block's fields at their offsets. Nothing depends on how the compiler lays out a
// structure, so the file is the same from a 32-bit and a 64-bit build.
namespace headLayout {
constexpr std::size_t magic = 0, version = 4, length = 8, driveCount = 12, size = 16;
static_assert(driveCount + 4 == size);
}  // namespace headLayout
constexpr std::size_t checksumSize = 4;

// Followed by the model, the serial number and the accepted past failures' ids, then the samples.
namespace driveLayout {
constexpr std::size_t modelLength = 0, serialLength = 1, accepted = 2, acceptedIdCount = 4, lastSeen = 8,
                      lastAccepted = 16, sampleCount = 24, counts = 32, size = 152;
// Per accepted count: the value, the time, the lowest value since.
constexpr std::size_t countValue = 0, countTime = 8, countLowest = 16, countSize = 24;
static_assert(counts + cautionCountKinds * countSize == size);
// Bits of `accepted`: one per count, then whether anything was accepted at all.
constexpr unsigned lastAcceptedBit = 1u << cautionCountKinds;
constexpr unsigned acceptedBits = lastAcceptedBit * 2 - 1;
}  // namespace driveLayout

// Followed by the ids of the attributes that failed in the past.
namespace sampleLayout {
constexpr std::size_t time = 0, status = 8, present = 10, pastFailureCount = 12, temperature = 14, powerOnHours = 16,
                      percentageUsed = 20, availableSpare = 21, counts = 24, size = 64;
static_assert(counts + cautionCountKinds * 8 == size);
// Bits of `present`: one per count, then the four other values.
constexpr unsigned powerOnHoursBit = 1u << cautionCountKinds, temperatureBit = powerOnHoursBit << 1,
                   percentageUsedBit = powerOnHoursBit << 2, availableSpareBit = powerOnHoursBit << 3;
constexpr unsigned presentBits = availableSpareBit * 2 - 1;
}  // namespace sampleLayout

std::size_t keyLength(const std::string& text) { return std::min(text.size(), maxKeyTextBytes); }

std::size_t driveSize(const DriveHistory& drive) {
    return driveLayout::size + keyLength(drive.key.model) + keyLength(drive.key.serialNumber) +
           drive.acceptance.pastFailures.size();
}

// One value, 1, 2, 4 or 8 bytes wide, at its offset in a block: each width one store where the
// compiler can, since the window writes the whole file at every refresh.
void put(std::uint8_t* block, std::size_t offset, std::size_t width, std::uint64_t value) {
    std::uint8_t* at = block + offset;
    switch (width) {
        case 8: writeLe64(at, value); break;
        case 4: writeLe32(at, static_cast<std::uint32_t>(value)); break;
        case 2: writeLe16(at, static_cast<std::uint16_t>(value)); break;
        default: *at = static_cast<std::uint8_t>(value); break;
    }
}

template <typename Value>
void putOptional(std::uint8_t* block, std::size_t offset, std::size_t width, const std::optional<Value>& value,
                 unsigned bit, unsigned& present) {
    if (!value) return;
    put(block, offset, width, static_cast<std::uint64_t>(*value));
    present |= bit;
}

// Hands out a zeroed buffer of the history's exact size block by block, in order.
class ByteWriter {
public:
    explicit ByteWriter(std::uint8_t* start) : at_(start) {}
    std::uint8_t* block(std::size_t size) {
        std::uint8_t* block = at_;
        at_ += size;
        return block;
    }
    template <typename Iterator>
    void append(Iterator first, Iterator last) {
        at_ = std::copy(first, last, at_);
    }

private:
    std::uint8_t* at_;
};

void appendText(ByteWriter& writer, const std::string& text) {
    writer.append(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(keyLength(text)));
}

void appendSample(ByteWriter& writer, const HealthSample& value) {
    std::uint8_t* block = writer.block(sampleLayout::size);
    unsigned present = 0;
    put(block, sampleLayout::time, 8, static_cast<std::uint64_t>(value.time));
    put(block, sampleLayout::status, 1, static_cast<std::uint8_t>(value.status));
    put(block, sampleLayout::pastFailureCount, 2, value.pastFailures.size());
    for (std::size_t index = 0; index < cautionCountKinds; ++index)
        putOptional(block, sampleLayout::counts + 8 * index, 8, value.counts[index], 1u << index, present);
    putOptional(block, sampleLayout::powerOnHours, 4, value.powerOnHours, sampleLayout::powerOnHoursBit, present);
    putOptional(block, sampleLayout::temperature, 2, value.temperature, sampleLayout::temperatureBit, present);
    putOptional(block, sampleLayout::percentageUsed, 1, value.percentageUsed, sampleLayout::percentageUsedBit, present);
    putOptional(block, sampleLayout::availableSpare, 1, value.availableSpare, sampleLayout::availableSpareBit, present);
    put(block, sampleLayout::present, 2, present);
    writer.append(value.pastFailures.begin(), value.pastFailures.end());
}

void appendDrive(ByteWriter& writer, const DriveHistory& value) {
    const Acceptance& acceptance = value.acceptance;
    std::uint8_t* block = writer.block(driveLayout::size);
    unsigned accepted = acceptance.lastAccepted ? driveLayout::lastAcceptedBit : 0;
    put(block, driveLayout::modelLength, 1, keyLength(value.key.model));
    put(block, driveLayout::serialLength, 1, keyLength(value.key.serialNumber));
    put(block, driveLayout::acceptedIdCount, 2, acceptance.pastFailures.size());
    put(block, driveLayout::lastSeen, 8, static_cast<std::uint64_t>(value.lastSeen));
    put(block, driveLayout::lastAccepted, 8, static_cast<std::uint64_t>(acceptance.lastAccepted.value_or(0)));
    put(block, driveLayout::sampleCount, 4, value.samples.size());
    for (std::size_t index = 0; index < cautionCountKinds; ++index) {
        const std::optional<CountAcceptance>& count = acceptance.counts[index];
        if (!count) continue;
        const std::size_t at = driveLayout::counts + index * driveLayout::countSize;
        put(block, at + driveLayout::countValue, 8, count->value);
        put(block, at + driveLayout::countTime, 8, static_cast<std::uint64_t>(count->time));
        put(block, at + driveLayout::countLowest, 8, count->lowestSince);
        accepted |= 1u << index;
    }
    put(block, driveLayout::accepted, 1, accepted);
    appendText(writer, value.key.model);
    appendText(writer, value.key.serialNumber);
    writer.append(acceptance.pastFailures.begin(), acceptance.pastFailures.end());
    for (const HealthSample& kept : value.samples) appendSample(writer, kept);
}

// Takes the bytes in order and never past the end: a take beyond it fails, and so does every
// take after it.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // The next `size` bytes, or null.
    const std::uint8_t* take(std::size_t size) {
        if (failed_ || size > bytes_.size() - at_) {
            failed_ = true;
            return nullptr;
        }
        const std::uint8_t* taken = bytes_.data() + at_;
        at_ += size;
        return taken;
    }
    bool atEnd() const { return !failed_ && at_ == bytes_.size(); }
    // How many of `size` bytes each could still follow: what a count read from the file may
    // reserve, however large it claims to be.
    std::size_t fitting(std::size_t count, std::size_t size) const {
        return std::min(count, (bytes_.size() - at_) / size);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

// One value, 1, 2, 4 or 8 bytes wide, at its offset in a block.
std::uint64_t field(const std::uint8_t* block, std::size_t offset, std::size_t width) {
    const std::uint8_t* at = block + offset;
    switch (width) {
        case 8: return readLe64(at);
        case 4: return readLe32(at);
        case 2: return readLe16(at);
        default: return *at;
    }
}

// A length or count, which the file keeps in at most four bytes.
std::size_t countField(const std::uint8_t* block, std::size_t offset, std::size_t width) {
    return static_cast<std::size_t>(field(block, offset, width));
}

template <typename Value>
std::optional<Value> optionalField(const std::uint8_t* block, std::size_t offset, std::size_t width, unsigned present,
                                   unsigned bit) {
    if ((present & bit) == 0) return std::nullopt;
    return static_cast<Value>(field(block, offset, width));
}

struct Damage {
    std::string reason;
};

// Ids in strictly rising order, as they were written.
std::optional<Damage> readIds(ByteReader& reader, std::size_t count, std::set<std::uint8_t>& ids) {
    const std::uint8_t* bytes = reader.take(count);
    if (bytes == nullptr) return Damage{"truncated"};
    if (std::adjacent_find(bytes, bytes + count, std::greater_equal<>{}) != bytes + count)
        return Damage{"attribute ids out of order"};
    ids.insert(bytes, bytes + count);
    return std::nullopt;
}

// Sorted keys, so that the check costs no copy of a key and no compare of every pair.
bool anyDriveTwice(const std::vector<DriveHistory>& drives) {
    std::vector<const DriveKey*> keys;
    keys.reserve(drives.size());
    for (const DriveHistory& drive : drives) keys.push_back(&drive.key);
    // Any order puts equal keys side by side; the lengths tell most keys apart at once.
    std::sort(keys.begin(), keys.end(), [](const DriveKey* a, const DriveKey* b) {
        if (a->model.size() != b->model.size()) return a->model.size() < b->model.size();
        if (a->serialNumber.size() != b->serialNumber.size()) return a->serialNumber.size() < b->serialNumber.size();
        const int model = a->model.compare(b->model);
        return model != 0 ? model < 0 : a->serialNumber < b->serialNumber;
    });
    return std::adjacent_find(keys.begin(), keys.end(),
                              [](const DriveKey* a, const DriveKey* b) { return *a == *b; }) != keys.end();
}

// The drives and their samples, or why they cannot be.
class BodyReader {
public:
    explicit BodyReader(std::span<const std::uint8_t> body) : reader_(body) {}

    // The drives are read up to the first damaged one; a drive twice among those read comes
    // first, as it lies before that damage in the file.
    std::optional<Damage> read(std::size_t driveCount, History& history) {
        history.drives.reserve(reader_.fitting(driveCount, driveLayout::size));
        std::optional<Damage> damage;
        for (std::size_t index = 0; index < driveCount && !damage; ++index) {
            damage = readDrive(history.drives.emplace_back());
            if (damage) history.drives.pop_back();
        }
        if (anyDriveTwice(history.drives)) return Damage{"a drive twice"};
        if (damage) return damage;
        if (!reader_.atEnd()) return Damage{"bytes after the last drive"};
        return std::nullopt;
    }

private:
    std::optional<Damage> readDrive(DriveHistory& value) {
        const std::uint8_t* block = reader_.take(driveLayout::size);
        if (block == nullptr) return Damage{"truncated drive"};
        const auto accepted = static_cast<unsigned>(field(block, driveLayout::accepted, 1));
        if ((accepted & ~driveLayout::acceptedBits) != 0) return Damage{"unknown acceptance bits"};
        const std::size_t modelLength = countField(block, driveLayout::modelLength, 1);
        const std::size_t serialLength = countField(block, driveLayout::serialLength, 1);
        const std::uint8_t* model = reader_.take(modelLength);
        const std::uint8_t* serial = reader_.take(serialLength);
        if (model == nullptr || serial == nullptr) return Damage{"truncated drive"};
        value.key.model.assign(model, model + modelLength);
        value.key.serialNumber.assign(serial, serial + serialLength);
        value.lastSeen = static_cast<UtcSeconds>(field(block, driveLayout::lastSeen, 8));
        Acceptance& acceptance = value.acceptance;
        if (std::optional<Damage> damage =
                readIds(reader_, countField(block, driveLayout::acceptedIdCount, 2), acceptance.pastFailures))
            return damage;
        if ((accepted & driveLayout::lastAcceptedBit) != 0)
            acceptance.lastAccepted = static_cast<UtcSeconds>(field(block, driveLayout::lastAccepted, 8));
        for (std::size_t index = 0; index < cautionCountKinds; ++index) {
            if ((accepted & 1u << index) == 0) continue;
            const std::size_t at = driveLayout::counts + index * driveLayout::countSize;
            acceptance.counts[index] =
                CountAcceptance{field(block, at + driveLayout::countValue, 8),
                                static_cast<UtcSeconds>(field(block, at + driveLayout::countTime, 8)),
                                field(block, at + driveLayout::countLowest, 8)};
        }
        const std::size_t sampleCount = countField(block, driveLayout::sampleCount, 4);
        // With room for the sample the window's refresh adds to each drive it reads.
        value.samples.reserve(reader_.fitting(sampleCount, sampleLayout::size) + 1);
        for (std::size_t index = 0; index < sampleCount; ++index) {
            const HealthSample& kept = value.samples.emplace_back();
            if (std::optional<Damage> damage = readSample(value.samples.back())) return damage;
            if (value.samples.size() > 1 && kept.time < value.samples.end()[-2].time)
                return Damage{"samples out of order"};
        }
        return std::nullopt;
    }

    std::optional<Damage> readSample(HealthSample& value) {
        const std::uint8_t* block = reader_.take(sampleLayout::size);
        if (block == nullptr) return Damage{"truncated sample"};
        const auto status = field(block, sampleLayout::status, 1);
        const auto present = static_cast<unsigned>(field(block, sampleLayout::present, 2));
        if (status > static_cast<std::uint8_t>(SampleStatus::Failing)) return Damage{"unknown sample status"};
        if ((present & ~sampleLayout::presentBits) != 0) return Damage{"unknown sample values"};
        if (std::optional<Damage> damage =
                readIds(reader_, countField(block, sampleLayout::pastFailureCount, 2), value.pastFailures))
            return damage;
        value.time = static_cast<UtcSeconds>(field(block, sampleLayout::time, 8));
        value.status = static_cast<SampleStatus>(status);
        for (std::size_t index = 0; index < cautionCountKinds; ++index)
            value.counts[index] =
                optionalField<std::uint64_t>(block, sampleLayout::counts + 8 * index, 8, present, 1u << index);
        value.powerOnHours =
            optionalField<std::uint32_t>(block, sampleLayout::powerOnHours, 4, present, sampleLayout::powerOnHoursBit);
        value.temperature =
            optionalField<std::int16_t>(block, sampleLayout::temperature, 2, present, sampleLayout::temperatureBit);
        value.percentageUsed = optionalField<std::uint8_t>(block, sampleLayout::percentageUsed, 1, present,
                                                           sampleLayout::percentageUsedBit);
        value.availableSpare = optionalField<std::uint8_t>(block, sampleLayout::availableSpare, 1, present,
                                                           sampleLayout::availableSpareBit);
        return std::nullopt;
    }

    ByteReader reader_;
};

ParsedHistory refused(HistoryFileStatus status, std::string reason) { return {status, std::move(reason), {}}; }

}  // namespace

std::size_t serializedSampleSize(const HealthSample& value) { return sampleLayout::size + value.pastFailures.size(); }

std::size_t serializedHistorySize(const History& history) {
    std::size_t size = headLayout::size + checksumSize;
    for (const DriveHistory& drive : history.drives) {
        size += driveSize(drive);
        for (const HealthSample& kept : drive.samples) size += serializedSampleSize(kept);
    }
    return size;
}

std::vector<std::uint8_t> serializeHistory(const History& history) {
    std::vector<std::uint8_t> bytes(serializedHistorySize(history));
    ByteWriter writer(bytes.data());
    std::uint8_t* head = writer.block(headLayout::size);
    std::copy(magic.begin(), magic.end(), head + headLayout::magic);
    put(head, headLayout::version, 2, historyVersion);
    put(head, headLayout::length, 4, bytes.size());
    put(head, headLayout::driveCount, 4, history.drives.size());
    for (const DriveHistory& drive : history.drives) appendDrive(writer, drive);
    const std::size_t checked = bytes.size() - checksumSize;
    put(writer.block(checksumSize), 0, checksumSize, crc32(std::span(bytes).first(checked)));
    return bytes;
}

ParsedHistory parseHistory(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return refused(HistoryFileStatus::Empty, {});
    const std::size_t magicBytes = std::min(bytes.size(), magic.size());
    if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(magicBytes), magic.begin()))
        return refused(HistoryFileStatus::Foreign, "not a history file");
    if (bytes.size() < headLayout::size + checksumSize) return refused(HistoryFileStatus::Damaged, "truncated");
    const std::uint8_t* head = bytes.data();
    const auto version = field(head, headLayout::version, 2);
    if (version > historyVersion)
        return refused(HistoryFileStatus::NewerVersion,
                       "file version " + std::to_string(version) + ", newer than this program");
    if (version < historyVersion) return refused(HistoryFileStatus::Damaged, "file version " + std::to_string(version));
    const auto length = field(head, headLayout::length, 4);
    if (length > bytes.size()) return refused(HistoryFileStatus::Damaged, "truncated");
    if (length < bytes.size()) return refused(HistoryFileStatus::Damaged, "longer than its length");
    const std::size_t checked = bytes.size() - checksumSize;
    if (crc32(bytes.first(checked)) != field(head, checked, checksumSize))
        return refused(HistoryFileStatus::Damaged, "checksum does not match");
    ParsedHistory parsed{HistoryFileStatus::Ok, {}, {}};
    BodyReader body(bytes.subspan(headLayout::size, checked - headLayout::size));
    if (std::optional<Damage> damage = body.read(countField(head, headLayout::driveCount, 4), parsed.history))
        return refused(HistoryFileStatus::Damaged, damage->reason);
    return parsed;
}

namespace {

// Eight tables, so that the checksum takes eight bytes a step (slicing-by-8): the window's
// refresh reads and writes the whole file. Computed at the first use, which keeps their 8 KB
// out of the programs.
struct CrcTables {
    CrcTables();
    std::array<std::array<std::uint32_t, 256>, 8> slice{};
};

CrcTables::CrcTables() {
    // Read at run time: an optimiser that computed the tables while building would store them.
    const volatile std::uint32_t reflectedPolynomial = 0xEDB88320u;
    const std::uint32_t polynomial = reflectedPolynomial;
    for (std::uint32_t value = 0; value < 256; ++value) {
        std::uint32_t crc = value;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (polynomial & (0u - (crc & 1u)));
        slice[0][value] = crc;
    }
    // Each table is the one before it followed by a zero byte.
    for (std::size_t table = 1; table < slice.size(); ++table)
        for (std::size_t value = 0; value < 256; ++value)
            slice[table][value] = (slice[table - 1][value] >> 8) ^ slice[0][slice[table - 1][value] & 0xFFu];
}

const CrcTables& crcTables() {
    static const CrcTables tables;
    return tables;
}

}  // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    const auto& table = crcTables().slice;
    std::uint32_t crc = 0xFFFFFFFFu;
    const std::uint8_t* at = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; left -= 8, at += 8) {
        const std::uint32_t low = crc ^ readLe32(at);
        const std::uint32_t high = readLe32(at + 4);
        crc = table[7][low & 0xFFu] ^ table[6][low >> 8 & 0xFFu] ^ table[5][low >> 16 & 0xFFu] ^ table[4][low >> 24] ^
              table[3][high & 0xFFu] ^ table[2][high >> 8 & 0xFFu] ^ table[1][high >> 16 & 0xFFu] ^
              table[0][high >> 24];
    }
    for (; left > 0; --left, ++at) crc = (crc >> 8) ^ table[0][(crc ^ *at) & 0xFFu];
    return ~crc;
}

}  // namespace kestrine
