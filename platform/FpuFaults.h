// Floating-point faults, modelled on the status flags of <cfenv>.
//
// Invalid operation, division by zero and overflow are the enabled faults; underflow and inexact
// stay silent. Code that must notice a fault clears the flags, computes, and tests them. The
// compiler must not move arithmetic across the clear or the test: FpuBarrier pins a value in
// memory, and the clear and test functions are barriers for all memory.
#pragma once

#include <cfenv>
#include <string>

#include "platform/Exceptions.h"

static_assert(sizeof(long double) >= 10, "80-bit extended needs long double");

enum class TFpuFault { None, InvalidOp, ZeroDivide, Overflow };

constexpr int FpuFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// Clears the three fault flags.
inline void FpuClearFaults() {
    asm volatile("" ::: "memory");
    std::feclearexcept(FpuFaultFlags);
    asm volatile("" ::: "memory");
}

// The first fault whose flag is set, in the order invalid, division by zero, overflow.
inline TFpuFault FpuTestFaults() {
    asm volatile("" ::: "memory");
    const int raised = std::fetestexcept(FpuFaultFlags);
    if (raised == 0) return TFpuFault::None;
    if (raised & FE_INVALID) return TFpuFault::InvalidOp;
    if (raised & FE_DIVBYZERO) return TFpuFault::ZeroDivide;
    return TFpuFault::Overflow;
}

// Forces a computed value to exist in memory at this point of the program.
template <typename T> inline void FpuBarrier(T& value) { asm volatile("" : "+m"(value)::"memory"); }

// The runtime's German message for a fault; empty for none.
const char* FpuFaultMessage(TFpuFault fault);

// Raises the fault's exception (EInvalidOp, EZeroDivide, EOverflow); does nothing for None.
void FpuRaise(TFpuFault fault);

// Raises the pending fault, if any, and clears the flags. For code that computes outside the
// evaluation kernels (numeric methods) and wants a fault as an exception.
void FpuCheckFaults();
