#pragma once
// The history's file, little-endian: a 16-byte head ("KSTH", the version, the file's length,
// the number of drives), each drive with its samples, and a CRC-32 of everything before it.
// A file that is damaged, foreign, truncated or of a newer version gives no history at all:
// no part of it is trusted.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "history/health_history.h"

namespace kestrine {

inline constexpr std::uint16_t historyVersion = 1;
// The file keeps at most this many bytes of a model or serial number.
inline constexpr std::size_t maxKeyTextBytes = 255;

enum class HistoryFileStatus { Ok, Empty, Damaged, Foreign, NewerVersion };

struct ParsedHistory {
    HistoryFileStatus status = HistoryFileStatus::Empty;
    std::string reason;  // why it is damaged, foreign or newer: "checksum does not match"
    History history;     // empty unless Ok
};

ParsedHistory parseHistory(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> serializeHistory(const History& history);

// What the whole history and one sample take in the file.
std::size_t serializedHistorySize(const History& history);
std::size_t serializedSampleSize(const HealthSample& sample);

// CRC-32 as zip and PNG have it (reflected, polynomial 0xEDB88320).
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

}  // namespace kestrine
