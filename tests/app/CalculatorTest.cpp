#include <gtest/gtest.h>

#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"

namespace {

TCalcOutcome Request(TCalculator& calculator, std::vector<std::string> lines) {
    TCalcRequest request;
    request.InputLines = std::move(lines);
    return calculator.RunCalculation(request);
}

} // namespace

TEST(Calculator, PrepareInputPutsPlusBetweenOperands) {
    struct Case {
        std::vector<std::string> Lines;
        std::string Expression;
        std::vector<std::string> After;
    } cases[] = {
        {{"3", "4"}, "3+4", {"3", "+4"}},
        {{"3+", "4"}, "3+4", {"3+", "4"}},
        {{"sin(", "x)"}, "sin(x)", {"sin(", "x)"}},
        {{" 2 ", "", "\t", "  y  "}, "2+y", {" 2 ", "", "\t", "+  y  "}},
        {{"a", "(b)"}, "a(b)", {"a", "(b)"}},
        {{}, "", {}},
    };
    for (const Case& c : cases) {
        TCalculator calculator;
        std::vector<std::string> lines = c.Lines;
        EXPECT_EQ(calculator.PrepareInput(lines), c.Expression);
        EXPECT_EQ(lines, c.After);
        EXPECT_EQ(calculator.Parser().GetExpression(), c.Expression);
    }
}

TEST(Calculator, HistoryKeepsNewestFirstWithoutDuplicates) {
    TCalculator calculator;
    for (const char* input : {"A", "B", "A", "A"}) calculator.AddToHistory(input);
    EXPECT_EQ(calculator.History, (std::vector<std::string>{"A", "B"}));
    for (int i = 0; i < 25; ++i) calculator.AddToHistory(std::to_string(i));
    ASSERT_EQ(calculator.History.size(), 20u);
    EXPECT_EQ(calculator.History.front(), "24");
    EXPECT_EQ(calculator.History.back(), "5");
    calculator.HistoryMaxCount = 3; // a longer list shrinks by one per addition
    calculator.AddToHistory("new");
    EXPECT_EQ(calculator.History.size(), 20u);
}

TEST(Calculator, TokenizerErrorMovesCaretInsteadOfHistory) {
    TCalculator calculator;
    TCalcOutcome outcome = Request(calculator, {"2#3"});
    EXPECT_EQ(outcome.ResultText, "2[Illegales Zeichen: #]#3");
    EXPECT_TRUE(outcome.ResultIsError);
    EXPECT_EQ(outcome.CaretPos, 1);
    EXPECT_FALSE(outcome.HistoryChanged);
    EXPECT_TRUE(calculator.History.empty());

    outcome = Request(calculator, {"3+*4"}); // a builder error has no position
    EXPECT_FALSE(outcome.CaretPos.has_value());
    EXPECT_TRUE(outcome.HistoryChanged);

    outcome = Request(calculator, {"3", "4"});
    EXPECT_EQ(outcome.ResultText, "7");
    EXPECT_FALSE(outcome.ResultIsError);
    EXPECT_EQ(outcome.InputLines, (std::vector<std::string>{"3", "+4"}));
    EXPECT_EQ(calculator.History, (std::vector<std::string>{"3\r\n+4", "3+*4"}));

    outcome = Request(calculator, {});
    EXPECT_EQ(outcome.ResultText, "0");
    EXPECT_EQ(calculator.History.front(), "");
}

TEST(Calculator, VariablesPersistAcrossRequestsAndShowInHint) {
    SetDecimalSeparator(',');
    TCalculator calculator;
    EXPECT_EQ(calculator.VariablesHint(), "");
    calculator.SetStandardVariables();
    Request(calculator, {"zeta+a"});
    calculator.MainFunction().SetVarValue("a", 1.5L);
    EXPECT_EQ(Request(calculator, {"A*2"}).ResultText, "3");
    EXPECT_EQ(Request(calculator, {"pi/4"}).ResultText, "0,785398163397448");
    EXPECT_EQ(calculator.VariablesHint(), "a=1.5\re=2.71828182845905\rPi=3.14159265358979\rzeta=0");
    ResetDecimalSeparator();
}
