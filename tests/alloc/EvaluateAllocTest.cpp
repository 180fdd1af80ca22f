// A built tree evaluates without touching the heap.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "engine/MathKernels.h"
#include "engine/MathTree.h"
#include "tests/alloc/AllocCount.h"
#include "values/VarDepot.h"

namespace {

TKvNodePtr Operator(std::uint16_t code, std::initializer_list<TKvOperatorNode*> operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
    for (TKvOperatorNode* operand : operands)
        node->AddOperand(-1, operand);
    return node;
}

TKvOperatorNode* Constant(long double value) {
    return TKvOperatorNode::CreateExtended(value).release();
}

// x plus an offset that keeps every function inside its domain for x in (0, 1).
struct TFunctionUse {
    std::uint16_t Code;
    long double Offset;
};

constexpr TFunctionUse FunctionUses[] = {
    {OpCodes::Exp, 0},     {OpCodes::Ln, 0},        {OpCodes::Log, 0},       {OpCodes::Ld, 0},
    {OpCodes::Sqr, 0},     {OpCodes::Sqrt, 0},      {OpCodes::Sin, 0},       {OpCodes::Cos, 0},
    {OpCodes::Tan, 0},     {OpCodes::Cot, 0},       {OpCodes::ArcSin, 0},    {OpCodes::ArcCos, 0},
    {OpCodes::ArcTan, 0},  {OpCodes::ArcCot, 0},    {OpCodes::Sinh, 0},      {OpCodes::Cosh, 0},
    {OpCodes::Tanh, 0},    {OpCodes::Coth, 0},      {OpCodes::ArcSinh, 0},   {OpCodes::ArcCosh, 1},
    {OpCodes::ArcTanh, 0}, {OpCodes::ArcCoth, 1},   {OpCodes::Trunc, 0},     {OpCodes::Round, 0},
    {OpCodes::Frac, 0},    {OpCodes::Sgn, 0},       {OpCodes::Abs, 0},       {OpCodes::Zero, 0},
    {OpCodes::Heav, 0},    {OpCodes::Ceil, 0},      {OpCodes::Floor, 0},     {OpCodes::Phase, 0},
    {OpCodes::Rnd, 0},     {OpCodes::Factorial, 0}, {OpCodes::Factorial, 3},
};

class EvaluateAllocTest : public ::testing::Test {
protected:
    void SetUp() override {
        // (x * 2 / 3) ^ 2 ^ 0.5 - x + every function of x
        TKvNodePtr sum = Operator(
            OpCodes::Sum,
            {Operator(OpCodes::Power,
                      {Operator(OpCodes::Quotient,
                                {Operator(OpCodes::Product, {Variable(), Constant(2)}).release(),
                                 Constant(3)})
                           .release(),
                       Constant(2), Constant(0.5L)})
                 .release()});
        sum = TKvOperatorNode::CreateSubtraction(std::move(sum), TKvNodePtr(Variable()));
        for (const TFunctionUse& use : FunctionUses)
            sum->AddOperand(
                -1,
                Operator(use.Code,
                         {Operator(OpCodes::Sum, {Variable(), Constant(use.Offset)}).release()}));
        Root = std::move(sum);
    }

    TKvOperatorNode* Variable() {
        return TKvOperatorNode::CreateVariable(dtExtended, &Depot, "x").release();
    }

    // Evaluates for x = 0.1, 0.2, ... and returns the number of allocations meanwhile.
    long EvaluateRepeatedly(int times) {
        long double result = 0;
        long double x = 0;
        bool allSucceeded = true;
        const std::int64_t before = AllocationCount();
        for (int i = 1; i <= times; ++i) {
            x = 0.1L * (i % 9 + 1);
            Depot.Variables(0)->SetAsExtended(x);
            Root->Evaluate(&result);
            allSucceeded = allSucceeded && Root->ErrorText.empty();
        }
        const std::int64_t allocations = AllocationCount() - before;
        EXPECT_TRUE(allSucceeded) << Root->ErrorText;
        return allocations;
    }

    TKvVarDepot Depot;
    TKvNodePtr Root;
};

TEST_F(EvaluateAllocTest, SuccessfulEvaluationsAllocateNothing) {
    EXPECT_EQ(EvaluateRepeatedly(1000), 0);
}

TEST_F(EvaluateAllocTest, SuccessAfterAFailureAllocatesNothing) {
    long double result = 0;
    Depot.Variables(0)->SetAsExtended(-1); // ln -1 fails
    Root->Evaluate(&result);
    ASSERT_EQ(Root->ErrorText, "Ungültige Gleitkommaoperation");
    EXPECT_EQ(EvaluateRepeatedly(100), 0);
}

} // namespace
