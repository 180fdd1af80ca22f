// The numeric modes of the calculator: parse first, fields converted in order, traces kept.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "platform/Exceptions.h"
#include "platform/Locale.h"

namespace {

class NumericModesTest : public testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }

    TCalcOutcome Calc(TCalcRequest request, TCalcMode mode, const std::string& input) {
        request.Mode = mode;
        request.InputLines = {input};
        return Calculator.RunCalculation(request);
    }
    TKvMathTreeFunction& Main() { return Calculator.MainFunction(); }

    TCalculator Calculator;
};

TEST_F(NumericModesTest, ParseErrorIsShownInsteadOfRunningTheMethod) {
    for (const TCalcMode mode : {cmNewton, cmNumDerivative, cmNumIntegral, cmCurveLength}) {
        SCOPED_TRACE(mode);
        Main().AddVariable("x");
        Main().SetVarValue("x", 7);
        TCalcOutcome outcome = Calc({}, mode, "2#x");
        EXPECT_EQ(outcome.ResultText, "2[Illegales Zeichen: #]#x");
        EXPECT_EQ(outcome.CaretPos, 1);
        EXPECT_FALSE(outcome.HistoryChanged);
        outcome = Calc({}, mode, "2x"); // no position: goes into the history
        EXPECT_EQ(outcome.ResultText,
                  "2x[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]");
        EXPECT_TRUE(outcome.HistoryChanged);
        EXPECT_EQ(Main().GetVarValue("x"), 7);
    }
}

TEST_F(NumericModesTest, RunningVariableKeepsTheLastTrialValue) {
    TCalcRequest request;
    request.IterVar = "y";
    request.StartText = "1";
    EXPECT_EQ(Calc(request, cmNewton, "y^2-2").ResultText, "1.4142135623731");
    // The step grows with |y| beyond 1.
    const long double root = std::sqrt(2.0L);
    EXPECT_NEAR(static_cast<double>(Main().GetVarValue("y") - root), 1e-10 * root, 2e-19);
}

// A failing conversion ends the request; the variable stays if its step came first.
TEST_F(NumericModesTest, FieldsAreConvertedInOrder) {
    struct TCase {
        TCalcMode Mode;
        void (*Spoil)(TCalcRequest&);
        const char* Message;
        bool VariableAdded;
    };
    const TCase cases[] = {
        {cmNewton, [](TCalcRequest& r) { r.DeltaText = "abc"; }, "'abc'", false},
        {cmNewton, [](TCalcRequest& r) { r.StartText = "1,5"; }, "'1,5'", true},
        {cmNumDerivative, [](TCalcRequest& r) { r.DiffNumCount = 0; }, "Es gibt keine 0.", false},
        {cmNumDerivative, [](TCalcRequest& r) { r.DiffNumXText = ""; }, "''", true},
        {cmNumIntegral, [](TCalcRequest& r) { r.IntgNumToText = "zehn"; }, "'zehn'", true},
        {cmCurveLength, [](TCalcRequest& r) { r.LenNumIntvText = "0"; }, "Intervall bei", true},
    };
    int round = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Message);
        const std::string variable = "v" + std::to_string(++round);
        TCalcRequest request;
        request.IterVar = request.DiffNumVar = request.IntgNumVar = request.LenNumVar = variable;
        c.Spoil(request);
        try {
            Calc(request, c.Mode, "x");
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.Message, 0), 0u) << e.what();
        }
        EXPECT_EQ(Main().IndexOfVar(variable) >= 0, c.VariableAdded);
        EXPECT_TRUE(Calculator.History.empty());
    }
}

} // namespace
