#include <gtest/gtest.h>

#include "app/Calculator.h"
#include "app/VarTable.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

struct TApplyCase {
    const char* Title;
    std::vector<TVarRow> Rows;
    std::vector<std::pair<std::string, long double>> Expected; // store order
};

class VarTableApply : public testing::TestWithParam<TApplyCase> {
protected:
    void SetUp() override { SetDecimalSeparator(','); }
    void TearDown() override { ResetDecimalSeparator(); }
};

TEST_P(VarTableApply, ReplacesTheStoreAsAWhole) {
    TCalculator calculator;
    calculator.MainFunction().AddVariable("old");
    ApplyVariableRows(calculator.MainFunction(), GetParam().Rows);
    std::vector<std::pair<std::string, long double>> actual;
    for (int i = 0; i < calculator.MainFunction().VarCount(); ++i)
        actual.emplace_back(calculator.MainFunction().GetVarName(i),
                            calculator.MainFunction().GetVarValueByIndex(i));
    EXPECT_EQ(actual, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VarTableApply,
    testing::Values(
        TApplyCase{"empty", {}, {}}, TApplyCase{"comma value", {{"x", "2,5"}}, {{"x", 2.5L}}},
        TApplyCase{"blanks around a value", {{"x", " 3 "}}, {{"x", 3}}},
        TApplyCase{"not a number", {{"x", "abc"}}, {{"x", 0}}},
        TApplyCase{"point under a comma locale", {{"x", "2.5"}}, {{"x", 0}}},
        TApplyCase{"empty value", {{"x", ""}}, {{"x", 0}}},
        TApplyCase{"empty name dropped", {{"", "5"}, {"y", "1"}}, {{"y", 1}}},
        TApplyCase{"same name, last wins, first spelling", {{"x", "1"}, {"X", "2"}}, {{"x", 2}}},
        TApplyCase{"name as typed", {{"ä1", "1"}}, {{"ä1", 1}}}),
    [](const testing::TestParamInfo<TApplyCase>& info) {
        std::string name;
        for (const char c : std::string(info.param.Title))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(VarTable, RowsShowDisplayTextAndStandardRowsTheGeneralText) {
    SetDecimalSeparator(',');
    TCalculator calculator;
    calculator.SetStandardVariables();
    calculator.MainFunction().AddVariable("big");
    calculator.MainFunction().SetVarValue("big", 1.5e-5L);
    const std::vector<TVarRow> rows = VariableRows(calculator.MainFunction());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Name, "big");
    EXPECT_EQ(rows[0].Value, "1,5E-5");
    EXPECT_EQ(rows[2].Value, "3,14159265358979");
    const std::vector<TVarRow> standard = StandardVariableRows();
    ASSERT_EQ(standard.size(), 2u);
    EXPECT_EQ(standard[0].Name + "=" + standard[0].Value, "Pi=3,14159265358979");
    EXPECT_EQ(standard[1].Name + "=" + standard[1].Value, "e=2,71828182845905");
    ResetDecimalSeparator();
}

TEST(VarTable, ApplyingDropsATreeThatReferredToRemovedVariables) {
    TCalculator calculator;
    TCalcRequest request;
    request.InputLines = {"q*2"};
    calculator.RunCalculation(request);
    ASSERT_NE(calculator.MainFunction().GetTree(), nullptr);
    ApplyVariableRows(calculator.MainFunction(), {{"r", "1"}});
    EXPECT_EQ(calculator.MainFunction().GetTree(), nullptr);
    calculator.MainFunction().Calculate();
    EXPECT_EQ(calculator.MainFunction().GetErrorText(), "");
    EXPECT_EQ(calculator.MainFunction().Result, 0);
}

} // namespace
