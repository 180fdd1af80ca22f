// A tree's program must compute exactly what the fast evaluators compute, raise a flag exactly
// when they do, and refuse every tree they would refuse or that it cannot follow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/MathCompiled.h"
#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/FpuFaults.h"
#include "tests/ParseInto.h"
#include "tests/engine/NodeTestAccess.h"

namespace {

struct TFastRun {
    long double Value;
    bool Faulted;
    std::uint32_t SeedAfter;
};

bool SameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

template <typename TRunner> TFastRun FastRun(TRunner runner, std::uint32_t seed) {
    FpuClearFaults();
    RandSeed = seed;
    long double value = runner();
    FpuBarrier(value);
    const bool faulted = FpuRaisedFaults() != 0;
    FpuClearFaults();
    return {value, faulted, RandSeed};
}

class MathCompiledTest : public ::testing::Test {
protected:
    TKvOperatorNode& Parse(const std::string& text) {
        EXPECT_EQ(ParseInto(Function, text), "") << text;
        return *Function.GetTree();
    }

    TKvMathTreeFunction Function;
    TKvCompiledTree Compiled;
};

TEST_F(MathCompiledTest, ComputesWhatTheFastEvaluatorsCompute) {
    const char* const expressions[] = {
        "sin(x)*exp(-x/10)+x^2/3",
        "sqrt(1+x^2)*ln(x+2)-arctan(x)/(1+x)",
        "x^3-2*x+2",
        // Constant whole exponents take the integer power directly, up to 64.
        "x^7*(x-1)^5-x^64+x^65",
        "1/(x-1)+2",
        "x/0",
        "(x-x)/(x-x)",
        "exp(ln(x))",
        "x^0.5-x^(-1)",
        "0^(x-5)",
        "exp(x*20000)",
        "x!+(x/2)!",
        "tanh(x)+coth(x)+arctanh(x/3)+arccoth(x)+arcsinh(x)+arccosh(x)",
        "floor(x)+ceil(x)+round(x)+trunc(x)+frac(x)",
        "phase(x)-sgn(x)*abs(x)+zero(x)+heav(x)",
        "arcsin(x)+arccos(x)+cot(x)+tan(x)+sinh(x)+cosh(x)+arccot(x)",
        "log(x)+ld(x)+sqr(x)",
        // The random numbers in the tree's order.
        "rnd(1)*rnd(x)-rnd(2)/rnd(3)",
        "2^3^x",
        "-(-(x))",
        "x",
        "7",
        "1+2+3+x+5+6",
    };
    // An infinite or NaN dividend gives no flag when divided by 0, which the program must refuse.
    const long double points[] = {0, 1, -1, 0.5L, 2, -2.5L, 3, 1e-300L, 1e4000L, INFINITY, NAN};
    for (const char* text : expressions) {
        TKvOperatorNode& root = Parse(text);
        ASSERT_EQ(Compiled.Compile(root), TKvCompiledTree::TResult::Compiled) << text;
        for (const long double x : points) {
            SCOPED_TRACE(std::string(text) + " at " + std::to_string(static_cast<double>(x)));
            Function.SetVarValue("x", x);
            const TFastRun compiled = FastRun([&] { return Compiled.Value(); }, 777);
            const TFastRun fast = FastRun([&] { return root.GetFastValue()(root); }, 777);
            EXPECT_EQ(compiled.Faulted, fast.Faulted);
            EXPECT_EQ(compiled.SeedAfter, fast.SeedAfter);
            if (!fast.Faulted) {
                EXPECT_TRUE(SameBits(compiled.Value, fast.Value))
                    << static_cast<double>(compiled.Value) << " "
                    << static_cast<double>(fast.Value);
            }
        }
    }
}

// Trees the fast evaluators would refuse, or that the program cannot follow, are left to them.
TEST_F(MathCompiledTest, RefusesWhatItCannotFollow) {
    struct TCase {
        const char* Name;
        const char* Text;
        void (*Change)(TKvOperatorNode& root);
    };
    const TCase cases[] = {
        {"exchanged binary kernel", "x+1",
         [](TKvOperatorNode& root) {
             TNodeTestAccess::SetBinaryKernel(root, KvKernels::ExtendedMultiply);
         }},
        {"exchanged function kernel", "sin(x)",
         [](TKvOperatorNode& root) {
             TNodeTestAccess::SetFunctionKernel(root,
                                                SelectFunctionKernel(OpCodes::Cos, dtExtended));
         }},
        {"exchanged negation", "-x",
         [](TKvOperatorNode& root) { TNodeTestAccess::SetNegateKernel(root, [](void*) {}); }},
        {"exchanged evaluator", "x*2",
         [](TKvOperatorNode& root) { TNodeTestAccess::SetEvaluator(root, EvaluateNegation); }},
        {"missing operand", "x*2", [](TKvOperatorNode& root) { root.SetOperand(1, nullptr); }},
        {"no operands", "x*2",
         [](TKvOperatorNode& root) {
             root.DeleteOperand(1);
             root.DeleteOperand(0);
         }},
        {"other type below", "x*2",
         [](TKvOperatorNode& root) {
             root.DeleteOperand(1);
             const std::int32_t two = 2;
             root.AddOperand(-1, TKvOperatorNode::CreateConstant(dtInteger, &two));
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TKvOperatorNode& root = Parse(c.Text);
        TKvOperatorNode* missing = nullptr;
        if (std::string(c.Name) == "missing operand") missing = root.GetOperand(1);
        c.Change(root);
        EXPECT_EQ(Compiled.Compile(root), TKvCompiledTree::TResult::Refused);
        EXPECT_FALSE(Compiled.Ready());
        delete missing;
    }
}

// Long folds and deep nesting stay with the tree walk, which needs no deep recursion.
TEST_F(MathCompiledTest, RefusesProgramsDeeperThanTheLimit) {
    const std::int32_t limit = TKvCompiledTree::MaxDepth;
    const auto sum = [](std::int32_t terms) {
        std::string text = "x";
        for (std::int32_t i = 0; i < terms; ++i)
            text += "+1";
        return text;
    };
    const auto nested = [](std::int32_t levels) {
        std::string text = "x";
        for (std::int32_t i = 0; i < levels; ++i)
            text = "sin(" + text + ")";
        return text;
    };
    struct TCase {
        std::string Text;
        TKvCompiledTree::TResult Expected;
    };
    const TCase cases[] = {
        {sum(limit), TKvCompiledTree::TResult::Compiled},
        {sum(limit + 1), TKvCompiledTree::TResult::Refused},
        {nested(limit), TKvCompiledTree::TResult::Compiled},
        {nested(limit + 1), TKvCompiledTree::TResult::Refused},
        // Brackets make no nodes.
        {std::string(1000, '(') + "x" + std::string(1000, ')'), TKvCompiledTree::TResult::Compiled},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 40));
        EXPECT_EQ(Compiled.Compile(Parse(c.Text)), c.Expected);
    }
}

// A message left by a failed evaluation must be cleared by the next successful one, which the
// program does not do; so it waits until the tree is clean again.
TEST_F(MathCompiledTest, WaitsForMessagesToBeCleared) {
    TKvOperatorNode& root = Parse("1+ln(x)");
    Function.SetVarValue("x", 0);
    Function.Calculate();
    ASSERT_NE(Function.GetErrorText(), "");
    EXPECT_EQ(Compiled.Compile(root), TKvCompiledTree::TResult::Unclean);
    Function.SetVarValue("x", 1);
    Function.Calculate();
    ASSERT_EQ(Compiled.Compile(root), TKvCompiledTree::TResult::Compiled);
    EXPECT_EQ(Compiled.Value(), 1);
}

// The program reads the leaves' buffers at each run, and a new compile replaces the old one.
TEST_F(MathCompiledTest, ReadsCurrentValuesAndRecompiles) {
    ASSERT_EQ(Compiled.Compile(Parse("x*x")), TKvCompiledTree::TResult::Compiled);
    for (const long double x : {2.0L, -3.0L, 0.5L}) {
        Function.SetVarValue("x", x);
        EXPECT_EQ(Compiled.Value(), x * x);
    }
    ASSERT_EQ(Compiled.Compile(Parse("x+10")), TKvCompiledTree::TResult::Compiled);
    EXPECT_EQ(Compiled.Value(), 10.5L);
    ASSERT_EQ(Compiled.Compile(Parse("x/0")), TKvCompiledTree::TResult::Compiled);
    Compiled.Clear();
    EXPECT_FALSE(Compiled.Ready());
}

} // namespace
