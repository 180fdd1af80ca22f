#include <gtest/gtest.h>

#include <chrono>

#include "app/Calculator.h"
#include "app/CommandLineRequest.h"
#include "app/IniHelp.h"
#include "app/SettingsFileArgument.h"
#include "app/StartUp.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"
#include "tests/TimeLimit.h"

namespace {

struct TLine {
    std::vector<std::string> Parameters;
    std::string Expression;
    std::int32_t DiffLevel;
    bool DoIntegrate, DoNewton, DoNumeric, DoSimplify;
    std::string VarName;
};

} // namespace

TEST(CommandLine, ReadsSwitchesOptionsAndWords) {
    const TLine lines[] = {
        {{}, "", 0, false, false, false, false, "x"},
        {{"3+4"}, " 3+4", 0, false, false, false, false, "x"},
        {{"sin(x)", "\\d", "2", "\\x", "x"}, " sin(x)", 2, false, false, false, false, "x"},
        {{"\\D3"}, "", 3, false, false, false, false, "x"},
        {{"\\d", "3"}, "", 3, false, false, false, false, "x"},
        {{"\\d", "\\i"}, "", 1, true, false, false, false, "x"},
        {{"\\d0"}, "", 0, false, false, false, false, "x"},
        {{"\\dx"}, "", 0, false, false, false, false, "x"},
        {{"\\d", "\\dx"}, "", 1, false, false, false, false, "x"},
        {{"\\vy=2", "\\n", "\\xy", "y^2-2"}, " y^2-2", 0, false, true, false, false, "y"},
        {{"\\xy1"}, "", 0, false, false, false, false, "y1"},
        {{"\\x1y"}, "", 0, false, false, false, false, "x"},
        {{"\\q", "5", "1"}, " 1", 0, false, false, false, false, "x"},
        {{"\\", "2", "\\"}, " 2", 0, false, false, false, false, "x"},
        {{"\\M", "\\C", "\\j", "\\s", "\\w", "a"}, " a", 0, false, false, true, true, "x"},
        {{"-i", "/tmp/n.ini", "1", "-I", ""}, " 1 -I", 0, false, false, false, false, "x"},
        {{"\\x", "-i", "f", "t"}, "", 0, false, false, false, false, "t"},
        // A repeated "-i": the file is the first parameter after it that is not "-i", for
        // both readers.
        {{"-i", "-i", "f", "2"}, " 2", 0, false, false, false, false, "x"},
    };
    for (const TLine& line : lines) {
        const TKvMathCommandLine reader(line.Parameters);
        SCOPED_TRACE(testing::PrintToString(line.Parameters));
        EXPECT_EQ(reader.Expression, line.Expression);
        EXPECT_EQ(reader.DiffLevel, line.DiffLevel);
        EXPECT_EQ(reader.DoIntegrate, line.DoIntegrate);
        EXPECT_EQ(reader.DoNewton, line.DoNewton);
        EXPECT_EQ(reader.DoNumeric, line.DoNumeric);
        EXPECT_EQ(reader.DoSimplify, line.DoSimplify);
        EXPECT_EQ(reader.VarName, line.VarName);
    }
}

TEST(CommandLine, VariablesAndNumbers) {
    SetDecimalSeparator(',');
    const TKvMathCommandLine reader(
        {"\\vy=2,5", "\\v", "z = 2.5 ", "\\vw", "\\vbad=abc", "\\l0.5", "\\t", "7", "\\vPi=3"});
    ResetDecimalSeparator();
    ASSERT_EQ(reader.VarListCount(), 6);
    const char* names[] = {"Pi", "e", "y", "z", "w", "Pi"};
    const long double values[] = {PiValue, EValue, 2.5L, 2.5L, 0, 3};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(reader.VarNameAt(i), names[i]);
        long double value = -1;
        EXPECT_EQ(reader.VarValueAt(i, value), i != 4) << i;
        if (i != 4) {
            EXPECT_EQ(value, values[i]) << i;
        }
    }
    EXPECT_EQ(reader.Errors, std::vector<std::string>{"Illegaler Parameterwert: bad=abc"});
    EXPECT_EQ(reader.IntervalWidth, 0.5L);
    EXPECT_EQ(reader.UpperBound, 7.0L);
}

TEST(CommandLine, HandlerFindsSettingsFile) {
    const TCommandLineHandler handler({"3", "-i", "/tmp/some.ini", "4"});
    EXPECT_EQ(handler.IniFileName, "/tmp/some.ini");
    EXPECT_EQ(DefaultIniFileName(), "/tmp/some.ini");
    EXPECT_EQ(handler.OtherParams, (std::vector<std::string>{"3", "4"}));
    const TCommandLineHandler repeated({"-i", "-i", "/tmp/other.ini", "2"});
    EXPECT_EQ(repeated.IniFileName, "/tmp/other.ini");
    SetIniFileName("");
}

