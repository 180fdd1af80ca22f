// Kernels of the 80-bit extended type, the calculator's own.
#include <cmath>

#include "engine/MathKernelsImpl.h"

namespace KvKernels {

namespace {

using TExtended = long double;

void Negate(void* value) {
    Store<TExtended>(value, -Load<TExtended>(value));
}

bool Add(void* left, const void* right) {
    Store<TExtended>(left, Load<TExtended>(left) + Load<TExtended>(right));
    return true;
}

bool Multiply(void* left, const void* right) {
    Store<TExtended>(left, Load<TExtended>(left) * Load<TExtended>(right));
    return true;
}

bool Divide(void* left, const void* right) {
    const TExtended divisor = Load<TExtended>(right);
    if (divisor == 0) return false;
    Store<TExtended>(left, Load<TExtended>(left) / divisor);
    return true;
}

bool Power(void* left, const void* right) {
    long double r;
    if (!KvScalar::Power(Load<TExtended>(left), Load<TExtended>(right), r)) return false;
    Store<TExtended>(left, r);
    return true;
}

struct TExtendedFamily {
    template <KvScalar::TScalarFunction F> static bool Kernel(std::uint16_t, void* value) {
        Store<TExtended>(value, F(Load<TExtended>(value)));
        return true;
    }
};

} // namespace

TNegateKernel SelectExtendedNegate() {
    return Negate;
}

TBinaryKernel SelectExtendedBinary(std::uint16_t code) {
    switch (code) {
    case OpCodes::Sum:
        return Add;
    case OpCodes::Product:
        return Multiply;
    case OpCodes::Quotient:
        return Divide;
    case OpCodes::Power:
        return Power;
    default:
        return FailBinary;
    }
}

TFunctionKernel SelectExtendedFunction(std::uint16_t code) {
    const TFunctionKernel kernel = KvScalar::PickFunction<TExtendedFamily>(code);
    return kernel ? kernel : KeepValue;
}

} // namespace KvKernels
