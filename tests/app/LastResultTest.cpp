#include <gtest/gtest.h>

#include "app/Calculator.h"
#include "app/LastResult.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

TEST(VariableName, FollowsTheTokenizersNames) {
    const struct {
        const char* Name;
        bool Valid;
    } cases[] = {{"x", true},  {"Pi", true},   {"x2", true},    {"ans", true},
                 {"", false},  {"2x", false},  {"a b", false},  {"a_b", false},
                 {"ä", false}, {"sin", false}, {"SQRT", false}, {"Rnd", false}};
    for (const auto& c : cases)
        EXPECT_EQ(VariableNameProblem(c.Name).empty(), c.Valid) << c.Name;
}

// Runs text in plain evaluation and lets the rule see the outcome.
long double Calculate(TCalculator& calculator, TLastResult& last, const std::string& text,
                      TCalcMode mode = cmSimple) {
    TCalcRequest request;
    request.Mode = mode;
    request.InputLines = {text};
    last.Record(calculator.RunCalculation(request));
    const std::int32_t index = calculator.MainFunction().IndexOfVar(TLastResult::Name);
    return index < 0 ? -1 : calculator.MainFunction().GetVarValueByIndex(index);
}

TEST(LastResult, KeepsNumbersAtFullPrecisionOnly) {
    SetDecimalSeparator('.');
    TCalculator calculator;
    TLastResult last(calculator.MainFunction());
    EXPECT_FALSE(last.HasResult());
    EXPECT_EQ(Calculate(calculator, last, "1/3"), 1.0L / 3);
    EXPECT_EQ(Calculate(calculator, last, "ans*3"), 1.0L);
    // A message and an expression text leave the last number.
    EXPECT_EQ(Calculate(calculator, last, "1/0"), 1.0L);
    EXPECT_EQ(Calculate(calculator, last, "x+x", cmSimplify), 1.0L);
    EXPECT_NEAR(static_cast<double>(Calculate(calculator, last, "x^2", cmNumIntegral)), 333, 1e-9);
    EXPECT_TRUE(last.HasResult());
    ResetDecimalSeparator();
}

TEST(LastResult, NeverWritesAUsersVariable) {
    TCalculator calculator;
    calculator.MainFunction().AddVariable("ANS");
    calculator.MainFunction().SetVarValue("ANS", 7);
    TLastResult loaded(calculator.MainFunction());
    EXPECT_FALSE(loaded.OwnsName());
    EXPECT_EQ(Calculate(calculator, loaded, "2"), 7);

    TCalculator fresh;
    TLastResult last(fresh.MainFunction());
    EXPECT_EQ(Calculate(fresh, last, "2"), 2);
    last.Assigned("Ans");
    fresh.MainFunction().SetVarValue("ans", 5);
    EXPECT_EQ(Calculate(fresh, last, "3"), 5);
}

TEST(LastResult, IsHiddenWhileTheVariablesAreSaved) {
    TCalculator calculator;
    TLastResult last(calculator.MainFunction());
    Calculate(calculator, last, "4");
    {
        const TLastResult::Hidden hidden(last);
        EXPECT_EQ(calculator.MainFunction().GetVarValue("ans"), 0);
    }
    EXPECT_EQ(calculator.MainFunction().GetVarValue("ans"), 4);

    last.Assigned("ans");
    const TLastResult::Hidden hidden(last);
    EXPECT_EQ(calculator.MainFunction().GetVarValue("ans"), 4);
}

} // namespace
