// The numeric methods: where they evaluate, what they leave behind, and their refusals. Values
// and messages as the user sees them are in the golden files.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "calculus/MathXFnc.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"

namespace {

// Records the running variable x at every evaluation, and its own destruction.
class TRecordingFunction : public TKvMathTreeFunction {
public:
    explicit TRecordingFunction(bool* destroyed = nullptr) : Destroyed(destroyed) {}
    ~TRecordingFunction() override {
        if (Destroyed) *Destroyed = true;
    }
    void Calculate() override {
        Points.push_back(GetVarValue("x"));
        TKvMathTreeFunction::Calculate();
    }
    std::vector<long double> Points;
    bool* Destroyed;
};

// A method that owns a function of x parsed from text; function is left pointing at it.
template <class TMethod>
std::unique_ptr<TMethod> MethodOn(const std::string& text, TRecordingFunction*& function) {
    function = new TRecordingFunction;
    auto method = std::make_unique<TMethod>(function);
    auto* parser = new TKvMathParser(function);
    function->SetCreator(parser);
    function->AddVariable("x");
    parser->SetExpression(text);
    parser->Execute();
    method->SetRunningVariable("x");
    return method;
}

constexpr long double H = 1e-10L;

TEST(MathXFncTest, Newton) {
    struct TCase {
        const char* Text;
        std::int32_t MaxIterations;
        const char* Error;
        std::size_t Evaluations;
        long double Trace; // the previous value plus the step, not the result
    };
    const TCase cases[] = {
        {"x", 1000, "", 2, H}, // the first step moves by 0
        {"x^2+x+1", 3, "Newtonverfahren konvergiert nicht!", 2 * 4, NAN}, // 0, -1, 0, ...
        {"x", -1, "Newtonverfahren konvergiert nicht!", 0, 0},
        // The overflowing quotient leaves the last evaluation's message in place.
        {"1/(x-1e-10)+1e4930", 1000, "Division durch 0", 2, H},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TRecordingFunction* function;
        auto newton = MethodOn<TKvMathNewtonFunction>(c.Text, function);
        newton->MaxIterations = c.MaxIterations;
        newton->Calculate();
        EXPECT_EQ(newton->GetErrorText(), c.Error);
        EXPECT_EQ(newton->Result, 0);
        EXPECT_EQ(function->Points.size(), c.Evaluations);
        if (!std::isnan(c.Trace)) {
            EXPECT_EQ(function->GetVarValue("x"), c.Trace);
        }
    }

    TRecordingFunction* function;
    auto newton = MethodOn<TKvMathNewtonFunction>("x", function);
    newton->SetRunningVariable("y");
    EXPECT_THROW(newton->Calculate(), EKvNoRunningVarIndex);
    EXPECT_TRUE(function->Points.empty());
}

TEST(MathXFncTest, OwnsTheFunctionUnlessBorrowed) {
    for (const bool borrowed : {false, true}) {
        bool destroyed = false;
        auto* function = new TRecordingFunction(&destroyed);
        std::unique_ptr<TRecordingFunction> keeper(borrowed ? function : nullptr);
        auto method = std::make_unique<TKvMathDiffNumFunction>(function);
        method->BorrowedFunction = borrowed;
        method.reset();
        EXPECT_EQ(destroyed, !borrowed);
    }
}

// At most 2^n evaluations, the last one at the point itself, which the running variable keeps.
TEST(MathXFncTest, NumDerivativeEvaluationPoints) {
    for (const long double x0 : {0.0L, 0.75L, 5.0L, -30.0L, 1e10L}) {
        for (std::int32_t order = 1; order <= TKvMathDiffNumFunction::MaxOrder; ++order) {
            SCOPED_TRACE(std::to_string(order) + " at " + std::to_string(static_cast<double>(x0)));
            TRecordingFunction* function;
            auto method = MethodOn<TKvMathDiffNumFunction>("x^2", function);
            method->SetOrder(order);
            function->SetVarValue("x", x0);
            method->Calculate();
            EXPECT_LE(function->Points.size(), std::size_t{1} << order);
            EXPECT_EQ(function->Points.back(), x0);
            EXPECT_EQ(function->GetVarValue("x"), x0);
            EXPECT_EQ(method->GetErrorText(), "");
        }
    }
    // The first order's step grows with the point beyond 1; the second order's is a power of two.
    const struct {
        std::int32_t Order;
        long double X0;
        std::vector<long double> Points;
    } cases[] = {
        {1, 0, {H, 0}},
        {1, 0.5L, {0.5L + H, 0.5L}},
        {1, -8, {-8 + 8 * H, -8}},
        {2, 0, {-0x1p-17L, 0x1p-17L, 0}},
        {2, 3, {3 - 0x1p-15L, 3 + 0x1p-15L, 3}},
    };
    for (const auto& c : cases) {
        TRecordingFunction* function;
        auto method = MethodOn<TKvMathDiffNumFunction>("x", function);
        method->SetOrder(c.Order);
        function->SetVarValue("x", c.X0);
        method->Calculate();
        EXPECT_EQ(function->Points, c.Points) << c.Order << " at " << static_cast<double>(c.X0);
    }

    TRecordingFunction* function;
    auto method = MethodOn<TKvMathDiffNumFunction>("x", function);
    for (const std::int32_t refused : {0, TKvMathDiffNumFunction::MaxOrder + 1}) {
        EXPECT_THROW(method->SetOrder(refused), EKvIllegalDiffNumLevel);
        EXPECT_EQ(method->GetOrder(), 1);
    }
}

enum TKind { Integral, Length };

TEST(MathXFncTest, IntervalMethods) {
    struct TCase {
        TKind Kind;
        const char* Text;
        long double From, To, Width;
        long double Result;
        std::size_t Evaluations;
        long double Trace; // the right end of the last piece, or its midpoint
    };
    const long double arc = std::asin(0.75L) + std::asin(0.25L);
    const TCase cases[] = {
        {Integral, "x^2", 1, 10, 0.1L, 333, 3 * 90, 10},
        {Integral, "x", 0, 1.05L, 0.5L, 1.05L * 1.05L / 2, 9, 1.05L}, // and a short rest
        // Far from 0 against the width, where solving for the parabola first broke down.
        {Integral, "x^2", 1e6L, 1e6L + 1, 1e-4L, 1e12L + 1e6L + 1 / 3.0L, 30000, 1e6L + 1},
        {Length, "2*x", 0, 1, 0.1L, std::sqrt(5.0L), 3 * 10, 0.95L},
        // Circle arcs with the left and the right bisector vertical.
        {Length, "sqrt(1-sqr(x-0.25))", 0, 1, 1, arc, 3, 0.5L},
        {Length, "sqrt(1-sqr(x-0.75))", 0, 1, 1, arc, 3, 0.5L},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TRecordingFunction* function;
        std::unique_ptr<TKvMathIntervalNumFunction> method;
        if (c.Kind == Integral)
            method = MethodOn<TKvMathIntgNumFunction>(c.Text, function);
        else
            method = MethodOn<TKvMathLenNumFunction>(c.Text, function);
        method->LowerBound = c.From;
        method->UpperBound = c.To;
        method->SetIntervalWidth(c.Width);
        method->Calculate();
        EXPECT_EQ(method->GetErrorText(), "");
        EXPECT_LE(std::fabs(method->Result - c.Result), 1e-15L * c.Result);
        EXPECT_EQ(function->Points.size(), c.Evaluations);
        EXPECT_LE(std::fabs(function->GetVarValue("x") - c.Trace), 1e-15L * c.Trace);
    }
}

TEST(MathXFncTest, IntervalFailures) {
    struct TCase {
        const char* Text;
        const char* Variable;
        long double From, To;
        const char* Error;
        long double Result; // the pieces finished before the failure
    };
    const TCase cases[] = {
        {"x", "y", 0, 1, "Die Laufvariable gehört nicht zur Funktion!", 0},
        {"x", "x", 1, 1, "Bei der numerischen Berechnung muss \"bis\" größer als \"von\" sein!", 0},
        {"x", "x", -1e4932L, 1e4932L, "Gleitkommaüberlauf", 0},
        {"3e4931*heav(x-2.6)", "x", 0, 5, "Gleitkommaüberlauf", 5e4930L},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TRecordingFunction* function;
        auto method = MethodOn<TKvMathIntgNumFunction>(c.Text, function);
        method->SetRunningVariable(c.Variable);
        method->LowerBound = c.From;
        method->UpperBound = c.To;
        method->SetIntervalWidth(1);
        method->Calculate();
        EXPECT_EQ(method->GetErrorText(), c.Error);
        EXPECT_LE(std::fabs(method->Result - c.Result), 1e-15L * c.Result);
    }

    TRecordingFunction* function;
    auto method = MethodOn<TKvMathLenNumFunction>("x", function);
    for (const long double width : {0.0L, -1.0L, static_cast<long double>(NAN)}) {
        EXPECT_THROW(method->SetIntervalWidth(width), EKvIllegalIntIntervall);
        EXPECT_EQ(method->GetIntervalWidth(), 0.1L);
    }
}

// A fault in the arc's own arithmetic is reported as the first operation that raised it, even
// when later operations raise others.
TEST(MathXFncTest, ArcFaultsReportTheFirstOperation) {
    struct TCase {
        const char* Text;
        const char* Error;
    };
    const TCase cases[] = {
        // Both slopes overflow; the centre then becomes 0/0, an invalid operation.
        {"1e4932*(1-zero(x-0.5))", "Gleitkommaüberlauf"},
        // The chord overflows alone.
        {"1e4932*heav(x-0.75)", "Gleitkommaüberlauf"},
        {"sqrt(1-sqr(x-0.5))", ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TRecordingFunction* function;
        auto method = MethodOn<TKvMathLenNumFunction>(c.Text, function);
        method->LowerBound = 0;
        method->UpperBound = 1;
        method->SetIntervalWidth(1);
        method->Calculate();
        EXPECT_EQ(method->GetErrorText(), c.Error);
        EXPECT_EQ(FpuTestFaults(), TFpuFault::None);
    }
}

} // namespace
