#pragma once
// Waiting between two tries of a file another program holds for a moment: the system's sleep
// in the program, a clock that only counts in the tests.
#include <cstdint>

namespace kestrine {

class Pause {
public:
    virtual ~Pause() = default;
    virtual void wait(std::uint32_t milliseconds) = 0;
};

}  // namespace kestrine
