#include "engine/MathKernels.h"

#include <cfenv>
#include <limits>

#include "engine/MathKernelsImpl.h"

std::uint32_t RandSeed = 0;

namespace KvKernels {

long double RaiseInvalid() {
    std::feraiseexcept(FE_INVALID);
    return std::numeric_limits<long double>::quiet_NaN();
}

long double RaiseZeroDivide(bool negative) {
    std::feraiseexcept(FE_DIVBYZERO);
    const long double infinity = std::numeric_limits<long double>::infinity();
    return negative ? -infinity : infinity;
}

long double RaiseOverflow() {
    std::feraiseexcept(FE_OVERFLOW);
    return std::numeric_limits<long double>::infinity();
}

namespace {

// Every draw advances the one global seed first, so a run's sequence never changes.
std::uint32_t NextSeed() {
    RandSeed = RandSeed * 134775813u + 1u;
    return RandSeed;
}

} // namespace

long double RandomFloat() {
    return static_cast<long double>(NextSeed()) / 0x1p32L;
}

std::uint32_t RandomRange(std::uint32_t range) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(NextSeed()) * range) >> 32);
}

bool FailBinary(void*, const void*) {
    return false;
}
bool FailFunction(std::uint16_t, void*) {
    return false;
}
void NoNegation(void*) {}
bool KeepValue(std::uint16_t, void*) {
    return true;
}

} // namespace KvKernels

using namespace KvKernels;

TNegateKernel SelectNegateKernel(TKvDataType dataType) {
    switch (dataType) {
    case dtSmallInt:
    case dtInteger:
    case dtComp:
        return SelectIntegerNegate(dataType);
    case dtSingle:
    case dtDouble:
    case dtReal:
        return SelectFloatNegate(dataType);
    case dtExtended:
        return SelectExtendedNegate();
    default:
        return NoNegation;
    }
}

TBinaryKernel SelectBinaryKernel(std::uint16_t code, TKvDataType dataType) {
    switch (dataType) {
    case dtWord:
    case dtSmallInt:
    case dtInteger:
    case dtComp:
        return SelectIntegerBinary(code, dataType);
    case dtSingle:
    case dtDouble:
    case dtReal:
        return SelectFloatBinary(code, dataType);
    case dtExtended:
        return SelectExtendedBinary(code);
    default:
        return FailBinary;
    }
}

TFunctionKernel SelectFunctionKernel(std::uint16_t code, TKvDataType dataType) {
    switch (dataType) {
    case dtWord:
    case dtSmallInt:
    case dtInteger:
    case dtComp:
        return SelectIntegerFunction(code, dataType);
    case dtSingle:
    case dtDouble:
    case dtReal:
        return SelectFloatFunction(code, dataType);
    case dtExtended:
        return SelectExtendedFunction(code);
    default:
        return FailFunction;
    }
}
