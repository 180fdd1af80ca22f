// Kernels of the integer types. Word, SmallInt and Integer compute in two's complement at their
// width; functions are computed in extended and stored truncated. Comp computes in extended and
// stores rounded to nearest; a value outside the 64-bit range is an invalid operation.
#include <cmath>
#include <type_traits>

#include "engine/MathKernelsImpl.h"

namespace KvKernels {

namespace {

constexpr long double Two63 = 0x1p63L;

constexpr bool InWordSet(std::uint16_t code) {
    return (code >= OpCodes::Exp && code <= OpCodes::Sqrt) ||
           (code >= OpCodes::Sin && code <= OpCodes::Tanh) ||
           (code >= OpCodes::ArcSinh && code <= OpCodes::ArcTanh) || code == OpCodes::Frac ||
           code == OpCodes::Sgn || code == OpCodes::Zero || code == OpCodes::Heav ||
           code == OpCodes::Phase || code == OpCodes::Rnd;
}

constexpr bool InIntegerSet(std::uint16_t code) {
    return (code >= OpCodes::Exp && code <= OpCodes::Sqrt) ||
           (code >= OpCodes::Sin && code <= OpCodes::ArcCot) || code == OpCodes::Frac ||
           (code >= OpCodes::Sgn && code <= OpCodes::Heav) || code == OpCodes::Phase ||
           code == OpCodes::Rnd;
}

// Truncates toward zero through 64 bits and keeps the low bits of T, as the processor's
// conversion followed by a narrow store does.
template <typename T> void StoreTruncated(void* value, long double x) {
    if (x >= -Two63 && x < Two63) {
        Store<T>(value, static_cast<T>(static_cast<std::int64_t>(x)));
        return;
    }
    // A non-finite x already carries the fault of its computation.
    if (std::isfinite(x)) RaiseInvalid();
    Store<T>(value, T{0});
}

void StoreRounded(void* value, long double x) {
    if (!std::isfinite(x)) {
        Store<std::int64_t>(value, 0);
        return;
    }
    // Raises the invalid flag outside the 64-bit range.
    Store<std::int64_t>(value, std::llrint(x));
}

// base^n modulo 2^32, equal to n - 1 wrapping multiplications.
std::uint32_t PowerModulo(std::uint32_t base, std::uint64_t n) {
    std::uint32_t result = 1;
    for (; n != 0; n >>= 1) {
        if (n & 1) result *= base;
        base *= base;
    }
    return result;
}

template <typename T> struct TIntegerFamily {
    static long double Wide(const void* value) { return Load<T>(value); }
    // The value's bits for wrapping arithmetic, sign-extended.
    static std::uint32_t Bits(const void* value) {
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(Load<T>(value)));
    }
    static void PutBits(void* value, std::uint32_t bits) { Store<T>(value, static_cast<T>(bits)); }

    template <KvScalar::TScalarFunction F> static bool Kernel(std::uint16_t, void* value) {
        StoreTruncated<T>(value, F(Wide(value)));
        return true;
    }

    static void Negate(void* value) { PutBits(value, 0u - Bits(value)); }

    static bool Add(void* left, const void* right) {
        PutBits(left, Bits(left) + Bits(right));
        return true;
    }

    static bool Multiply(void* left, const void* right) {
        PutBits(left, Bits(left) * Bits(right));
        return true;
    }

    static bool Divide(void* left, const void* right) {
        const std::int64_t divisor = Load<T>(right);
        if (divisor == 0) return false;
        // In 64 bits, so that the smallest value divided by -1 wraps instead of trapping.
        const std::int64_t quotient = static_cast<std::int64_t>(Load<T>(left)) / divisor;
        Store<T>(left, static_cast<T>(quotient));
        return true;
    }

    // An exponent below 2 leaves the base unchanged.
    static bool Power(void* left, const void* right) {
        const std::int64_t n = Load<T>(right);
        if (n < 2) return true;
        PutBits(left, PowerModulo(Bits(left), static_cast<std::uint64_t>(n)));
        return true;
    }

    static bool Square(std::uint16_t, void* value) {
        const std::uint32_t bits = Bits(value);
        PutBits(value, bits * bits);
        return true;
    }

    static bool Fraction(std::uint16_t, void* value) {
        Store<T>(value, T{0});
        return true;
    }

