// Kernels of the data types other than extended.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/MathKernels.h"
#include "engine/MathTree.h"

namespace {

using namespace OpCodes;

const char* const Ok = "";
const char* const Invalid = "Ungültige Gleitkommaoperation";
const char* const ZeroDivide = "Gleitkommadivision durch Null";
const char* const Overflow = "Gleitkommaüberlauf";
const char* const DivisionByZero = "Division durch 0";

// A value of any type: room for the widest.
struct TBytes {
    alignas(16) unsigned char Data[16] = {};
};

template <typename T> TBytes Pack(T x) {
    TBytes bytes;
    std::memcpy(bytes.Data, &x, sizeof x);
    return bytes;
}

template <typename T> long double Unpack(const TBytes& bytes) {
    T x;
    std::memcpy(&x, bytes.Data, sizeof x);
    return x;
}

TBytes Encode(TKvDataType type, long double x) {
    switch (type) {
    case dtWord:
        return Pack(static_cast<std::uint16_t>(static_cast<std::int64_t>(x)));
    case dtSmallInt:
        return Pack(static_cast<std::int16_t>(static_cast<std::int64_t>(x)));
    case dtInteger:
        return Pack(static_cast<std::int32_t>(static_cast<std::int64_t>(x)));
    case dtComp:
        return Pack(static_cast<std::int64_t>(x));
    case dtSingle:
        return Pack(static_cast<float>(x));
    case dtDouble:
    case dtReal:
        return Pack(static_cast<double>(x));
    default:
        return Pack(x);
    }
}

long double Decode(TKvDataType type, const TBytes& bytes) {
    switch (type) {
    case dtWord:
        return Unpack<std::uint16_t>(bytes);
    case dtSmallInt:
        return Unpack<std::int16_t>(bytes);
    case dtInteger:
        return Unpack<std::int32_t>(bytes);
    case dtComp:
        return Unpack<std::int64_t>(bytes);
    case dtSingle:
        return Unpack<float>(bytes);
    case dtDouble:
    case dtReal:
        return Unpack<double>(bytes);
    default:
        return Unpack<long double>(bytes);
    }
}

TKvNodePtr Constant(TKvDataType type, long double x) {
    const TBytes bytes = Encode(type, x);
    return TKvOperatorNode::CreateConstant(type, bytes.Data);
}

template <typename... TOperands>
TKvNodePtr TypedOp(TKvDataType type, std::uint16_t code, TOperands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(type, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

struct TOutcome {
    long double Value;
    std::string Error;
    TBytes Bytes;
};

TOutcome Compute(TKvDataType type, TKvNodePtr root) {
    TBytes result = Encode(type, 99);
    root->Evaluate(result.Data);
    return {Decode(type, result), root->ErrorText, result};
}

struct TCase {
    TKvDataType Type;
    std::uint16_t Code;
    long double A, B;
    long double Expected;
    const char* Error;
};

void Check(const TCase& test, const TOutcome& outcome) {
    EXPECT_EQ(outcome.Error, test.Error);
    EXPECT_EQ(outcome.Value, *test.Error ? 0.0L : test.Expected);
}

constexpr long double Sqrt2 = 1.414213562373095048802L;

const TCase BinaryCases[] = {
    {dtWord, Sum, 65535, 1, 0, Ok},
    {dtWord, Product, 300, 300, 24464, Ok},
    {dtWord, Quotient, 65535, 2, 32767, Ok},
    {dtWord, Quotient, 5, 0, 0, DivisionByZero},
    {dtWord, Power, 3, 4, 81, Ok},
    {dtWord, Power, 2, 17, 0, Ok},
    {dtWord, Power, 5, 0, 5, Ok},
    {dtSmallInt, Sum, 32767, 1, -32768, Ok},
    {dtSmallInt, Product, 200, 200, -25536, Ok},
    {dtSmallInt, Quotient, -7, 2, -3, Ok},
    {dtSmallInt, Quotient, -32768, -1, -32768, Ok},
    {dtSmallInt, Power, -3, 3, -27, Ok},
    {dtSmallInt, Power, 5, -1, 5, Ok},
    {dtInteger, Sum, 2147483647, 1, -2147483648.0L, Ok},
    {dtInteger, Quotient, 7, 2, 3, Ok},
    {dtInteger, Quotient, -7, 2, -3, Ok},
    {dtInteger, Quotient, -2147483648.0L, -1, -2147483648.0L, Ok}, // wraps, no trap
    {dtInteger, Quotient, 1, 0, 0, DivisionByZero},
    {dtInteger, Power, 5, 0, 5, Ok},
    {dtInteger, Power, 3, 40, 689956897, Ok},
    {dtInteger, Power, 3, 2147483647, -1431655765, Ok},
    {dtComp, Quotient, 7, 2, 4, Ok}, // ties to even
    {dtComp, Quotient, 5, 2, 2, Ok},
    {dtComp, Quotient, -7, 2, -4, Ok},
    {dtComp, Quotient, 1, 0, 0, DivisionByZero},
    {dtComp, Product, 3, 4, 12, Ok},
    {dtComp, Sum, 0x1p62L, 0x1p62L, 0, Invalid},
    {dtComp, Power, 2, 10, 1024, Ok},
    {dtComp, Power, 2, 64, 0, Invalid},
    {dtComp, Power, 2, 20000, 0, Overflow},
    {dtComp, Power, -1, 5, -1, Ok},
    {dtComp, Power, -1, 4, 1, Ok},
    {dtComp, Power, 0, 5, 0, Ok},
    {dtComp, Power, 5, 1, 5, Ok},
    {dtSingle, Sum, 1.5L, 2.25L, 3.75L, Ok},
    {dtSingle, Product, 1e30L, 1e30L, 0, Overflow},
    {dtSingle, Quotient, 1, 3, static_cast<float>(1.0L / 3), Ok},
    {dtSingle, Quotient, 7, 0, 0, DivisionByZero},
    {dtSingle, Power, 2, 10, 1024, Ok},
    {dtSingle, Power, 2, 0.5L, static_cast<float>(Sqrt2), Ok},
    {dtSingle, Power, 0, 2, 0, ZeroDivide},
    {dtSingle, Power, -2, 2, 0, Invalid},
    {dtDouble, Product, 1e300L, 1e300L, 0, Overflow},
    {dtDouble, Quotient, 1, 3, static_cast<double>(1.0L / 3), Ok},
    {dtDouble, Power, 2, 0.5L, static_cast<double>(Sqrt2), Ok},
    {dtReal, Product, 1e300L, 1e300L, 0, Overflow},
    {dtReal, Power, 0, 0, 0, ZeroDivide},
};

TEST(EvaluateTypesTest, BinaryOperators) {
    for (const TCase& test : BinaryCases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << int(test.Type) << ": " << static_cast<double>(test.A) << " op"
                     << test.Code << " " << static_cast<double>(test.B));
        Check(test, Compute(test.Type, TypedOp(test.Type, test.Code, Constant(test.Type, test.A),
                                               Constant(test.Type, test.B))));
    }
}

const TCase NegationCases[] = {
    {dtWord, Negation, 5, 0, 5, Ok}, // no negation kernel
    {dtSmallInt, Negation, -32768, 0, -32768, Ok},
    {dtInteger, Negation, 5, 0, -5, Ok},
    {dtComp, Negation, 7, 0, -7, Ok},
    {dtComp, Negation, -0x1p63L, 0, 0, Invalid},
    {dtSingle, Negation, 1.5L, 0, -1.5L, Ok},
    {dtDouble, Negation, -2.5L, 0, 2.5L, Ok},
};

TEST(EvaluateTypesTest, Negation) {
    for (const TCase& test : NegationCases) {
        SCOPED_TRACE(testing::Message() << "type " << int(test.Type));
        Check(test, Compute(test.Type, TypedOp(test.Type, Negation, Constant(test.Type, test.A))));
    }
}

const TCase FunctionCases[] = {
    {dtWord, Sqr, 300, 0, 24464, Ok},
    {dtWord, Exp, 12, 0, 31682, Ok}, // low 16 bits of 162754
    {dtWord, Sinh, 20000, 0, 0, Overflow},
    {dtWord, ArcCosh, 0, 0, 0, Invalid},
    {dtWord, Phase, 1, 0, 65535, Ok},
    {dtSmallInt, Sqr, 200, 0, -25536, Ok},
    {dtSmallInt, Abs, -32768, 0, -32768, Ok},
    {dtSmallInt, Exp, 11, 0, -5662, Ok},
    {dtSmallInt, ArcCot, 0, 0, 1, Ok},
    {dtInteger, Sqr, 65536, 0, 0, Ok},
    {dtInteger, Sqr, 46341, 0, -2147479015.0L, Ok},
    {dtInteger, Sqrt, 3, 0, 1, Ok}, // truncated
    {dtInteger, Exp, 30, 0, 595949076, Ok},
    {dtInteger, Exp, 50, 0, 0, Invalid}, // beyond 64 bits
    {dtComp, Sqrt, 3, 0, 2, Ok},         // rounded
    {dtComp, Sqr, 3037000500.0L, 0, 0, Invalid},
    {dtComp, Exp, 2, 0, 7, Ok},
    {dtComp, Exp, 44, 0, 0, Invalid},
    {dtSingle, Exp, 100, 0, 0, Overflow},
    {dtSingle, Sqr, 1e20L, 0, 0, Overflow},
    {dtDouble, Sqr, 1e200L, 0, 0, Overflow},
    {dtDouble, Ceil, 5e9L + 0.5L, 0, 5000000001.0L, Ok},
    {dtReal, Exp, 1000, 0, 0, Overflow},
};

TEST(EvaluateTypesTest, Functions) {
    for (const TCase& test : FunctionCases) {
        SCOPED_TRACE(testing::Message() << "type " << int(test.Type) << ": code " << test.Code
                                        << " of " << static_cast<double>(test.A));
        Check(test, Compute(test.Type, TypedOp(test.Type, test.Code, Constant(test.Type, test.A))));
    }
}

TEST(EvaluateTypesTest, RandomDraws) {
    const TCase cases[] = {
        {dtInteger, Rnd, 1000, 0, 968, Ok},
        {dtWord, Rnd, 1000, 0, 968, Ok},
        {dtSmallInt, Rnd, -1, 0, 31739, Ok}, // range 2^32 - 1, stored in 16 bits
        {dtComp, Rnd, 10, 0, 10, Ok},        // 9.686 rounded
        {dtSingle, Rnd, 2, 0, static_cast<float>(2 * (4160191484u / 0x1p32L)), Ok},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(testing::Message() << "type " << int(test.Type));
        RandSeed = 0xFFFFFFFFu;
        Check(test, Compute(test.Type, TypedOp(test.Type, Rnd, Constant(test.Type, test.A))));
    }
}

// Every function code on every type: a code of the type's set gives the extended function of
// the widened value, stored by the type's rule; any other code leaves the value alone.
bool InSet(TKvDataType type, std::uint16_t code) {
    const auto in = [code](int low, int high) { return code >= low && code <= high; };
    const bool common = in(41, 46) || in(51, 58) || code == 72 || code == 80 || code == 82 ||
                        code == 83 || code == 100 || code == 110;
    switch (type) {
    case dtWord:
        return common || in(59, 61) || in(63, 65);
    case dtSmallInt:
    case dtInteger:
    case dtComp:
        return common || code == 81;
    default:
        return common || in(70, 71) || code == 81 || code == 90 || code == 91;
    }
}

// The reference value stored into the type, or the fault of storing it.
TOutcome StoreByTypeRule(TKvDataType type, long double x) {
    TOutcome stored{0, Ok, {}};
    const bool isInteger = type <= dtComp;
    if (isInteger) {
        const long double whole = type == dtComp ? std::nearbyint(x) : std::trunc(x);
        if (!(whole >= -0x1p63L && whole < 0x1p63L)) return {0, Invalid, {}};
        stored.Bytes = Encode(type, static_cast<long double>(static_cast<std::int64_t>(whole)));
    } else {
        stored.Bytes = Encode(type, x);
        if (std::isinf(Decode(type, stored.Bytes)) && std::isfinite(x)) return {0, Overflow, {}};
    }
    stored.Value = Decode(type, stored.Bytes);
    return stored;
}

TEST(EvaluateTypesTest, EveryCodeOnEveryType) {
    const std::uint16_t codes[] = {41, 42, 43, 44, 45, 46, 51, 52, 53, 54,  55,
                                   56, 57, 58, 59, 60, 61, 62, 63, 64, 65,  66,
                                   70, 71, 72, 80, 81, 82, 83, 90, 91, 100, 200};
    const TKvDataType types[] = {dtWord, dtSmallInt, dtInteger, dtComp, dtSingle, dtDouble, dtReal};
    for (const TKvDataType type : types) {
        const bool isInteger = type <= dtComp;
        const long double wordInputs[] = {0, 1, 3, 200};
        const long double integerInputs[] = {0, 1, 3, -2};
        const long double floatInputs[] = {0, 0.5L, 3.25L, -2.5L};
        const long double* inputs =
            type == dtWord ? wordInputs : (isInteger ? integerInputs : floatInputs);
        for (const std::uint16_t code : codes) {
            for (int i = 0; i < 4; ++i) {
                SCOPED_TRACE(testing::Message() << "type " << int(type) << ": code " << code
                                                << " of " << static_cast<double>(inputs[i]));
                const TBytes input = Encode(type, inputs[i]);
                const TOutcome outcome =
                    Compute(type, TypedOp(type, code, Constant(type, inputs[i])));
                if (!InSet(type, code)) {
                    EXPECT_EQ(outcome.Error, "");
                    EXPECT_EQ(std::memcmp(outcome.Bytes.Data, input.Data, 8), 0);
                    continue;
                }
                const TOutcome reference =
                    Compute(dtExtended,
                            TypedOp(dtExtended, code, TKvOperatorNode::CreateExtended(inputs[i])));
                const TOutcome expected = reference.Error.empty()
                                              ? StoreByTypeRule(type, reference.Value)
                                              : TOutcome{0, reference.Error, {}};
                EXPECT_EQ(outcome.Error, expected.Error);
                EXPECT_EQ(outcome.Value, expected.Value);
            }
        }
    }
}

} // namespace
