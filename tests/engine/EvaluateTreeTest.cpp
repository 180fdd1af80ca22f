// The evaluators: how values and messages travel up a tree.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/MathKernels.h"
#include "engine/MathTree.h"
#include "platform/FpuFaults.h"
#include "tests/engine/NodeTestAccess.h"
#include "values/VarDepot.h"

namespace {

using namespace OpCodes;

TKvNodePtr C(long double x) {
    return TKvOperatorNode::CreateExtended(x);
}

template <typename... TOperands>
TKvNodePtr TypedOp(TKvDataType type, std::uint16_t code, TOperands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(type, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

template <typename... TOperands> TKvNodePtr Op(std::uint16_t code, TOperands... operands) {
    return TypedOp(dtExtended, code, std::move(operands)...);
}

struct TOutcome {
    long double Value;
    std::string Error;
};

TOutcome Compute(TKvOperatorNode& root) {
    long double value = 42;
    root.Evaluate(&value);
    return {value, root.ErrorText};
}

TOutcome Compute(TKvNodePtr root) {
    return Compute(*root);
}

TEST(EvaluateTreeTest, MessagesTravelUp) {
    struct TCase {
        const char* Name;
        TKvNodePtr Root;
        long double Value;
        const char* Error;
    };
    TCase cases[] = {
        // The kernel runs on a failed operand's zero: ln 0 replaces the message, exp 0 keeps it.
        {"ln(1/0)", Op(Ln, Op(Quotient, C(1), C(0))), 0, "Gleitkommadivision durch Null"},
        {"exp(1/0)", Op(Exp, Op(Quotient, C(1), C(0))), 1, "Division durch 0"},
        // A failed later operand stops the fold; the value folded so far stays.
        {"1+2+ln 0+5", Op(Sum, C(1), C(2), Op(Ln, C(0)), C(5)), 3, "Gleitkommadivision durch Null"},
        {"2*(0^-1)", Op(Product, C(2), Op(Power, C(0), C(-1))), 2, "Nicht erlaubte Potenzierung"},
        // The first failure in evaluation order wins.
        {"sqrt(-1)+ln 0", Op(Sum, Op(Sqrt, C(-1)), Op(Ln, C(0))), 0,
         "Ungültige Gleitkommaoperation"},
        {"-(1/0)", Op(Negation, Op(Quotient, C(1), C(0))), 0, "Division durch 0"},
        {"-(2)", Op(Negation, C(2)), -2, ""},
        {"sin()", Op(Sin), 0, "Keine Funktionsparameter"},
        {"ln()", Op(Ln), 0, "Gleitkommadivision durch Null"},
        {"exp(sin())", Op(Exp, Op(Sin)), 1, "Keine Funktionsparameter"},
        {"+()", Op(Sum), 0, "Fehlender Operand"},
    };
    for (TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        const TOutcome outcome = Compute(*test.Root);
        EXPECT_EQ(outcome.Error, test.Error);
        EXPECT_EQ(outcome.Value, test.Value);
    }
}

TEST(EvaluateTreeTest, AbsentOperandStopsTheFold) {
    TKvNodePtr sum = Op(Sum, C(1), C(2));
    sum->Operands->push_back(nullptr);
    sum->AddOperand(-1, C(4));
    const TOutcome outcome = Compute(*sum);
    EXPECT_EQ(outcome.Error, "Fehlender Operand");
    EXPECT_EQ(outcome.Value, 3);
    sum->Operands->erase(sum->Operands->begin() + 2);
}

TEST(EvaluateTreeTest, MessageIsClearedByTheNextGoodEvaluation) {
    TKvVarDepot depot;
    TKvNodePtr root = Op(Ln, TKvOperatorNode::CreateVariable(dtExtended, &depot, "x"));
    EXPECT_EQ(Compute(*root).Error, "Gleitkommadivision durch Null");
    depot.Variables(0)->SetAsExtended(1);
    const TOutcome outcome = Compute(*root);
    EXPECT_EQ(outcome.Error, "");
    EXPECT_EQ(outcome.Value, 0);
}

TEST(EvaluateTreeTest, VariableIsReadAtEachEvaluation) {
    TKvVarDepot depot;
    TKvNodePtr root = Op(Sum, TKvOperatorNode::CreateVariable(dtExtended, &depot, "x"), C(1));
    depot.Variables(0)->SetAsExtended(1);
    EXPECT_EQ(Compute(*root).Value, 2);
    depot.Variables(0)->SetAsExtended(5);
    EXPECT_EQ(Compute(*root).Value, 6);
}

TEST(EvaluateTreeTest, ThrowingKernelGivesItsMessage) {
    TKvNodePtr function = Op(Sin, C(1));
    TNodeTestAccess::SetFunctionKernel(
        *function, [](std::uint16_t, void*) -> bool { throw std::runtime_error("Kernfehler"); });
    EXPECT_EQ(Compute(*function).Error, "Kernfehler");
    EXPECT_EQ(Compute(*function).Value, 0);

    TKvNodePtr sum = Op(Sum, C(1), C(2));
    TNodeTestAccess::SetBinaryKernel(
        *sum, [](void*, const void*) -> bool { throw std::out_of_range("Bereich"); });
    EXPECT_EQ(Compute(*sum).Error, "Bereich");
    EXPECT_EQ(Compute(*sum).Value, 0);

    TKvNodePtr negation = Op(Negation, C(1));
    TNodeTestAccess::SetNegateKernel(*negation,
                                     [](void*) { throw std::runtime_error("Vorzeichen"); });
    EXPECT_EQ(Compute(*negation).Error, "Vorzeichen");
}

// A fault is this node's own and does not outlive the evaluation.
TEST(EvaluateTreeTest, FaultFlagsAreLeftClear) {
    std::feraiseexcept(FE_OVERFLOW); // stale flag from elsewhere
    EXPECT_EQ(Compute(Op(Sum, C(1), C(1))).Error, "");
    EXPECT_EQ(Compute(Op(Exp, Op(Ln, C(0)))).Error, "Gleitkommadivision durch Null");
    EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
    EXPECT_EQ(Compute(Op(Product, C(1e4000L), C(1e4000L))).Error, "Gleitkommaüberlauf");
    EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
}

// Types without kernels: binary and function nodes fail, negation changes nothing.
TEST(EvaluateTreeTest, TypesWithoutKernels) {
    for (const TKvDataType type : {dtByte, dtShortInt, dtInt64}) {
        SCOPED_TRACE(static_cast<int>(type));
        const std::int64_t five = 5;
        const auto constant = [&] { return TKvOperatorNode::CreateConstant(type, &five); };
        const struct {
            std::uint16_t Code;
            const char* Error;
        } cases[] = {{Sum, "Unerlaubte Operation"},  {Product, "Unerlaubte Operation"},
                     {Quotient, "Division durch 0"}, {Power, "Nicht erlaubte Potenzierung"},
                     {Sqrt, "Illegale Operationen"}, {Factorial, "Illegale Operationen"}};
        for (const auto& test : cases) {
            TKvNodePtr node = TypedOp(type, test.Code, constant(), constant());
            std::int64_t value = -1;
            node->Evaluate(&value);
            EXPECT_EQ(node->ErrorText, test.Error);
            EXPECT_EQ(std::memcmp(&value, "\0\0\0\0\0\0\0\0", node->Size), 0);
        }
        TKvNodePtr negation = TypedOp(type, Negation, constant());
        std::int64_t value = 0;
        negation->Evaluate(&value);
        EXPECT_EQ(negation->ErrorText, "");
        EXPECT_EQ(std::memcmp(&value, &five, negation->Size), 0);
    }
}

} // namespace