TEST(CommandLine, StartSelectsModeAndFields) {
    struct Case {
        std::vector<std::string> Parameters;
        TCalcMode Mode;
        bool SimplifyAtOnce;
    } cases[] = {
        {{"x^2"}, cmSimple, false},
        {{"\\d", "2", "sin(x)"}, cmDerivative, false},
        {{"\\d", "\\m", "\\vx=1,5"}, cmNumDerivative, false},
        {{"\\i"}, cmAntiderivative, false},
        {{"\\i", "\\m", "\\vx=1", "\\t", "3", "\\l", "0.5"}, cmNumIntegral, false},
        {{"\\vy=2", "\\n", "\\xy"}, cmNewton, false},
        {{"\\c", "x+x"}, cmSimplify, true},
    };
    SetDecimalSeparator(',');
    for (const Case& c : cases) {
        TCalculator calculator;
        TCalcRequest request;
        bool panel = false;
        const bool now =
            ApplyCommandLine(TKvMathCommandLine(c.Parameters), calculator, request, panel);
        EXPECT_EQ(request.Mode, c.Mode);
        EXPECT_EQ(now, c.SimplifyAtOnce);
        EXPECT_EQ(panel, c.Mode != cmSimple);
        EXPECT_EQ(calculator.MainFunction().GetVarValue("pi"), PiValue);
    }
    TCalculator calculator;
    TCalcRequest request;
    bool panel = false;
    ApplyCommandLine(TKvMathCommandLine({"\\i", "\\m", "\\vx=1,5", "\\t", "3", "\\l", "0.5"}),
                     calculator, request, panel);
    EXPECT_EQ(request.IntgNumFromText, "1,5");
    EXPECT_EQ(request.IntgNumToText, "3");
    EXPECT_EQ(request.IntgNumIntvText, "0,5");
    ApplyCommandLine(TKvMathCommandLine({"\\vy=2", "\\n", "\\xy", "y^2-2"}), calculator, request,
                     panel);
    EXPECT_EQ(request.IterVar, "y");
    EXPECT_EQ(request.StartText, "2");
    EXPECT_EQ(request.InputLines, std::vector<std::string>{" y^2-2"});
    ResetDecimalSeparator();
}

TEST(CommandLine, VariablesWithoutNameAreRefused) {
    const TKvMathCommandLine reader({"\\v=5", "\\v", "  ", "\\v =", "\\v", " = 2", "\\vk"});
    ASSERT_EQ(reader.VarListCount(), 3);
    EXPECT_EQ(reader.VarNameAt(2), "k");
    EXPECT_EQ(reader.Errors, (std::vector<std::string>{
                                 "Illegaler Parameterwert: =5", "Illegaler Parameterwert:   ",
                                 "Illegaler Parameterwert:  =", "Illegaler Parameterwert:  = 2"}));
    TCalculator calculator;
    TCalcRequest request;
    bool panel = false;
    ApplyCommandLine(reader, calculator, request, panel);
    EXPECT_EQ(calculator.MainFunction().IndexOfVar(""), -1);
}

TEST(CommandLine, ThousandsOfParametersAreReadInTime) {
    constexpr std::chrono::milliseconds limit = InputTimeLimit;
    std::vector<std::string> parameters;
    std::string expression;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 5) {
        case 0:
            parameters.push_back("+a" + n);
            expression += " +a" + n;
            break;
        case 1:
            parameters.insert(parameters.end(), {"\\v", "a" + n + "=" + n});
            break;
        case 2:
            parameters.insert(parameters.end(), {"\\d", n});
            break;
        case 3:
            parameters.push_back(std::string(1000, '\\'));
            break;
        default:
            parameters.insert(parameters.end(), {"-i", "/nonexistent/" + n, ""});
            break;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    const TKvMathCommandLine reader(parameters);
    EXPECT_EQ(reader.Expression, expression);
    EXPECT_EQ(reader.VarListCount(), 2 + 2000);
    EXPECT_EQ(reader.DiffLevel, 9997);
    TCalculator calculator;
    TCalcRequest request;
    bool panel = false;
    ApplyCommandLine(reader, calculator, request, panel);
    EXPECT_EQ(calculator.MainFunction().VarCount(), 2 + 2000 + 1);
    const TCalcOutcome outcome = calculator.RunCalculation(request);
    // The derivative of order 9997 of a sum of 2000 variables other than x.
    EXPECT_EQ(request.Mode, cmDerivative);
    EXPECT_EQ(outcome.ResultText, "0");
    EXPECT_LT(std::chrono::steady_clock::now() - start, limit);
}
