// Kernels of the narrow float types (single, double, real). Everything is computed in extended
// and rounded when stored; storing a value beyond the type's range raises the overflow flag.
#include <cmath>

#include "engine/MathKernelsImpl.h"

namespace KvKernels {

namespace {

constexpr bool InFloatSet(std::uint16_t code) {
    return (code >= OpCodes::Exp && code <= OpCodes::Sqrt) ||
           (code >= OpCodes::Sin && code <= OpCodes::ArcCot) ||
           (code >= OpCodes::Trunc && code <= OpCodes::Frac) ||
           (code >= OpCodes::Sgn && code <= OpCodes::Heav) || code == OpCodes::Ceil ||
           code == OpCodes::Floor || code == OpCodes::Phase || code == OpCodes::Rnd;
}

template <typename T> struct TFloatFamily {
    static long double Wide(const void* value) { return Load<T>(value); }
    static void Put(void* value, long double x) { Store<T>(value, static_cast<T>(x)); }

    template <KvScalar::TScalarFunction F> static bool Kernel(std::uint16_t, void* value) {
        Put(value, F(Wide(value)));
        return true;
    }

    static void Negate(void* value) { Store<T>(value, -Load<T>(value)); }

    static bool Add(void* left, const void* right) {
        Put(left, Wide(left) + Wide(right));
        return true;
    }

    static bool Multiply(void* left, const void* right) {
        Put(left, Wide(left) * Wide(right));
        return true;
    }

    static bool Divide(void* left, const void* right) {
        const long double divisor = Wide(right);
        if (divisor == 0) return false;
        Put(left, Wide(left) / divisor);
        return true;
    }

    // exp(b ln a) without case analysis: a base of 0 is ln's division by zero, a negative base
    // its invalid operation.
    static bool Power(void* left, const void* right) {
        const long double a = Wide(left);
        Put(left, a > 0 ? std::pow(a, Wide(right)) : std::log(a));
        return true;
    }

    static TBinaryKernel Binary(std::uint16_t code) {
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

    static TFunctionKernel Function(std::uint16_t code) {
        if (!InFloatSet(code)) return KeepValue;
        return KvScalar::PickFunction<TFloatFamily>(code);
    }
};

using TSingle = TFloatFamily<float>;
using TDouble = TFloatFamily<double>;

} // namespace

TNegateKernel SelectFloatNegate(TKvDataType dataType) {
    return dataType == dtSingle ? TSingle::Negate : TDouble::Negate;
}

TBinaryKernel SelectFloatBinary(std::uint16_t code, TKvDataType dataType) {
    return dataType == dtSingle ? TSingle::Binary(code) : TDouble::Binary(code);
}

TFunctionKernel SelectFloatFunction(std::uint16_t code, TKvDataType dataType) {
    return dataType == dtSingle ? TSingle::Function(code) : TDouble::Function(code);
}

} // namespace KvKernels
