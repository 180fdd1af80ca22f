// The numeric methods evaluate a plain tree function directly and in groups with one fault test;
// any other function object goes through its virtual functions one evaluation at a time. Both
// ways must leave the same result, message, running value and random seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "calculus/MathXFnc.h"
#include "engine/MathKernels.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "tests/ParseInto.h"

namespace {

// Changes nothing but the dynamic type, which keeps the methods on the virtual path.
class TSubclassedFunction : public TKvMathTreeFunction {
public:
    void Calculate() override { TKvMathTreeFunction::Calculate(); }
};

enum TKind { Integral, Length, Newton, Derivative };

struct TRun {
    TKind Kind;
    const char* Text;
    long double From, To, Step; // Step: the width, or the order or iteration limit
};

struct TOutcome {
    long double Result = 0;
    std::string Error;
    long double Running = 0;
    std::uint32_t Seed = 0;
};

void Parse(TKvMathTreeFunction& function, const std::string& text) {
    function.AddVariable("x");
    ParseInto(function, text);
}

std::unique_ptr<TKvMathUseOtherFunction> MethodFor(const TRun& run, TKvMathTreeFunction& function) {
    std::unique_ptr<TKvMathUseOtherFunction> method;
    switch (run.Kind) {
    case Integral:
    case Length: {
        std::unique_ptr<TKvMathIntervalNumFunction> interval;
        if (run.Kind == Integral)
            interval = std::make_unique<TKvMathIntgNumFunction>(&function);
        else
            interval = std::make_unique<TKvMathLenNumFunction>(&function);
        interval->LowerBound = run.From;
        interval->UpperBound = run.To;
        interval->SetIntervalWidth(run.Step);
        method = std::move(interval);
        break;
    }
    case Newton: {
        auto newton = std::make_unique<TKvMathNewtonFunction>(&function);
        newton->MaxIterations = static_cast<std::int32_t>(run.Step);
        method = std::move(newton);
        break;
    }
    case Derivative: {
        auto derivative = std::make_unique<TKvMathDiffNumFunction>(&function);
        derivative->SetOrder(static_cast<std::int32_t>(run.Step));
        method = std::move(derivative);
        break;
    }
    }
    method->BorrowedFunction = true;
    method->SetRunningVariable("x");
    function.SetVarValue("x", run.From);
    return method;
}

TOutcome Outcome(const TKvMathFunction& method, const TKvMathTreeFunction& function) {
    return {method.Result, method.GetErrorText(), function.GetVarValue("x"), RandSeed};
}

TOutcome RunOn(const TRun& run, TKvMathTreeFunction& function) {
    Parse(function, run.Text);
    const auto method = MethodFor(run, function);
    RandSeed = 12345;
    method->Calculate();
    return Outcome(*method, function);
}

// Equal to the last bit, NaN included.
bool SameValue(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

void ExpectSame(const TOutcome& direct, const TOutcome& virtualPath) {
    EXPECT_TRUE(SameValue(direct.Result, virtualPath.Result))
        << direct.Result << " against " << virtualPath.Result;
    EXPECT_EQ(direct.Error, virtualPath.Error);
    EXPECT_TRUE(SameValue(direct.Running, virtualPath.Running))
        << direct.Running << " against " << virtualPath.Running;
    EXPECT_EQ(direct.Seed, virtualPath.Seed);
    EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
}

TEST(MethodPathsTest, DirectAndVirtualEvaluationAgree) {
    const TRun runs[] = {
        {Integral, "sin(x)*exp(-x/10)+x^2/3", 0, 10, 0.01L},
        // Faults of single evaluations in the middle of the interval; later pieces go on.
        {Integral, "1/(x-0.5)", 0, 1, 0.125L},
        {Integral, "ln(x-0.3)+x", 0, 1, 0.1L},
        {Integral, "exp(x*12000)", 0, 1, 0.125L},
        {Integral, "sqrt(x-0.55)", 0, 1, 0.1L},
        // A fault in the last piece leaves its message.
        {Integral, "1/(x-1)", 0, 1, 0.25L},
        // A fault of the piece's own arithmetic, after evaluations that succeeded.
        {Integral, "3e4931*heav(x-2.6)", 0, 5, 1},
        // The random numbers must come in the same order, also around a fault.
        {Integral, "rnd(x)+x", 0, 1, 0.1L},
        {Integral, "rnd(x)/(x-0.5)", 0, 1, 0.125L},
        // The sum of the pieces overflows, the pieces themselves do not.
        {Integral, "1e4932*heav(x-1)", 0, 3, 1},
        {Integral, "1e4932*heav(x-1)+rnd(x)", 0, 3, 1},
        {Length, "1e4932*heav(x-1.2)*(x-1.2)", 0, 4, 1},
        {Length, "sin(x)", 0, 20, 0.01L},
        // Pieces share a fault test in groups: faults inside a group, and long stretches of
        // faults after which groups start again.
        {Integral, "rnd(x)/(x-0.5)", 0, 1, 0x1p-10L},
        {Integral, "sqrt(x-0.55)+rnd(x)", 0, 1, 0x1p-12L},
        {Length, "ln(x-0.3)+rnd(x)", 0, 1, 0x1p-11L},
        {Length, "sqrt(0.7-x)", 0, 1, 0x1p-11L},
        {Length, "1/(x-0.5)", 0, 1, 0.125L},
        {Length, "1e4932*heav(x-0.75)", 0, 1, 1},
        {Length, "1e4932*(1-zero(x-0.5))", 0, 1, 1},
        {Length, "sqrt(x-0.55)", 0, 1, 0.1L},
        {Newton, "x^3-2*x+2", 0, 0, 5000},
        {Newton, "x^2-2", 1, 0, 1000},
        {Newton, "x", 0, 0, 1000},
        {Newton, "1/(x-1e-10)+1e4930", 0, 0, 1000},
        {Newton, "ln(x)", -1, 0, 1000},
        {Newton, "rnd(x)-0.5", 0, 0, 50},
        // Steps share a fault test: faults, random draws, convergence and the limit in the
        // middle of such a group.
        {Newton, "sqrt(x)-1", 5, 0, 1000},
        {Newton, "sqrt(x)-1+rnd(2)/1e30", 5, 0, 1000},
        {Newton, "arctan(x)", 1.5L, 0, 1000},
        {Newton, "arctan(x)+rnd(1)/1e30", 1.5L, 0, 1000},
        {Newton, "x^3-2*x+2", 0, 0, 5},
        {Newton, "x^3-2*x+2", 0, 0, 21},
        // A NaN start: the step's comparison raises the invalid flag without a fault before it.
        {Newton, "x+1", NAN, 0, 10},
        {Newton, "2", NAN, 0, 10},
        // Evaluations that overflow.
        {Newton, "x*x", 1e3000L, 0, 10},
        {Derivative, "sin(x)*exp(x)", 1, 0, 7},
        {Derivative, "sin(x)*exp(x)", -30, 0, 6},
        {Derivative, "1/(x-1e-10)", 0, 0, 3},
        {Derivative, "ln(x)", 0, 0, 2},
        {Derivative, "x^2", 1.18e4932L, 0, 1},
        {Derivative, "x^2", 1.18e4932L, 0, 5},
        // Evaluations beside the point fail, the one at the point does not.
        {Derivative, "sqrt(x)", 0, 0, 2},
        {Derivative, "1/(x-0.001)", 0, 0, 5},
        {Derivative, "rnd(x)/(x-1e-10)", 0, 0, 3},
        // The quotient overflows after two evaluations that succeeded.
        {Derivative, "1e4931*heav(x)", -1e-11L, 0, 1},
        {Derivative, "1e4931*heav(x)+rnd(1)", -1e-11L, 0, 3},
    };
    for (const TRun& run : runs) {
        SCOPED_TRACE(std::string(run.Text) + " kind " + std::to_string(run.Kind));
        TKvMathTreeFunction plain;
        TSubclassedFunction subclassed;
        const TOutcome direct = RunOn(run, plain);
        const TOutcome virtualPath = RunOn(run, subclassed);
        ExpectSame(direct, virtualPath);
    }
}

// What a method found about its function is found again when the function changed between
// two calculations.
TEST(MethodPathsTest, ChangesBetweenCalculationsAreSeen) {
    enum TChange {
        NoChange,
        IntegerVariable,
        OtherTree,
        VariableBefore,
        OtherStore,
        SameTreeChanged
    };
    const TChange changes[] = {NoChange,       IntegerVariable, OtherTree,
                               VariableBefore, OtherStore,      SameTreeChanged};
    const TRun run = {Integral, "x^2", 0, 3, 0.25L};
    for (const TChange change : changes) {
        SCOPED_TRACE(change);
        TOutcome outcomes[2];
        TKvVarDepot stores[2];
        TKvNodePtr oldExponent;
        for (int i = 0; i < 2; ++i) {
            std::unique_ptr<TKvMathTreeFunction> function;
            if (i == 0)
                function = std::make_unique<TKvMathTreeFunction>();
            else
                function = std::make_unique<TSubclassedFunction>();
            Parse(*function, run.Text);
            const auto method = MethodFor(run, *function);
            method->Calculate();
            switch (change) {
            case NoChange:
                break;
            case IntegerVariable: {
                // Evaluations now round the running value to whole numbers.
                const std::int32_t one = 1;
                function->VarDepot->SetVariable("x", &one, dtInteger);
                break;
            }
            case OtherTree:
                Parse(*function, "x^3+1");
                break;
            case VariableBefore:
                // The running index now names a, which the tree does not use.
                function->AddVariable("a");
                break;
            case OtherStore:
                // The tree is dropped; the creator builds it again over the new store.
                stores[i].AddVariable("x", dtExtended);
                function->BorrowVarDepot(&stores[i]);
                break;
            case SameTreeChanged:
                // Changed in place, at the same address: x^3. The old exponent stays alive
                // until the end, so its buffer still holds 2.
                oldExponent = function->GetTree()->ReleaseOperand(1);
                function->GetTree()->AddOperand(-1, TKvOperatorNode::CreateExtended(3));
                break;
            }
            RandSeed = 12345;
            method->Calculate();
            outcomes[i] = Outcome(*method, *function);
        }
        ExpectSame(outcomes[0], outcomes[1]);
        // The integer case only has to agree; a is 0 and x keeps the last point, 3.
        const double expected[] = {9, NAN, 81 / 4.0 + 3, 27, 9, 81 / 4.0};
        if (!std::isnan(expected[change])) {
            EXPECT_NEAR(static_cast<double>(outcomes[0].Result), expected[change], 1e-9);
        }
    }
}

// Outside a calculation nothing says when the tree changes, so a piece asked for directly must
// follow the tree as it is now.
TEST(MethodPathsTest, PiecesOutsideACalculationFollowTheTree) {
    TKvMathTreeFunction function;
    Parse(function, "x^2");
    TKvMathIntgNumFunction method(&function);
    method.BorrowedFunction = true;
    method.SetRunningVariable("x");
    EXPECT_NEAR(static_cast<double>(method.PieceValue(0, 3)), 9, 1e-15);
    // The old exponent stays alive, so its buffer still holds 2.
    const TKvNodePtr old = function.GetTree()->ReleaseOperand(1);
    function.GetTree()->AddOperand(-1, TKvOperatorNode::CreateExtended(3));
    EXPECT_NEAR(static_cast<double>(method.PieceValue(0, 3)), 81 / 4.0, 1e-15);
}

// A method whose own pieces differ is asked for each of them.
TEST(MethodPathsTest, OverriddenPiecesAreUsed) {
    class TDoubledPieces : public TKvMathIntgNumFunction {
    public:
        using TKvMathIntgNumFunction::TKvMathIntgNumFunction;
        long double PieceValue(long double a, long double b) override {
            return 2 * TKvMathIntgNumFunction::PieceValue(a, b);
        }
    };
    TKvMathTreeFunction function;
    Parse(function, "x^2");
    TDoubledPieces method(&function);
    method.BorrowedFunction = true;
    method.SetRunningVariable("x");
    method.LowerBound = 0;
    method.UpperBound = 3;
    method.SetIntervalWidth(0.5L);
    method.Calculate();
    EXPECT_NEAR(static_cast<double>(method.Result), 18, 1e-15);
}

} // namespace
