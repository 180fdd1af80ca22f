// Internals of the evaluation kernels: value access, the scalar functions in extended precision
// and the kernel selection of each data type family.
//
// Faults are the processor's status flags: a scalar function signals a fault by raising the
// flag (through the hardware operation itself or with feraiseexcept) and the evaluator tests
// the flags after each kernel. When a computation has gone out of range once, later steps avoid
// raising a second, different flag, so the evaluator reports the first fault.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/MathTree.h"

namespace KvKernels {

// Lets the compiler load and store the ten value bytes directly from any buffer address.
typedef long double TUnalignedExtended __attribute__((aligned(1)));

template <typename T> inline T Load(const void* value) {
    T x;
    std::memcpy(&x, value, sizeof(T));
    return x;
}
template <> inline long double Load<long double>(const void* value) {
    return *static_cast<const TUnalignedExtended*>(value);
}
template <typename T> inline void Store(void* value, T x) {
    std::memcpy(value, &x, sizeof(T));
}
template <> inline void Store<long double>(void* value, long double x) {
    *static_cast<TUnalignedExtended*>(value) = x;
}

// Raise a fault flag and return the value the hardware would give.
long double RaiseInvalid();
long double RaiseZeroDivide(bool negative);
long double RaiseOverflow();

// The random generator: the next float in [0, 1), and the next integer in 0 .. range - 1.
long double RandomFloat();
std::uint32_t RandomRange(std::uint32_t range);

// Always-available kernels: failure for types without kernels, and the identity for codes
// outside a type's function set.
bool FailBinary(void* left, const void* right);
bool FailFunction(std::uint16_t code, void* value);
void NoNegation(void* value);
bool KeepValue(std::uint16_t code, void* value);

// The extended kernels; the fast evaluators compare a node's kernels with these to know that
// they may compute the same in registers.
void ExtendedNegate(void* value);
bool ExtendedAdd(void* left, const void* right);
bool ExtendedMultiply(void* left, const void* right);
bool ExtendedDivide(void* left, const void* right);
bool ExtendedPower(void* left, const void* right);

// Kernels of the type families; the integer and float selections take the data type.
TNegateKernel SelectExtendedNegate();
TBinaryKernel SelectExtendedBinary(std::uint16_t code);
TFunctionKernel SelectExtendedFunction(std::uint16_t code);
TNegateKernel SelectFloatNegate(TKvDataType dataType);
TBinaryKernel SelectFloatBinary(std::uint16_t code, TKvDataType dataType);
TFunctionKernel SelectFloatFunction(std::uint16_t code, TKvDataType dataType);
TNegateKernel SelectIntegerNegate(TKvDataType dataType);
TBinaryKernel SelectIntegerBinary(std::uint16_t code, TKvDataType dataType);
TFunctionKernel SelectIntegerFunction(std::uint16_t code, TKvDataType dataType);

} // namespace KvKernels

