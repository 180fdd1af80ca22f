#include "platform/FpuFaults.h"

#include <limits>

static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit extended format");

const char* FpuFaultMessage(TFpuFault fault) {
    switch (fault) {
    case TFpuFault::InvalidOp:
        return "Ungültige Gleitkommaoperation";
    case TFpuFault::ZeroDivide:
        return "Gleitkommadivision durch Null";
    case TFpuFault::Overflow:
        return "Gleitkommaüberlauf";
    case TFpuFault::None:
        break;
    }
    return "";
}

void FpuRaise(TFpuFault fault) {
    switch (fault) {
    case TFpuFault::InvalidOp:
        throw EInvalidOp();
    case TFpuFault::ZeroDivide:
        throw EZeroDivide();
    case TFpuFault::Overflow:
        throw EOverflow();
    case TFpuFault::None:
        break;
    }
}

void FpuRaiseAndClear(TFpuFault fault) {
    FpuClearFaults();
    FpuRaise(fault);
}
