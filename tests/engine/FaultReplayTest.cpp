// The fast run's single fault test, and the checked run after it from the same seed and flags.
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>

#include "engine/FaultReplay.h"
#include "engine/MathKernelsImpl.h"

namespace {

// Operands the compiler cannot see, so that the operations run where they are written.
volatile long double Huge = 1e4000L;
volatile long double Zero = 0;
volatile long double Three = 3;

std::array<long double, 4> Draws() {
    return {KvKernels::RandomFloat(), KvKernels::RandomFloat(), KvKernels::RandomFloat(),
            KvKernels::RandomFloat()};
}

TEST(FaultReplayTest, RewindGivesTheRunAfterItTheSameDrawsAndClearFlags) {
    for (const std::uint32_t seed : {0u, 12345u, 0xFFFFFFFFu}) {
        RandSeed = seed;
        const TFaultReplay replay;
        const auto first = Draws();
        const std::uint32_t seedAfter = RandSeed;
        EXPECT_FALSE(TFaultReplay::Clean(Huge * Huge));
        long double kept = 2.5L;
        replay.Rewind(kept);
        EXPECT_EQ(kept, 2.5L);
        EXPECT_EQ(RandSeed, seed);
        EXPECT_EQ(std::fetestexcept(FpuFaultFlags), 0);
        EXPECT_EQ(Draws(), first) << seed;
        EXPECT_EQ(RandSeed, seedAfter);
    }
}

TEST(FaultReplayTest, CleanSeesTheFaultsOfTheOperationBeforeIt) {
    const struct {
        const char* Name;
        long double (*Compute)();
        bool Clean;
    } cases[] = {
        {"fine", [] { return 1 / Three + Three * Three; }, true},
        {"underflow and inexact stay silent", [] { return 1 / Huge / Huge; }, true},
        {"overflow", [] { return Huge * Huge; }, false},
        {"division by zero", [] { return 1 / Zero; }, false},
        {"invalid", [] { return std::sqrt(Zero - Three); }, false},
        {"invalid from infinities", [] { return Huge * Huge - Huge * Huge; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FpuClearFaults();
        EXPECT_EQ(TFaultReplay::Clean(c.Compute()), c.Clean);
        TFaultReplay().Rewind();
        EXPECT_TRUE(TFaultReplay::Clean(Three));
    }
}

} // namespace
