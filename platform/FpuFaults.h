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

#if defined(__x86_64__) || defined(__i386__)
// The flags live in two places, the x87 status word and the SSE control register, with the
// same bit for each fault. Reading both is a few instructions, while the library's feclearexcept
// saves and reloads the whole x87 environment on every call.
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08);

// The three fault flags raised in either unit.
inline int FpuRaisedFaults() {
    unsigned short status;
    unsigned int control;
    asm volatile("fnstsw %0" : "=am"(status)::"memory");
    asm volatile("stmxcsr %0" : "=m"(control)::"memory");
    return (status | static_cast<int>(control)) & FpuFaultFlags;
}

// Clears the three fault flags; costs next to nothing when none is raised.
inline void FpuClearFaults() {
    unsigned short status;
    unsigned int control;
    asm volatile("fnstsw %0" : "=am"(status)::"memory");
    // Clears the other x87 flags as well; underflow and inexact are never read.
    if (status & FpuFaultFlags) asm volatile("fnclex" ::: "memory");
    asm volatile("stmxcsr %0" : "=m"(control)::"memory");
    if (control & FpuFaultFlags) {
        control &= ~static_cast<unsigned int>(FpuFaultFlags);
        asm volatile("ldmxcsr %0" ::"m"(control) : "memory");
    }
}

// Every status flag of both units, to put back after code that may raise some.
struct TFpuFlagState {
    unsigned short Status;
    unsigned int Control;
};

inline TFpuFlagState FpuSaveFlags() {
    TFpuFlagState state;
    asm volatile("fnstsw %0" : "=am"(state.Status)::"memory");
    asm volatile("stmxcsr %0" : "=m"(state.Control)::"memory");
    return state;
}

// Cheap when the flags did not change, or when the x87 unit had none raised before.
inline void FpuRestoreFlags(const TFpuFlagState& saved) {
    const TFpuFlagState now = FpuSaveFlags();
    if ((now.Control ^ saved.Control) & FE_ALL_EXCEPT) {
        unsigned int control = (now.Control & ~FE_ALL_EXCEPT) | (saved.Control & FE_ALL_EXCEPT);
        asm volatile("ldmxcsr %0" ::"m"(control) : "memory");
    }
    if ((now.Status ^ saved.Status) & FE_ALL_EXCEPT) {
        if ((saved.Status & FE_ALL_EXCEPT) == 0) {
            asm volatile("fnclex" ::: "memory");
        } else {
            // Setting x87 flags means rewriting its environment; the library does that.
            const auto flags = static_cast<std::fexcept_t>(saved.Status & FE_ALL_EXCEPT);
            std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
            asm volatile("ldmxcsr %0" ::"m"(saved.Control) : "memory");
        }
    }
}
#else
struct TFpuFlagState {
    std::fexcept_t Flags;
};

inline TFpuFlagState FpuSaveFlags() {
    TFpuFlagState state;
    std::fegetexceptflag(&state.Flags, FE_ALL_EXCEPT);
    return state;
}

inline void FpuRestoreFlags(const TFpuFlagState& saved) {
    std::fesetexceptflag(&saved.Flags, FE_ALL_EXCEPT);
}

inline int FpuRaisedFaults() {
    asm volatile("" ::: "memory");
    const int raised = std::fetestexcept(FpuFaultFlags);
    asm volatile("" ::: "memory");
    return raised;
}

inline void FpuClearFaults() {
    asm volatile("" ::: "memory");
    std::feclearexcept(FpuFaultFlags);
    asm volatile("" ::: "memory");
}
#endif

// The first fault whose flag is set, in the order invalid, division by zero, overflow.
inline TFpuFault FpuTestFaults() {
    const int raised = FpuRaisedFaults();
    if (raised == 0) [[likely]]
        return TFpuFault::None;
    if (raised & FE_INVALID) return TFpuFault::InvalidOp;
    if (raised & FE_DIVBYZERO) return TFpuFault::ZeroDivide;
    return TFpuFault::Overflow;
}

// Forces a computed value to exist in memory at this point of the program.
template <typename T> inline void FpuBarrier(T& value) { asm volatile("" : "+m"(value)::"memory"); }

// Our German message for a fault (the text its exception carries); empty for none.
const char* FpuFaultMessage(TFpuFault fault);

// Raises the fault's exception (EInvalidOp, EZeroDivide, EOverflow); does nothing for None.
void FpuRaise(TFpuFault fault);

// Raises the pending fault, if any, and clears the flags. For code that computes outside the
// evaluation kernels (numeric methods) and wants a fault as an exception.
void FpuRaiseAndClear(TFpuFault fault);
inline void FpuCheckFaults() {
    const TFpuFault fault = FpuTestFaults();
    if (fault != TFpuFault::None) [[unlikely]]
        FpuRaiseAndClear(fault);
}
