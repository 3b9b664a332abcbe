#pragma once
// The checks a sector read through a bridge passes before anything in it is believed: a
// bridge may hand back zeros, a repeated pattern or stale bytes for a command it did not pass
// on, and such bytes must give no identity, count or verdict.
#include <string>
#include <string_view>

#include "probe/sat_reply.h"

namespace kestrine {

// Why an IDENTIFY DEVICE sector cannot be used, or empty: not zeros or a pattern, its checksum
// right when word 255 carries the signature 0xA5, a model name of printable characters.
std::string identifyProblem(const AtaSector& sector);

// The model (words 27 to 46) and serial number (words 10 to 19), each word's two characters
// swapped back into reading order, spaces and zeros trimmed at both ends.
struct AtaIdentity {
    std::string model;
    std::string serial;
};
AtaIdentity ataIdentity(const AtaSector& sector);

// Why a SMART READ DATA or READ THRESHOLDS sector (`what`: "data", "thresholds") cannot be
// used, or empty: not zeros or a pattern, its checksum right (byte 511 makes the sum 0 modulo
// 256), a structure revision and at least one attribute id.
std::string smartSectorProblem(std::string_view what, const AtaSector& sector);

}  // namespace kestrine
