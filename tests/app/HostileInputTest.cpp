// Inputs of any size and shape through every calculation mode: each ends within a second
// (longer under the sanitizers) with a German message or the documented result, keeps the
// input, and leaves no node behind.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "engine/MathTree.h"
#include "platform/Locale.h"
#include "tests/TimeLimit.h"

namespace {

constexpr std::chrono::milliseconds TimeLimit = InputTimeLimit;

std::string Repeat(const std::string& part, int times) {
    std::string text;
    text.reserve(part.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

const std::string TooManyNodes = "[Too much instances of TKvOperatorNode!]";
const std::string TooDeep = "[Ausdruck zu tief verschachtelt!]";
const std::string DiffFailed = "Fehler im Differenzieren";
const std::string IntgFailed = "Fehler im Integrieren";

// A result is either the text itself or, starting with "~", a text it contains.
bool Matches(const std::string& result, const std::string& expected) {
    if (!expected.empty() && expected[0] == '~')
        return result.find(expected.substr(1)) != std::string::npos;
    return result == expected;
}

struct TInput {
    const char* Name;
    std::string Text;
    // Simple, simplification, first derivative, derivative of order 2147483647, antiderivative.
    std::string Results[5];
};

std::vector<TInput> Inputs() {
    const std::string longName(1000000, 'x');
    const std::string factorials = "x" + std::string(MaxNodeInstances - 1, '!');
    return {
        {"1 MB of sums",
         Repeat("1+", 499999) + "1",
         {"~" + TooManyNodes, "~" + TooManyNodes, DiffFailed, DiffFailed, IntgFailed}},
        {"1 MB name", longName, {"0", longName, "0", "0", longName + "*x"}},
        {"1 MB number",
         std::string(1000000, '1'),
         {"~[Numerischer Wert wurde erwartet: \"111",
          "~[Numerischer Wert wurde erwartet: ", DiffFailed, DiffFailed, IntgFailed}},
        {"1 MB of blanks", std::string(1000000, ' ') + "2", {"2", "2", "0", "0", "2*x"}},
        {"1 MB of illegal characters",
         std::string(1000000, '#'),
         {"[Illegales Zeichen: #]" + std::string(1000000, '#'), "~[Illegales Zeichen: #]",
          DiffFailed, DiffFailed, IntgFailed}},
        {"100000 nested brackets",
         Repeat("(", 100000) + "1" + Repeat(")", 100000),
         {"~" + TooDeep, "~" + TooDeep, DiffFailed, DiffFailed, IntgFailed}},
        {"1000 nested brackets",
         Repeat("(", 1000) + "x" + Repeat(")", 1000),
         {"0", "x", "1", "0", "0.5*x^2"}},
        {"100000 prefix minus signs",
         Repeat("-", 100000) + "1",
         {"~" + TooManyNodes, "~" + TooManyNodes, DiffFailed, DiffFailed, IntgFailed}},
        {"100000 bracketed minus signs",
         Repeat("-(", 100000) + "x" + Repeat(")", 100000),
         {"~" + TooManyNodes, "~" + TooManyNodes, DiffFailed, DiffFailed, IntgFailed}},
        {"100000 function names",
         Repeat("sin ", 100000) + "x",
         {"~" + TooManyNodes, "~" + TooManyNodes, DiffFailed, DiffFailed, IntgFailed}},
        {"100000 function calls",
         Repeat("sin(", 100000) + "x" + Repeat(")", 100000),
         {"~" + TooManyNodes, "~" + TooManyNodes, DiffFailed, DiffFailed, IntgFailed}},
        // Trees at the node limit: rules that need one node more fail as documented.
        {"a chain of factorials at the node limit",
         factorials,
         {"1", factorials, DiffFailed, DiffFailed, IntgFailed}},
        {"a sum at the node limit",
         Repeat("1+", MaxNodeInstances / 2 - 1) + "1",
         {"5000", "5000", "0", DiffFailed, IntgFailed}},
        {"an alternating run at the node limit",
         "x" + Repeat("-x+x", 1666),
         {"0", "x", DiffFailed, DiffFailed, IntgFailed}},
    };
}

const TCalcMode Modes[] = {cmSimple, cmSimplify, cmDerivative, cmDerivative, cmAntiderivative};

} // namespace

TEST(HostileInput, EveryModeAnswersInTime) {
    SetDecimalSeparator('.');
    const std::int32_t before = NodeInstanceCount;
    for (const TInput& input : Inputs()) {
        for (int m = 0; m < 5; ++m) {
            SCOPED_TRACE(std::string(input.Name) + ", mode " + std::to_string(m));
            TCalcRequest request;
            request.InputLines = {input.Text};
            request.Mode = Modes[m];
            request.DiffCount = m == 3 ? 2147483647 : 1;
            const auto start = std::chrono::steady_clock::now();
            {
                TCalculator calculator;
                TCalcOutcome outcome;
                ASSERT_NO_THROW(outcome = calculator.RunCalculation(request));
                ASSERT_TRUE(outcome.ResultText.has_value());
                EXPECT_TRUE(Matches(*outcome.ResultText, input.Results[m]))
                    << outcome.ResultText->size()
                    << " characters: " << outcome.ResultText->substr(0, 80);
                // Nothing of the input is lost.
                EXPECT_TRUE(outcome.InputLines == request.InputLines);
                if (!outcome.CaretPos) {
                    EXPECT_TRUE(calculator.History.front() == input.Text);
                }
            }
            EXPECT_LT(std::chrono::steady_clock::now() - start, TimeLimit);
            EXPECT_EQ(NodeInstanceCount, before);
        }
    }
    ResetDecimalSeparator();
}
