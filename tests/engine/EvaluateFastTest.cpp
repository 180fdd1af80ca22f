// Evaluate tries a fast run first and repeats in the checked run only after a fault or failure.
// Whatever path it takes, value, message and random draws must be those of the checked run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/MathKernels.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/FpuFaults.h"
#include "tests/ParseInto.h"
#include "tests/engine/NodeTestAccess.h"

namespace {

struct TRun {
    long double Value;
    std::string Error;
    std::uint32_t SeedAfter;
};

bool SameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

class EvaluateFastTest : public ::testing::Test {
protected:
    TKvOperatorNode& Parse(const std::string& text) {
        EXPECT_EQ(ParseInto(Function, text), "") << text;
        return *Function.GetTree();
    }

    void SetX(long double x) { Function.SetVarValue("x", x); }

    static TRun ThroughEvaluate(TKvOperatorNode& root, std::uint32_t seed) {
        RandSeed = seed;
        long double value = 42;
        root.Evaluate(&value);
        return {value, root.ErrorText, RandSeed};
    }

    // The checked evaluator alone, as Evaluate ran it before it had a fast path.
    static TRun ThroughCheckedEvaluator(TKvOperatorNode& root, std::uint32_t seed) {
        RandSeed = seed;
        long double value = 42;
        FpuClearFaults();
        root.GetEvaluator()(root, &value);
        return {value, root.ErrorText, RandSeed};
    }

    TKvMathTreeFunction Function;
};

TEST_F(EvaluateFastTest, FastPathGivesTheCheckedResult) {
    const char* const expressions[] = {
        "sin(x)*exp(-x/10)+x^2/3",
        "sqrt(1+x^2)*ln(x+2)-arctan(x)/(1+x)",
        "x^3-2*x+2",
        "1/(x-1)+2",
        "ln(x)",
        "exp(ln(x))",
        "sqrt(x-2)*3",
        "x^0.5-x^(-1)",
        "(x-1)^(1/3)",
        "exp(x*20000)",
        "x!+(x/2)!",
        "tanh(x)+coth(x)+arctanh(x/3)",
        "floor(x)+ceil(x)+round(x)+trunc(x)+frac(x)",
        "phase(x)-sgn(x)*abs(x)+zero(x)+heav(x)",
        "arcsin(x)+arccos(x)+cot(x)",
        "rnd(x)+ln(x-1)",
        "rnd(1)*rnd(x)",
        "2^3^x",
        "-(-(x))",
    };
    const long double points[] = {0, 1, -1, 0.5L, 2, -2.5L, 3, 1e-300L, 1e4000L};
    for (const char* text : expressions) {
        TKvOperatorNode& root = Parse(text);
        for (const long double x : points) {
            SCOPED_TRACE(std::string(text) + " at " + std::to_string(static_cast<double>(x)));
            SetX(x);
            const TRun checked = ThroughCheckedEvaluator(root, 12345);
            const TRun evaluated = ThroughEvaluate(root, 12345);
            EXPECT_EQ(evaluated.Error, checked.Error);
            EXPECT_TRUE(SameBits(evaluated.Value, checked.Value))
                << static_cast<double>(evaluated.Value) << " "
                << static_cast<double>(checked.Value);
            EXPECT_EQ(evaluated.SeedAfter, checked.SeedAfter);
            EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
        }
    }
}

// Every node of a successful evaluation loses the message of an earlier failure.
TEST_F(EvaluateFastTest, SuccessClearsEarlierMessages) {
    TKvOperatorNode& root = Parse("1-ln(x)*2");
    TKvOperatorNode& negation = *root.GetOperand(1);
    TKvOperatorNode& product = *negation.GetOperand(0);
    TKvOperatorNode& logarithm = *product.GetOperand(0);
    SetX(0);
    EXPECT_EQ(ThroughEvaluate(root, 0).Error, "Gleitkommadivision durch Null");
    SetX(1);
    const TRun run = ThroughEvaluate(root, 0);
    EXPECT_EQ(run.Error, "");
    EXPECT_EQ(run.Value, 1);
    for (const TKvOperatorNode* node : {&root, &negation, &product, &logarithm})
        EXPECT_EQ(node->ErrorText, "") << node->NodeText();
}

// A node whose kernel was exchanged after it was made computes with that kernel on both paths.
TEST_F(EvaluateFastTest, ExchangedKernelsAreUsed) {
    struct TCase {
        const char* Text;
        long double Value;
    };
    const TCase cases[] = {{"sin(x)", 7}, {"x+1", 3}, {"-x", 5}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TKvOperatorNode& root = Parse(c.Text);
        TNodeTestAccess::SetFunctionKernel(root, [](std::uint16_t, void* value) {
            const long double seven = 7;
            std::memcpy(value, &seven, 10);
            return true;
        });
        TNodeTestAccess::SetBinaryKernel(root, [](void* left, const void*) {
            const long double three = 3;
            std::memcpy(left, &three, 10);
            return true;
        });
        TNodeTestAccess::SetNegateKernel(root, [](void* value) {
            const long double five = 5;
            std::memcpy(value, &five, 10);
        });
        SetX(0.25L);
        const TRun run = ThroughEvaluate(root, 0);
        EXPECT_EQ(run.Error, "");
        EXPECT_EQ(run.Value, c.Value);
    }
}

// The repeated run after a fault draws the same random numbers as the first, not the next ones.
TEST_F(EvaluateFastTest, RepeatedRunDrawsTheSameRandomNumbers) {
    TKvOperatorNode& root = Parse("rnd(1)+ln(x)");
    SetX(0);
    const TRun run = ThroughEvaluate(root, 0);
    EXPECT_EQ(run.Error, "Gleitkommadivision durch Null");
    EXPECT_EQ(run.SeedAfter, 1u);
    SetX(1);
    const TRun next = ThroughEvaluate(root, run.SeedAfter);
    EXPECT_EQ(next.Value, 134775814.0L / 0x1p32L);
}

// Nodes of the other types never take the fast path, and still evaluate.
TEST_F(EvaluateFastTest, OtherTypesTakeTheCheckedPath) {
    TKvNodePtr root = TKvOperatorNode::CreateOperator(dtInteger, OpCodes::Quotient);
    const std::int32_t seven = -7, two = 2;
    root->AddOperand(-1, TKvOperatorNode::CreateConstant(dtInteger, &seven));
    root->AddOperand(-1, TKvOperatorNode::CreateConstant(dtInteger, &two));
    std::int32_t result = 0;
    root->Evaluate(&result);
    EXPECT_EQ(result, -3);
    EXPECT_EQ(root->ErrorText, "");
    EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
}

} // namespace
