// The fault flags of both floating-point units, read, cleared, saved and put back.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>

#include "platform/FpuFaults.h"
#include "platform/Locale.h"

namespace {

volatile long double HugeExtended = 1e4000L;
volatile long double ZeroExtended = 0;
volatile double HugeDouble = 1e300;
volatile double ZeroDouble = 0;

// Raises flags the way the computations do, in the unit that computes.
void RaiseX87Overflow() {
    volatile long double x = HugeExtended * HugeExtended;
    (void)x;
}
void RaiseX87ZeroDivide() {
    volatile long double x = 1 / ZeroExtended;
    (void)x;
}
void RaiseSseInvalid() {
    volatile double x = ZeroDouble / ZeroDouble;
    (void)x;
}
void RaiseSseOverflow() {
    volatile double x = HugeDouble * HugeDouble;
    (void)x;
}

struct TFlagCase {
    const char* Name;
    void (*Raise)();
    TFpuFault Fault;
};

const TFlagCase FlagCases[] = {
    {"none", [] {}, TFpuFault::None},
    {"x87 overflow", RaiseX87Overflow, TFpuFault::Overflow},
    {"x87 division by zero", RaiseX87ZeroDivide, TFpuFault::ZeroDivide},
    {"SSE invalid", RaiseSseInvalid, TFpuFault::InvalidOp},
    {"SSE overflow", RaiseSseOverflow, TFpuFault::Overflow},
    {"both units", [] { RaiseX87Overflow(), RaiseSseInvalid(); }, TFpuFault::InvalidOp},
};

TEST(FpuFaultsTest, TestAndClearSeeBothUnits) {
    for (const TFlagCase& c : FlagCases) {
        SCOPED_TRACE(c.Name);
        std::feclearexcept(FE_ALL_EXCEPT);
        c.Raise();
        EXPECT_EQ(FpuTestFaults(), c.Fault);
        FpuClearFaults();
        EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
        EXPECT_EQ(std::fetestexcept(FpuFaultFlags), 0);
    }
}

// Number conversion raises inexact or overflow inside; afterwards the flags are as before,
// whichever unit held them.
TEST(FpuFaultsTest, ConversionsPutTheFlagsBack) {
    for (const TFlagCase& c : FlagCases) {
        for (const std::string text : {"0.1", "1e5000", "1e-5000", "2"}) {
            SCOPED_TRACE(std::string(c.Name) + " " + text);
            std::feclearexcept(FE_ALL_EXCEPT);
            c.Raise();
            const int before = std::fetestexcept(FE_ALL_EXCEPT);
            long double value = 0;
            TryTextToExtended(text, value);
            EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), before);
        }
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

} // namespace
