#pragma once
// The name a replacement writes its bytes under before they take the target's place: beside
// the target, in its folder, and unpredictable, so that nobody can plant a file or a link
// there beforehand for an elevated copy of the program to write through.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrine {

inline constexpr std::size_t replacementRandomSize = 16;
using ReplacementRandom = std::array<std::uint8_t, replacementRandomSize>;

// "<target>.<32 lowercase hex digits>.new", the random bytes in order. The ".new" end keeps
// a textfile collector, which reads "*.prom", from taking the file while it is written.
std::string replacementPath(const std::string& target, const ReplacementRandom& random);

// Random bytes from the system (RtlGenRandom on Windows).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // False when the system has none to give.
    virtual bool fill(ReplacementRandom& bytes) = 0;
};

}  // namespace kestrine
