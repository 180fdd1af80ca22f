// The numeric modes on everyday input, through the calculator as a user drives them, against
// values computed with 200-bit arithmetic (numeric_references.py). Each bound is one that
// extended arithmetic reaches; the worst error seen is printed beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Calculator.h"
#include "platform/Locale.h"

namespace {

#include "tests/calculus/NumericReferences.inc"

struct TDerivative {
    const char* Text;
    const char* Point;
    int Order;
    long double Value;
};
struct TInterval {
    char Kind;
    const char* Text;
    const char* From;
    const char* To;
    const char* Width;
    long double Value;
};
struct TZero {
    const char* Text;
    const char* Start;
    long double Value;
};

const TDerivative Derivatives[] = {NIMBREL_DERIVATIVES};
const TInterval Intervals[] = {NIMBREL_INTERVALS};
const TZero Zeros[] = {NIMBREL_ZEROS};

// The worst relative error allowed per order of the numeric derivative, relative to
// max(1, |true value|).
constexpr double OrderBounds[] = {0, 1e-8, 1e-8, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2};

class NumericAccuracyTest : public testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }

    // The value the result line shows; NaN for a message.
    long double Shown(TCalcRequest request, TCalcMode mode, const char* text) {
        request.Mode = mode;
        request.InputLines = {text};
        const TCalcOutcome outcome = Calculator.RunCalculation(request);
        const std::string shown = outcome.ResultText.value_or("");
        char* end = nullptr;
        const long double value = std::strtold(shown.c_str(), &end);
        if (outcome.ResultIsError || shown.empty() || *end != '\0') {
            ADD_FAILURE() << text << ": " << shown;
            return NAN;
        }
        return value;
    }

    static double Error(long double shown, long double truth) {
        return static_cast<double>(std::fabs(shown - truth) / std::fmax(1.0L, std::fabs(truth)));
    }

    TCalculator Calculator;
};

TEST_F(NumericAccuracyTest, DerivativesOfEveryOrderStayWithinTheirBounds) {
    double worst[std::size(OrderBounds)] = {};
    for (const TDerivative& c : Derivatives) {
        TCalcRequest request;
        request.DiffNumCount = c.Order;
        request.DiffNumXText = c.Point;
        const double error = Error(Shown(request, cmNumDerivative, c.Text), c.Value);
        EXPECT_LE(error, OrderBounds[c.Order])
            << c.Text << " order " << c.Order << " at " << c.Point;
        worst[c.Order] = std::max(worst[c.Order], error);
    }
    for (int order = 1; order < static_cast<int>(std::size(OrderBounds)); ++order)
        std::printf("order %d: worst error %.2g (bound %.0g)\n", order, worst[order],
                    OrderBounds[order]);
}

TEST_F(NumericAccuracyTest, IntegralsAndLengthsCoverExactlyTheInterval) {
    double worst = 0;
    for (const TInterval& c : Intervals) {
        TCalcRequest request;
        request.IntgNumFromText = request.LenNumFromText = c.From;
        request.IntgNumToText = request.LenNumToText = c.To;
        request.IntgNumIntvText = request.LenNumIntvText = c.Width;
        const TCalcMode mode = c.Kind == 'I' ? cmNumIntegral : cmCurveLength;
        const double error = Error(Shown(request, mode, c.Text), c.Value);
        EXPECT_LE(error, 1e-12) << c.Kind << " " << c.Text << " " << c.From << ".." << c.To
                                << " width " << c.Width;
        worst = std::max(worst, error);
    }
    std::printf("integrals and lengths: worst error %.2g\n", worst);
}

TEST_F(NumericAccuracyTest, NewtonFindsTextbookZerosWithItsDefaults) {
    for (const TZero& c : Zeros) {
        TCalcRequest request;
        request.StartText = c.Start;
        const long double shown = Shown(request, cmNewton, c.Text);
        // Half a unit in the 15th digit shown, as the zero rounded to 15 digits.
        const long double digit =
            c.Value == 0 ? 0 : std::pow(10.0L, std::floor(std::log10(std::fabs(c.Value))) - 14);
        EXPECT_LE(std::fabs(shown - c.Value), 0.51L * digit + 1e-18L)
            << c.Text << " from " << c.Start;
    }
}

} // namespace