    // The range is taken as an unsigned 32-bit number.
    static bool Random(std::uint16_t, void* value) {
        PutBits(value, RandomRange(Bits(value)));
        return true;
    }
};

struct TCompFamily {
    static long double Wide(const void* value) { return Load<std::int64_t>(value); }

    template <KvScalar::TScalarFunction F> static bool Kernel(std::uint16_t, void* value) {
        StoreRounded(value, F(Wide(value)));
        return true;
    }

    static void Negate(void* value) { StoreRounded(value, -Wide(value)); }

    static bool Add(void* left, const void* right) {
        StoreRounded(left, Wide(left) + Wide(right));
        return true;
    }

    static bool Multiply(void* left, const void* right) {
        StoreRounded(left, Wide(left) * Wide(right));
        return true;
    }

    static bool Divide(void* left, const void* right) {
        const long double divisor = Wide(right);
        if (divisor == 0) return false;
        StoreRounded(left, Wide(left) / divisor);
        return true;
    }

    // The products are formed in extended, one by one as the exponent says.
    static bool Power(void* left, const void* right) {
        const std::int32_t n = RoundHalfUp(static_cast<double>(Load<std::int64_t>(right)));
        if (n < 2) return true;
        const long double base = Wide(left);
        long double product = base;
        if (std::fabs(base) <= 1) {
            if (base < 0 && n % 2 == 0) product = 1;
        } else {
            // A base of magnitude 2 or more overflows within 16384 products; stop there.
            for (std::int32_t k = 1; k < n && !std::isinf(product); ++k)
                product *= base;
        }
        StoreRounded(left, product);
        return true;
    }

    static bool Square(std::uint16_t code, void* value) {
        return Kernel<KvScalar::Sqr>(code, value);
    }

    static bool Fraction(std::uint16_t, void* value) {
        Store<std::int64_t>(value, 0);
        return true;
    }

    // A float draw times the value.
    static bool Random(std::uint16_t code, void* value) {
        return Kernel<KvScalar::Rnd>(code, value);
    }
};

template <class Family> TBinaryKernel BinaryOf(std::uint16_t code) {
    switch (code) {
    case OpCodes::Sum:
        return Family::Add;
    case OpCodes::Product:
        return Family::Multiply;
    case OpCodes::Quotient:
        return Family::Divide;
    case OpCodes::Power:
        return Family::Power;
    default:
        return FailBinary;
    }
}

template <class Family> TFunctionKernel FunctionOf(std::uint16_t code, bool inSet) {
    if (!inSet) return KeepValue;
    switch (code) {
    case OpCodes::Sqr:
        return Family::Square;
    case OpCodes::Frac:
        return Family::Fraction;
    case OpCodes::Rnd:
        return Family::Random;
    default:
        return KvScalar::PickFunction<Family>(code);
    }
}

} // namespace

TNegateKernel SelectIntegerNegate(TKvDataType dataType) {
    switch (dataType) {
    case dtSmallInt:
        return TIntegerFamily<std::int16_t>::Negate;
    case dtInteger:
        return TIntegerFamily<std::int32_t>::Negate;
    case dtComp:
        return TCompFamily::Negate;
    default:
        return NoNegation;
    }
}

TBinaryKernel SelectIntegerBinary(std::uint16_t code, TKvDataType dataType) {
    switch (dataType) {
    case dtWord:
        return BinaryOf<TIntegerFamily<std::uint16_t>>(code);
    case dtSmallInt:
        return BinaryOf<TIntegerFamily<std::int16_t>>(code);
    case dtInteger:
        return BinaryOf<TIntegerFamily<std::int32_t>>(code);
    case dtComp:
        return BinaryOf<TCompFamily>(code);
    default:
        return FailBinary;
    }
}

TFunctionKernel SelectIntegerFunction(std::uint16_t code, TKvDataType dataType) {
    switch (dataType) {
    case dtWord:
        return FunctionOf<TIntegerFamily<std::uint16_t>>(code, InWordSet(code));
    case dtSmallInt:
        return FunctionOf<TIntegerFamily<std::int16_t>>(code, InIntegerSet(code));
    case dtInteger:
        return FunctionOf<TIntegerFamily<std::int32_t>>(code, InIntegerSet(code));
    case dtComp:
        return FunctionOf<TCompFamily>(code, InIntegerSet(code));
    default:
        return FailFunction;
    }
}

} // namespace KvKernels
