// Long requests stopped through the progress hook.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>

#include "app/Calculator.h"
#include "engine/Progress.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

class CancelTest : public testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }

    // Runs the request with a hook that records every fraction and stops at the first call.
    TCalcOutcome RunStopped(TCalcRequest request) {
        Calculator.AddToHistory("1+1");
        Calculator.ProgressHook = [this](double fraction) {
            Fractions.push_back(fraction);
            return false;
        };
        return Calculator.RunCalculation(request);
    }

    void ExpectCancelled(const TCalcOutcome& outcome) {
        EXPECT_EQ(outcome.ResultText.value_or(""), "Berechnung abgebrochen");
        EXPECT_TRUE(outcome.ResultIsError);
        EXPECT_FALSE(outcome.CaretPos.has_value());
        EXPECT_FALSE(outcome.HistoryChanged);
        EXPECT_EQ(Calculator.History, std::vector<std::string>{"1+1"});
        EXPECT_EQ(Fractions.size(), 1u);
    }

    TCalculator Calculator;
    std::vector<double> Fractions;
};

struct TLongCase {
    const char* Title;
    TCalcMode Mode;
    const char* Input;
};

class CancelEachKind : public CancelTest, public testing::WithParamInterface<TLongCase> {};

// Each would run for minutes; the first report stops it.
TEST_P(CancelEachKind, StopsWithoutHistoryOrCaret) {
    TCalcRequest request;
    request.InputLines = {GetParam().Input};
    request.Mode = GetParam().Mode;
    request.MaxIter = 0;                                    // Newton without limit
    request.IntgNumFromText = request.LenNumFromText = "0"; // 10^9 pieces of 1E-8
    request.IntgNumToText = request.LenNumToText = "10";
    request.IntgNumIntvText = request.LenNumIntvText = "1e-8";
    request.DiffCount = 2000000000;
    ExpectCancelled(RunStopped(request));
    ASSERT_EQ(Fractions.size(), 1u);
    EXPECT_TRUE(Fractions[0] >= 0 && Fractions[0] < 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CancelEachKind,
                         testing::Values(TLongCase{"Newton", cmNewton, "x^3-2*x+2"},
                                         TLongCase{"Simpson", cmNumIntegral, "sin(x)"},
                                         TLongCase{"CurveLength", cmCurveLength, "sin(x)"}),
                         [](const testing::TestParamInfo<TLongCase>& info) {
                             return std::string(info.param.Title);
                         });

TEST_F(CancelTest, NewtonLeavesTheVariableAtItsLastIterate) {
    TCalcRequest request;
    request.InputLines = {"x^3-2*x+2"};
    request.Mode = cmNewton;
    request.MaxIter = 0;
    RunStopped(request);
    // From 0 the method cycles between 0 and 1.
    const long double x = Calculator.MainFunction().GetVarValue("x");
    EXPECT_TRUE(std::fabs(x) < 1e-6L || std::fabs(x - 1) < 1e-6L) << static_cast<double>(x);
}

TEST_F(CancelTest, AHookThatGoesOnChangesNothing) {
    TCalcRequest request;
    request.InputLines = {"sin(x)"};
    request.Mode = cmNumDerivative;
    request.DiffNumCount = 7;
    request.DiffNumXText = "5";
    const TCalcOutcome plain = Calculator.RunCalculation(request);
    int calls = 0;
    Calculator.ProgressHook = [&calls](double) {
        ++calls;
        return true;
    };
    const TCalcOutcome hooked = Calculator.RunCalculation(request);
    EXPECT_EQ(hooked.ResultText, plain.ResultText);
    EXPECT_TRUE(hooked.HistoryChanged);
}

// The hook runs the window's events, whose arithmetic may leave fault flags behind; they are not
// the calculation's faults.
TEST_F(CancelTest, FlagsLeftByTheHookAreNotFaults) {
    struct TCase {
        TCalcMode Mode;
        const char* Input;
    };
    const char* const slow = "sin(x)*exp(x)+sqrt(x^2+1)*ln(x+2)";
    const TCase cases[] = {{cmNumIntegral, slow}, {cmCurveLength, slow}, {cmNewton, "x^3-2*x+2"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Mode);
        TCalcRequest request;
        request.InputLines = {c.Input};
        request.Mode = c.Mode;
        // Each runs several times the hook's interval, so that the hook is asked even on a fast,
        // idle machine.
        request.MaxIter = 3000000;
        request.IntgNumFromText = request.LenNumFromText = "0";
        request.IntgNumToText = request.LenNumToText = "10";
        request.IntgNumIntvText = request.LenNumIntvText = "0.00002";
        Calculator.ProgressHook = nullptr;
        const TCalcOutcome plain = Calculator.RunCalculation(request);
        int calls = 0;
        Calculator.ProgressHook = [&calls](double) {
            ++calls;
            std::feraiseexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
            return true;
        };
        const TCalcOutcome hooked = Calculator.RunCalculation(request);
        EXPECT_GT(calls, 0);
        EXPECT_EQ(hooked.ResultText, plain.ResultText);
    }
}

TEST_F(CancelTest, ANewRequestForgetsTheStop) {
    TCalcRequest request;
    request.InputLines = {"x^3-2*x+2"};
    request.Mode = cmNewton;
    request.MaxIter = 0;
    RunStopped(request);
    Calculator.ProgressHook = nullptr;
    request.InputLines = {"2+3"};
    request.Mode = cmSimple;
    EXPECT_EQ(Calculator.RunCalculation(request).ResultText.value_or(""), "5");
}

TEST(ProgressTicker, AsksTheHookOnlyAfterTheIntervalAndStaysStopped) {
    int calls = 0;
    const TProgressScope scope([&calls](double) { return ++calls < 2; });
    TProgressTicker ticker;
    for (int i = 0; i < 1000; ++i)
        ticker.Tick(0.5);
    EXPECT_EQ(calls, 0) << "a quick loop never reaches the hook";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
                     ticker.Tick(0.5),
                 ECalculationCancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(ProgressCancelled());
    TProgressTicker another;
    EXPECT_THROW(another.Check(0), ECalculationCancelled);
}

TEST(ProgressTicker, WithoutAHookNothingIsAsked) {
    EXPECT_FALSE(ProgressCancelled());
    TProgressTicker ticker;
    for (int i = 0; i < 100000; ++i)
        ticker.Tick(0.1);
}

} // namespace
