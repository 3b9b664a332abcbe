#pragma once
// The system's random numbers, for names nobody can guess.
#include "settings/replacement_name.h"

namespace kestrine {

// RtlGenRandom (SystemFunction036 in advapi32.dll), there since Windows XP and in Wine.
class Win32RandomSource : public RandomSource {
public:
    bool fill(ReplacementRandom& bytes) override;
};

}  // namespace kestrine