// The functions of the codes 41 and above on an extended argument.
namespace KvScalar {

using TScalarFunction = long double (*)(long double);

long double Exp(long double x);
// e^x / 2, which overflows only where the half does.
long double HalfExp(long double x);
long double Ln(long double x);
long double Log(long double x);
long double Ld(long double x);
// Defined here so that the evaluators' kernels inline them.
inline long double Sqr(long double x) {
    return x * x;
}
inline long double Sqrt(long double x) {
    return __builtin_sqrtl(x);
}
long double Sin(long double x);
long double Cos(long double x);
long double Tan(long double x);
long double Cot(long double x);
long double ArcSin(long double x);
long double ArcCos(long double x);
long double ArcTan(long double x);
long double ArcCot(long double x);
long double Sinh(long double x);
long double Cosh(long double x);
long double Tanh(long double x);
long double Coth(long double x);
long double ArcSinh(long double x);
long double ArcCosh(long double x);
long double ArcTanh(long double x);
long double ArcCoth(long double x);
long double Trunc(long double x);
long double Round(long double x);
long double Frac(long double x);
long double Sgn(long double x);
long double Abs(long double x);
long double Zero(long double x);
long double Heav(long double x);
long double Ceil(long double x);
long double Floor(long double x);
long double Phase(long double x);
long double Rnd(long double x);
long double Factorial(long double x);
// Power for every exponent but the square.
bool PowerGeneral(long double a, long double b, long double& r);
// a^b for a positive finite a and |b| < 1024 where the result is well inside the normal range;
// false, leaving r alone, elsewhere.
bool PowerFromLogarithm(long double a, long double b, long double& r);
// a^b into r; false for 0 to a negative power and a negative base to a fractional one. The
// square is inline: it is the common case, and correctly rounded as a single product. A NaN
// base goes the long way, whose comparison raises invalid for it.
inline bool Power(long double a, long double b, long double& r) {
    if (b == 2 && !__builtin_isnan(a)) {
        r = a * a;
        return true;
    }
    return PowerGeneral(a, b, r);
}
// Six-term Lanczos approximation of ln Gamma(v), for v >= 1.
long double LnGamma(long double v);

// Family::Kernel<F> for the scalar function F of a code; null for a code without one.
template <class Family>
auto PickFunction(std::uint16_t code) -> decltype(&Family::template Kernel<Exp>) {
    switch (code) {
    case OpCodes::Exp:
        return Family::template Kernel<Exp>;
    case OpCodes::Ln:
        return Family::template Kernel<Ln>;
    case OpCodes::Log:
        return Family::template Kernel<Log>;
    case OpCodes::Ld:
        return Family::template Kernel<Ld>;
    case OpCodes::Sqr:
        return Family::template Kernel<Sqr>;
    case OpCodes::Sqrt:
        return Family::template Kernel<Sqrt>;
    case OpCodes::Sin:
        return Family::template Kernel<Sin>;
    case OpCodes::Cos:
        return Family::template Kernel<Cos>;
    case OpCodes::Tan:
        return Family::template Kernel<Tan>;
    case OpCodes::Cot:
        return Family::template Kernel<Cot>;
    case OpCodes::ArcSin:
        return Family::template Kernel<ArcSin>;
    case OpCodes::ArcCos:
        return Family::template Kernel<ArcCos>;
    case OpCodes::ArcTan:
        return Family::template Kernel<ArcTan>;
    case OpCodes::ArcCot:
        return Family::template Kernel<ArcCot>;
    case OpCodes::Sinh:
        return Family::template Kernel<Sinh>;
    case OpCodes::Cosh:
        return Family::template Kernel<Cosh>;
    case OpCodes::Tanh:
        return Family::template Kernel<Tanh>;
    case OpCodes::Coth:
        return Family::template Kernel<Coth>;
    case OpCodes::ArcSinh:
        return Family::template Kernel<ArcSinh>;
    case OpCodes::ArcCosh:
        return Family::template Kernel<ArcCosh>;
    case OpCodes::ArcTanh:
        return Family::template Kernel<ArcTanh>;
    case OpCodes::ArcCoth:
        return Family::template Kernel<ArcCoth>;
    case OpCodes::Trunc:
        return Family::template Kernel<Trunc>;
    case OpCodes::Round:
        return Family::template Kernel<Round>;
    case OpCodes::Frac:
        return Family::template Kernel<Frac>;
    case OpCodes::Sgn:
        return Family::template Kernel<Sgn>;
    case OpCodes::Abs:
        return Family::template Kernel<Abs>;
    case OpCodes::Zero:
        return Family::template Kernel<Zero>;
    case OpCodes::Heav:
        return Family::template Kernel<Heav>;
    case OpCodes::Ceil:
        return Family::template Kernel<Ceil>;
    case OpCodes::Floor:
        return Family::template Kernel<Floor>;
    case OpCodes::Phase:
        return Family::template Kernel<Phase>;
    case OpCodes::Rnd:
        return Family::template Kernel<Rnd>;
    case OpCodes::Factorial:
        return Family::template Kernel<Factorial>;
    default:
        return nullptr;
    }
}

} // namespace KvScalar

namespace KvKernels {

// The extended function kernels: F applied to the value in place.
struct TExtendedFamily {
    template <KvScalar::TScalarFunction F> static bool Kernel(std::uint16_t, void* value) {
        Store<long double>(value, F(Load<long double>(value)));
        return true;
    }
};

} // namespace KvKernels
