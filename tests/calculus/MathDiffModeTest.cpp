// The derivative and antiderivative modes of the calculation dispatch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Calculator.h"
#include "engine/MathTree.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

class SymbolicModeTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        Calculator.SetStandardVariables();
        Before = NodeInstanceCount;
    }
    void TearDown() override {
        // Nothing of a request outlives it but the main function's parsed tree.
        std::vector<std::string> none;
        Calculator.PrepareInput(none);
        EXPECT_EQ(NodeInstanceCount, Before);
        ResetDecimalSeparator();
    }

    TCalcOutcome Run(TCalcMode mode, const std::string& text, const std::string& var = "x",
                     std::int32_t order = 1) {
        TCalcRequest request;
        request.Mode = mode;
        request.InputLines = {text};
        request.DiffVar = var;
        request.DiffCount = order;
        return Calculator.RunCalculation(request);
    }

    TCalculator Calculator;
    std::int32_t Before = 0;
};

TEST_F(SymbolicModeTest, ModesShowTheSimplifiedTextOrTheMessage) {
    const struct {
        TCalcMode mode;
        const char* text;
        const char* var;
        std::int32_t order;
        const char* result;
        bool isError;
    } cases[] = {
        {cmDerivative, "x^3", "x", 1, "3*x^2", false},
        {cmDerivative, "x^3", "x", 3, "6", false},
        {cmDerivative, "t^2", "t", 1, "2*t", false},
        {cmDerivative, "x^2+y^3", "y", 1, "3*y^2", false},
        {cmDerivative, "t^2", "T", 1, "2*t", false},
        {cmDerivative, "abs(x)", "x", 1, "Fehler im Differenzieren", true},
        {cmDerivative, "x!", "x", 2, "Fehler im Differenzieren", true},
        {cmDerivative, "x^3*sin(x)+x^2", "x", 2000000000, "Fehler im Differenzieren", true},
        {cmAntiderivative, "t^2", "t", 1, "1/3*t^3", false},
        {cmAntiderivative, "sin(2*x)", "x", 1, "-cos(2*x)/2", false},
        {cmAntiderivative, "x*sin(x)", "x", 1, "Die Stammfunktion konnte nicht gebildet werden.",
         true},
        {cmAntiderivative, "exp(x^2)", "x", 1, "Fehler im Integrieren", true},
    };
    for (const auto& c : cases) {
        const TCalcOutcome outcome = Run(c.mode, c.text, c.var, c.order);
        EXPECT_EQ(outcome.ResultText.value_or("<none>"), c.result) << c.text;
        EXPECT_EQ(outcome.ResultIsError, c.isError) << c.text;
        EXPECT_TRUE(outcome.HistoryChanged) << c.text;
    }
}

TEST_F(SymbolicModeTest, TheVariableFieldIsAddedToTheStore) {
    EXPECT_EQ(Run(cmDerivative, "5", "z").ResultText, "0");
    EXPECT_GE(Calculator.MainFunction().IndexOfVar("z"), 0);
    EXPECT_EQ(Run(cmAntiderivative, "2", "w").ResultText, "2*w");
    EXPECT_GE(Calculator.MainFunction().IndexOfVar("w"), 0);
}

TEST_F(SymbolicModeTest, OrderBelowOneEndsTheRequestUntouched) {
    Run(cmDerivative, "x");
    const std::vector<std::string> history = Calculator.History;
    try {
        Run(cmDerivative, "x^2", "x", 0);
        ADD_FAILURE();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "Es gibt keine 0. Ableitung!");
    }
    EXPECT_EQ(Calculator.History, history);
}

TEST_F(SymbolicModeTest, SyntaxErrorMovesTheCaret) {
    const TCalcOutcome outcome = Run(cmAntiderivative, "2#x");
    EXPECT_EQ(outcome.ResultText, "Fehler im Integrieren");
    EXPECT_EQ(outcome.CaretPos, 1);
    EXPECT_FALSE(outcome.HistoryChanged);
}

} // namespace
