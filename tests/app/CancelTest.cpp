// Long requests stopped through the progress hook.
#include <gtest/gtest.h>

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

TEST_F(CancelTest, NumericDerivativeStopsAndLeavesTheVariableWhereTheMethodWas) {
    TCalcRequest request;
    request.InputLines = {"sin(x)*exp(x)+sqrt(x^2+1)*ln(x+2)"};
    request.Mode = cmNumDerivative;
    request.DiffNumCount = 20;
    request.DiffNumXText = "1";
    ExpectCancelled(RunStopped(request));
    EXPECT_GE(Fractions[0], 0.0);
    EXPECT_LT(Fractions[0], 1.0);
    // The variable holds the method's last sample, within twenty steps of the point.
    EXPECT_NEAR(static_cast<double>(Calculator.MainFunction().GetVarValue("x")), 1.0, 2.1e-9);
}

TEST_F(CancelTest, AHookThatGoesOnChangesNothing) {
    TCalcRequest request;
    request.InputLines = {"sin(x)"};
    request.Mode = cmNumDerivative;
    request.DiffNumCount = 16;
    request.DiffNumXText = "0";
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

TEST_F(CancelTest, ANewRequestForgetsTheStop) {
    TCalcRequest request;
    request.InputLines = {"x"};
    request.Mode = cmNumDerivative;
    request.DiffNumCount = 20;
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
