// Operators and functions on the extended type. The fault cases also show that the flag tests
// survive the optimiser: this binary is built at -O2.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/MathKernels.h"
#include "engine/MathTree.h"

namespace {

using namespace OpCodes;

const char* const Ok = "";
const char* const Invalid = "Ungültige Gleitkommaoperation";
const char* const ZeroDivide = "Gleitkommadivision durch Null";
const char* const Overflow = "Gleitkommaüberlauf";
const char* const BadPower = "Nicht erlaubte Potenzierung";

// A few units in the last place of the extended format.
constexpr long double Tight = 1e-17L;
// The six-term Lanczos series agrees with Gamma to about ten digits.
constexpr long double Lanczos = 1e-9L;

TKvNodePtr C(long double x) {
    return TKvOperatorNode::CreateExtended(x);
}

template <typename... TOperands> TKvNodePtr Op(std::uint16_t code, TOperands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

struct TOutcome {
    long double Value;
    std::string Error;
};

TOutcome Compute(TKvNodePtr root) {
    long double value = 42;
    root->Evaluate(&value);
    return {value, root->ErrorText};
}

void ExpectValue(const TOutcome& outcome, long double expected, const char* error,
                 long double tolerance) {
    EXPECT_EQ(outcome.Error, error);
    if (*error != '\0') {
        EXPECT_EQ(outcome.Value, 0.0L) << "a failed node's value is zero";
        return;
    }
    const long double allowed = expected == 0 ? tolerance : tolerance * std::fabs(expected);
    EXPECT_LE(std::fabs(outcome.Value - expected), allowed)
        << static_cast<double>(outcome.Value) << " != " << static_cast<double>(expected);
}

struct TFunctionCase {
    std::uint16_t Code;
    long double X;
    long double Expected;
    const char* Error;
    long double Tolerance = Tight;
};

const TFunctionCase FunctionCases[] = {
    {Exp, 1, 2.718281828459045235360L, Ok},
    {Exp, 0.5L, 1.648721270700128146849L, Ok},
    {Exp, 20000, 0, Overflow},
    {Exp, -20000, 0, Ok}, // underflow is silent
    {Ln, 2, 0.6931471805599453094172L, Ok},
    {Ln, 0, 0, ZeroDivide},
    {Ln, -1, 0, Invalid},
    {Log, 1000, 3, Ok},
    {Log, 2, 0.3010299956639811952137L, Ok},
    {Log, 0, 0, ZeroDivide},
    {Ld, 8, 3, Ok, 0},
    {Ld, -1, 0, Invalid},
    {Sqr, -3, 9, Ok, 0},
    {Sqr, 1e3000L, 0, Overflow},
    {Sqrt, 2, 1.414213562373095048802L, Ok},
    {Sqrt, -1, 0, Invalid},
    {Sin, 0.5L, 0.4794255386042030002733L, Ok},
    {Sin, 1e20L, 0, Ok, 0},
    {Cos, 0, 1, Ok, 0},
    {Cos, -1e20L, 0, Ok, 0},
    {Tan, 0.5L, 0.5463024898437905132552L, Ok},
    {Cot, 0.5L, 1.830487721712451919268L, Ok},
    {Cot, 0, 0, ZeroDivide},
    {ArcSin, 0.5L, 0.5235987755982988730771L, Ok},
    {ArcSin, 1 - 0x1p-23L, 1.570308045540045980692L, Ok},
    {ArcSin, 1.5L, 0, Invalid},
    {ArcCos, 0.5L, 1.047197551196597746154L, Ok},
    {ArcCos, 1 - 0x1p-23L, 0.0004882812548506385395599L, Ok},
    {ArcCos, -2, 0, Invalid},
    {ArcTan, 1, 0.7853981633974483096157L, Ok},
    {ArcCot, -1, 2.356194490192344928847L, Ok},
    {ArcCot, 1, 0.7853981633974483096157L, Ok},
    {Sinh, 1e-10L, 1.000000000000000000001667e-10L, Ok},
    {Sinh, 1, 1.175201193643801456882L, Ok},
    {Sinh, -0.5L, -0.5210953054937473616224L, Ok},
    {Sinh, 25, 36002449668.69293626207L, Ok},
    {Sinh, 20000, 0, Overflow},
    {Sinh, -20000, 0, Overflow},
    {Cosh, 1e-5L, 1.000000000050000000000417L, Ok},
    {Cosh, 2, 3.762195691083631459562L, Ok},
    {Cosh, -30, 5343237290762.231073495L, Ok},
    {Cosh, -20000, 0, Overflow},
    {Tanh, 0.5L, 0.4621171572600097585023L, Ok},
    {Tanh, 1e-10L, 9.999999999999999999966667e-11L, Ok},
    {Tanh, 6000, 1, Ok, 0},
    {Tanh, -6000, -1, Ok, 0},
    {Coth, 1, 1.313035285499331303636L, Ok},
    {Coth, 0, 0, ZeroDivide},
    {Coth, 20000, 1, Ok, 0},
    {Coth, -20000, -1, Ok, 0},
    {ArcSinh, 0, 0, Ok, 0},
    {ArcSinh, 1, 0.8813735870195430252326L, Ok},
    {ArcSinh, 1e-10L, 9.999999999999999999983333e-11L, Ok},
    {ArcSinh, -1e20L, -46.74484904044085898978L, Ok},
    {ArcCosh, 1, 0, Ok, 0},
    {ArcCosh, 2, 1.316957896924816708625L, Ok},
    {ArcCosh, 1 + 0x3p-35L, 0.00001321449895901699039662L, Ok},
    {ArcCosh, 1e20L, 46.74484904044085898978L, Ok},
    {ArcCosh, 0.5L, 0, Invalid},
    {ArcTanh, 0, 0, Ok, 0},
    {ArcTanh, 0.5L, 0.5493061443340548456976L, Ok},
    {ArcTanh, 1e-10L, 1.000000000000000000003333e-10L, Ok},
    {ArcTanh, 1, 0, ZeroDivide},
    {ArcTanh, -1, 0, ZeroDivide},
    {ArcTanh, 1.5L, 0, Invalid},
    {ArcCoth, 2, 0.5493061443340548456976L, Ok},
    {ArcCoth, -3, -0.3465735902799726547086L, Ok},
    {ArcCoth, 1, 0, ZeroDivide},
    {ArcCoth, -1, 0, ZeroDivide},
    {ArcCoth, 0.5L, 0, Invalid},
    {Trunc, -2.7L, -2, Ok, 0},
    {Round, 2.5L, 3, Ok, 0},
    {Round, -2.5L, -2, Ok, 0},
    {Round, -2.7L, -3, Ok, 0},
    {Round, 0.5L - 0x1p-65L, 0, Ok, 0},
    {Frac, -2.7L, -0.7L, Ok, 1e-18L},
    {Frac, 5, 0, Ok, 0},
    {Sgn, -0.1L, -1, Ok, 0},
    {Sgn, 0, 0, Ok, 0},
    {Sgn, 7, 1, Ok, 0},
    {Abs, -2, 2, Ok, 0},
    {Zero, 5, 1, Ok, 0},
    {Zero, 0, 0, Ok, 0},
    {Heav, 0, 1, Ok, 0},
    {Heav, -1, 0, Ok, 0},
    {Ceil, -2.5L, -2, Ok, 0},
    {Ceil, 3e9L + 0.5L, 3000000001.0L, Ok, 0}, // no 32-bit step
    {Floor, -2.5L, -3, Ok, 0},
    {Floor, -5e9L - 0.5L, -5000000001.0L, Ok, 0},
    {Phase, 0, 0, Ok, 0},
    {Phase, 0.5L, 2, Ok, 0},
    {Phase, 1, -1, Ok, 0},
    {Phase, -1, -3, Ok, 0},
    {Phase, 3, 0, Ok, 0},
    {Factorial, 0, 1, Ok, 0},
    {Factorial, 3, 6, Ok, 0},
    {Factorial, 5, 120, Ok, 0},
    {Factorial, 0.5L, 0.8862269254527580136L, Ok, Lanczos},
    {Factorial, -0.5L, 1.772453850905516027L, Ok, Lanczos},
    {Factorial, -3, 0, Invalid},
    {Factorial, 1755, 0, Overflow},
    {Factorial, 4294967299.0L, 0, Overflow}, // not 3! through a 32-bit count
    {Factorial, 1e12L, 0, Overflow},
    {Subtraction, 4.5L, 4.5L, Ok, 0}, // no function: the value stays
    {47, 4.5L, 4.5L, Ok, 0},
};

TEST(EvaluateExtendedTest, Functions) {
    for (const TFunctionCase& test : FunctionCases) {
        SCOPED_TRACE(testing::Message()
                     << "code " << test.Code << " of " << static_cast<double>(test.X));
        ExpectValue(Compute(Op(test.Code, C(test.X))), test.Expected, test.Error, test.Tolerance);
    }
}

TEST(EvaluateExtendedTest, LargestFactorialIsFinite) {
    const TOutcome outcome = Compute(Op(Factorial, C(1754)));
    EXPECT_EQ(outcome.Error, "");
    EXPECT_GT(outcome.Value, 1e4930L);
    EXPECT_TRUE(std::isfinite(outcome.Value));
}

struct TBinaryCase {
    std::uint16_t Code;
    long double A, B;
    long double Expected;
    const char* Error;
};

const TBinaryCase BinaryCases[] = {
    {Sum, 1.5L, 2.25L, 3.75L, Ok},
    {Product, 1.5L, -4, -6, Ok},
    {Product, 1e4000L, 1e4000L, 0, Overflow},
    {Quotient, 1, 0, 0, "Division durch 0"},
    {Quotient, 0, 5, 0, Ok},
    {Quotient, 1e4000L, 1e-4000L, 0, Overflow},
    {Power, 0, 0, 1, Ok},
    {Power, 0, 2, 0, Ok},
    {Power, 0, -1, 0, BadPower},
    {Power, -8, 1.0L / 3, 0, BadPower},
    {Power, -2, 3, -8, Ok},
    {Power, -2, -2, 0.25L, Ok},
    {Power, 2, 0.5L, 1.414213562373095048802L, Ok},
    {Power, 10, 2, 100, Ok}, // exactly: trunc(10^2) must be 100
    {Power, 10, 15, 1e15L, Ok},
    {Power, 10, 5000, 0, Overflow},
    {Power, -2, 4294967296.0L, 0, Overflow}, // no 32-bit wrap of the exponent
    {Power, -2, -20000, 0, Ok},              // underflows silently
};

TEST(EvaluateExtendedTest, BinaryOperators) {
    for (const TBinaryCase& test : BinaryCases) {
        SCOPED_TRACE(testing::Message() << static_cast<double>(test.A) << " op" << test.Code << " "
                                        << static_cast<double>(test.B));
        const long double tolerance = test.Expected == 100 ? 0 : Tight;
        ExpectValue(Compute(Op(test.Code, C(test.A), C(test.B))), test.Expected, test.Error,
                    tolerance);
    }
}

TEST(EvaluateExtendedTest, OperatorsFoldLeftToRight) {
    EXPECT_EQ(Compute(Op(Power, C(2), C(3), C(2))).Value, 64);
    EXPECT_EQ(Compute(Op(Quotient, C(24), C(2), C(3))).Value, 4);
    EXPECT_EQ(Compute(Op(Sum, C(10), Op(Negation, C(3)), Op(Negation, C(2)))).Value, 5);
    EXPECT_EQ(Compute(Op(Product, C(7))).Value, 7);
}

TEST(EvaluateExtendedTest, RandomSequenceIsFixed) {
    RandSeed = 0;
    EXPECT_EQ(Compute(Op(Rnd, C(1))).Value, 0x1p-32L);
    EXPECT_EQ(RandSeed, 1u);
    EXPECT_EQ(Compute(Op(Rnd, C(2))).Value, 2.0L * 134775814u / 0x1p32L);
    RandSeed = 0xFFFFFFFFu; // the seed wraps modulo 2^32
    EXPECT_EQ(Compute(Op(Rnd, C(1))).Value, 4160191484u / 0x1p32L);
}

} // namespace
