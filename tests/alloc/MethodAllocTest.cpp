// The numeric methods' runs allocate a fixed amount, however many evaluations they make.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "calculus/MathXFnc.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "tests/ParseInto.h"
#include "tests/alloc/AllocCount.h"

namespace {

class MethodAllocTest : public ::testing::Test {
protected:
    void Parse(const char* text) {
        Function.AddVariable("x");
        ASSERT_EQ(ParseInto(Function, text), "");
    }

    // The allocations of one run of a method made for size.
    std::int64_t Allocations(const std::function<void(std::int32_t)>& run, std::int32_t size) {
        const std::int64_t before = AllocationCount();
        run(size);
        return AllocationCount() - before;
    }

    void ExpectFixed(const std::function<void(std::int32_t)>& run, std::int32_t small,
                     std::int32_t large) {
        run(small); // settles the first run's own allocations
        EXPECT_EQ(Allocations(run, large), Allocations(run, small));
    }

    template <class TMethod> void RunInterval(std::int32_t pieces) {
        TMethod method(&Function);
        method.BorrowedFunction = true;
        method.SetRunningVariable("x");
        method.UpperBound = pieces;
        method.SetIntervalWidth(1);
        method.Calculate();
    }

    TKvMathTreeFunction Function;
};

TEST_F(MethodAllocTest, IntervalMethodsNewtonAndDerivative) {
    Parse("sin(x)*exp(-x/10)+x^2/3-rnd(x)");
    ExpectFixed([this](std::int32_t pieces) { RunInterval<TKvMathIntgNumFunction>(pieces); }, 10,
                10000);
    ExpectFixed([this](std::int32_t pieces) { RunInterval<TKvMathLenNumFunction>(pieces); }, 10,
                10000);
    ExpectFixed(
        [this](std::int32_t order) {
            // Far from 0, where the high orders try two steps.
            Function.SetVarValue("x", 5);
            TKvMathDiffNumFunction method(&Function);
            method.BorrowedFunction = true;
            method.SetRunningVariable("x");
            method.SetOrder(order);
            method.Calculate();
        },
        2, TKvMathDiffNumFunction::MaxOrder);
    Parse("x^3-2*x+2");
    ExpectFixed(
        [this](std::int32_t steps) {
            Function.SetVarValue("x", 0);
            TKvMathNewtonFunction method(&Function);
            method.BorrowedFunction = true;
            method.SetRunningVariable("x");
            method.MaxIterations = steps;
            method.Calculate();
        },
        10, 10000);
}

} // namespace
