// The fast run and its checked replay. Code that evaluates or computes without a fault test after
// every operation tests the flags once at the end; after a flag it runs again checked, which finds
// the first fault and gives its message. That second run must start where the first one did: with
// the same random seed, so that rnd draws the same numbers, and with the flags clear.
#pragma once

#include <cstdint>

#include "engine/MathKernels.h"
#include "platform/FpuFaults.h"

class TFaultReplay {
public:
    // Remembers the seed; the flags are left as they are.
    TFaultReplay() : Seed(RandSeed) {}

    // Whether no fault flag is raised once value has been computed; the barrier keeps the
    // operations that produced value before the test.
    static bool Clean(long double value) {
        FpuBarrier(value);
        return FpuRaisedFaults() == 0;
    }

    // Back to the start for the checked run: the seed as it was, the flags clear. The values
    // given become unknown to the compiler, so that the checked run computes again from them
    // instead of reusing results from before the clear.
    template <typename... T> void Rewind(T&... values) const {
        FpuClearFaults();
        RandSeed = Seed;
        (FpuBarrier(values), ...);
    }

private:
    std::uint32_t Seed;
};
