// Internals of the evaluation kernels: value access, the kernel selection of each data type
// family, and the scalar functions in extended precision (ScalarFunctions.h).
//
// Faults are the processor's status flags: a scalar function signals a fault by raising the
// flag (through the hardware operation itself or with feraiseexcept) and the evaluator tests
// the flags after each kernel. When a computation has gone out of range once, later steps avoid
// raising a second, different flag, so the evaluator reports the first fault.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>

#include "engine/FunctionTable.h"
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

// The extended kernels, which the fast evaluators and the compiled program compute in registers.
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

namespace KvScalar {

// Family::Kernel<F> for the scalar function F of every row of the function table, in its order:
// one direct kernel per function.
template <class Family, std::size_t... Row>
constexpr auto TableKernels(std::index_sequence<Row...>) {
    return std::array{&Family::template Kernel<FunctionTable[Row].Scalar>...};
}
template <class Family>
inline constexpr auto
    FamilyKernels = TableKernels<Family>(std::make_index_sequence<std::size(FunctionTable)>());

// Family::Kernel<F> for the scalar function F of a code; null for a code without one.
template <class Family>
constexpr auto PickFunction(std::uint16_t code) -> decltype(&Family::template Kernel<Exp>) {
    for (std::size_t row = 0; row < std::size(FunctionTable); ++row)
        if (FunctionTable[row].Code == code) return FamilyKernels<Family>[row];
    return nullptr;
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
