// Kernels of the 80-bit extended type, the calculator's own.
#include <cmath>

#include "engine/MathKernelsImpl.h"

namespace KvKernels {

using TExtended = long double;

void ExtendedNegate(void* value) {
    Store<TExtended>(value, -Load<TExtended>(value));
}

bool ExtendedAdd(void* left, const void* right) {
    Store<TExtended>(left, Load<TExtended>(left) + Load<TExtended>(right));
    return true;
}

bool ExtendedMultiply(void* left, const void* right) {
    Store<TExtended>(left, Load<TExtended>(left) * Load<TExtended>(right));
    return true;
}

bool ExtendedDivide(void* left, const void* right) {
    const TExtended divisor = Load<TExtended>(right);
    if (divisor == 0) return false;
    Store<TExtended>(left, Load<TExtended>(left) / divisor);
    return true;
}

bool ExtendedPower(void* left, const void* right) {
    long double r;
    if (!KvScalar::Power(Load<TExtended>(left), Load<TExtended>(right), r)) return false;
    Store<TExtended>(left, r);
    return true;
}

TNegateKernel SelectExtendedNegate() {
    return ExtendedNegate;
}

TBinaryKernel SelectExtendedBinary(std::uint16_t code) {
    switch (code) {
    case OpCodes::Sum:
        return ExtendedAdd;
    case OpCodes::Product:
        return ExtendedMultiply;
    case OpCodes::Quotient:
        return ExtendedDivide;
    case OpCodes::Power:
        return ExtendedPower;
    default:
        return FailBinary;
    }
}

TFunctionKernel SelectExtendedFunction(std::uint16_t code) {
    const TFunctionKernel kernel = KvScalar::PickFunction<TExtendedFamily>(code);
    return kernel ? kernel : KeepValue;
}

} // namespace KvKernels
