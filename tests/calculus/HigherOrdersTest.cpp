#include "calculus/HigherOrders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "calculus/MathDiff.h"
#include "functions/ExprText.h"
#include "functions/SimplifyImpl.h"
#include "tests/TimeLimit.h"
#include "tests/calculus/MathDiffTestSupport.h"

using namespace SymbolicTest;

namespace {

class HigherOrdersTest : public TSymbolicFixture {
protected:
    // The differencer's result simplified, or its message.
    std::string Derivative(const std::string& text, std::int32_t order) {
        TParsedFunction source(text);
        TKvMathDifferencer& differencer = MakeCreator<TKvMathDifferencer>(source.Function);
        differencer.SetOrder(order);
        differencer.VarName = "x";
        differencer.Execute();
        std::string result = differencer.ErrorText;
        if (result.empty()) {
            Target->Simplify();
            result = Target->ToText();
        }
        Target.reset();
        return result;
    }
};

// Pass after pass with nothing skipped, simplified.
std::string StepByStep(const std::string& text, std::int32_t order) {
    TParsedFunction source(text);
    TKvNodePtr tree = source.Tree().Clone(source.Function.VarDepot);
    for (std::int32_t pass = 0; pass < order; ++pass)
        tree = TKvMathDifferencer::DiffTree(*tree, "x", source.Function.VarDepot);
    SimplifyTree(tree);
    return ExpressionText(tree.get());
}

const char* const Expressions[] = {
    "cos(x)",  "sin(x)", "-sinh(x)",      "cosh(x)*2", "sin(x)+cos(x)", "sin(2*x)",
    "exp(-x)", "2^x",    "-(3*cos(x)/2)", "x*sin(x)",  "sin(x)/3-x^4",  "exp(x)",
};

} // namespace

TEST_F(HigherOrdersTest, SkippingGivesWhatEveryPassWouldGive) {
    for (const char* text : Expressions)
        for (std::int32_t order = 1; order <= 13; ++order)
            EXPECT_EQ(Derivative(text, order), StepByStep(text, order)) << text << " " << order;
}

TEST_F(HigherOrdersTest, HugeOrdersAnswerAtOnce) {
    const struct {
        const char* Text;
        std::int32_t Order;
        const char* Result;
    } cases[] = {
        // Rounds of negations at the root leave their sign.
        {"cos(x)", 2147483647, "sin(x)"},
        {"cos(x)", 2000000000, "cos(x)"},
        {"sin(x)", 2147483646, "-sin(x)"},
        {"-cos(x)", 30001, "sin(x)"},
        {"sinh(x)", 2147483647, "cosh(x)"},
        {"cosh(x)*2", 1000000001, "2*sinh(x)"},
        {"exp(x)", 2147483647, "exp(x)"},
        // Rounds that add other nodes would need more than may live.
        {"sin(2*x)", 2147483647, "Fehler im Differenzieren"},
        {"exp(-x)", 30000, "Fehler im Differenzieren"},
        {"2^x", 2147483647, "Fehler im Differenzieren"},
        {"sin(x)+cos(x)", 2147483647, "Fehler im Differenzieren"},
        {"x*sin(x)", 2147483647, "Fehler im Differenzieren"},
        {"arctan(x)", 2147483647, "Fehler im Differenzieren"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Derivative(c.Text, c.Order), c.Result) << c.Text << " " << c.Order;
        EXPECT_LT(std::chrono::steady_clock::now() - start, InputTimeLimit)
            << c.Text << " " << c.Order;
        EXPECT_EQ(NodeInstanceCount, Before) << c.Text;
    }
}

TEST_F(HigherOrdersTest, OrdersThatFitAreBuiltWhole) {
    // Each round adds nodes, but the result fits: nothing is refused early.
    EXPECT_EQ(Derivative("sin(2*x)", 40), StepByStep("sin(2*x)", 40));
    EXPECT_EQ(Derivative("exp(-x)", 41), StepByStep("exp(-x)", 41));
}

TEST_F(HigherOrdersTest, SignAloneIsToggled) {
    TKvVarDepot depot;
    const auto chain = [&](int negations) {
        TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sin);
        node->AddOperand(-1, TKvOperatorNode::CreateVariable(dtExtended, &depot, "x"));
        for (int i = 0; i < negations; ++i) {
            TKvNodePtr negation = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation);
            negation->AddOperand(-1, std::move(node));
            node = std::move(negation);
        }
        return node;
    };
    // Seen at order 3 with one negation, again at order 5 with two: a round of two orders adds
    // one negation, so an even number of rounds keeps the sign and an odd one turns it.
    const struct {
        std::int64_t Order;
        std::int64_t Reached;
        const char* Text;
    } cases[] = {{2005, 2005, "-(-sin(x))"}, {2007, 2007, "-sin(x)"}, {2008, 2007, "-sin(x)"}};
    for (const auto& c : cases) {
        THigherOrders orders(c.Order, "x");
        TKvNodePtr tree = chain(1);
        EXPECT_EQ(orders.Skip(tree, 3), 3);
        tree = chain(2);
        EXPECT_EQ(orders.Skip(tree, 5), c.Reached);
        EXPECT_EQ(ExpressionText(tree.get()), c.Text);
    }
}
