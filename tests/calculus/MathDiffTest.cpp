#include "calculus/MathDiff.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/TimeLimit.h"
#include "tests/calculus/MathDiffTestSupport.h"

using namespace SymbolicTest;

namespace {

class DifferencerTest : public TSymbolicFixture {
protected:
    TKvMathDifferencer& MakeDifferencer(TKvMathTreeFunction& source, std::int32_t order = 1) {
        TKvMathDifferencer& result = MakeCreator<TKvMathDifferencer>(source);
        result.SetOrder(order);
        return result;
    }
    TKvMathDifferencer& Derive(TKvMathTreeFunction& source, std::int32_t order = 1,
                               const std::string& var = "x") {
        TKvMathDifferencer& differencer = MakeDifferencer(source, order);
        differencer.VarName = var;
        differencer.Execute();
        return differencer;
    }
    std::string ShapeOfDerivative(const std::string& text, std::int32_t order = 1,
                                  const std::string& var = "x") {
        TParsedFunction source(text);
        const std::string error = Derive(source.Function, order, var).ErrorText;
        return error.empty() ? Shape(Target->GetTree()) : error;
    }
};

TEST_F(DifferencerTest, RulesBuildTheirTreesUnsimplified) {
    const struct {
        const char* text;
        const char* shape;
    } cases[] = {
        {"5", "0"},
        {"2*y", "0"},
        {"x", "1"},
        {"3*x", "3"},
        {"x*x", "+(x,x)"},
        {"a*x*b*sin(x)", "*(a,b,+(sin(x),*(x,cos(x))))"},
        {"abs(2)*x", "abs(2)"},
        {"x+y+x", "+(1,1)"},
        {"1/x", "-(/(1,^(x,2)))"},
        {"3/x", "-(/(*(3,1),^(x,2)))"},
        {"1/(2*x)/x", "-(/(+(*(2,x),*(2,x)),^(*(*(2,x),x),2)))"},
        {"sin(x)/2/y", "/(cos(x),2,y)"},
        {"x/(x+1)", "/(+(*(1,+(x,1)),-(*(x,1))),^(+(x,1),2))"},
        {"x^3", "*(3,^(x,+(3,-(1))))"},
        {"(2*x)^3", "*(3,^(*(2,x),+(3,-(1))),2)"},
        {"x^2^3", "*(*(2,3),^(x,+(*(2,3),-(1))))"},
        {"2^x", "*(exp(*(x,ln(2))),ln(2))"},
        {"x^x", "*(exp(*(x,ln(x))),+(ln(x),*(x,/(1,x))))"},
        {"-sin(x)", "-(cos(x))"},
        {"exp(2*x)", "*(exp(*(2,x)),2)"},
        {"ln(2*x)", "*(/(1,*(2,x)),2)"},
        {"log(x)", "/(/(1,x),ln(10))"},
        {"ld(x)", "/(/(1,x),ln(2))"},
        {"sqr(x)", "*(2,^(x,+(2,-(1))))"},
        {"sqrt(3*x)", "*(0.5,^(*(3,x),+(0.5,-(1))),3)"},
        {"sin(2*x)", "*(cos(*(2,x)),2)"},
        {"cos(x)", "-(sin(x))"},
        {"tan(x)", "/(+(*(cos(x),cos(x)),-(*(sin(x),-(sin(x))))),^(cos(x),2))"},
        {"cot(x)", "/(+(*(-(sin(x)),sin(x)),-(*(cos(x),cos(x)))),^(sin(x),2))"},
        {"arcsin(x)", "/(1,sqrt(+(1,-(sqr(x)))))"},
        {"arccos(x)", "/(-1,sqrt(+(1,-(sqr(x)))))"},
        {"arccos(2*x)", "*(/(-1,sqrt(+(1,-(sqr(*(2,x)))))),2)"},
        {"arctan(x)", "/(1,+(1,sqr(x)))"},
        {"arccot(x)", "-(/(1,+(1,sqr(x))))"},
        {"sinh(x)", "cosh(x)"},
        {"cosh(x)", "sinh(x)"},
        {"tanh(x)", "/(1,sqr(cosh(x)))"},
        {"coth(x)", "/(-1,sqr(sinh(x)))"},
        {"arcsinh(x)", "/(1,sqrt(+(sqr(x),1)))"},
        {"arccosh(x)", "/(1,sqrt(+(sqr(x),-(1))))"},
        {"arctanh(x)", "/(1,+(1,-(sqr(x))))"},
        {"arccoth(x)", "/(1,+(1,-(sqr(x))))"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShapeOfDerivative(c.text), c.shape) << c.text;
}

TEST_F(DifferencerTest, DerivativesAgreeWithDifferenceQuotients) {
    const char* const texts[] = {
        "x^3-2*x+5",    "2*x*sin(x)*cos(x)", "x/(x^2+1)",
        "1/x/(x+2)",    "3/(x^2+1)/2",       "(x^2+1)/(2*x)/x",
        "x^x",          "(2*x+1)^(x/3)",     "2^x^2",
        "x^2^3",        "-(x^2)+(-x)",       "exp(sin(x))",
        "ln(x^2+1)",    "log(3*x)",          "ld(x^2+2)",
        "sqr(sin(x))",  "sqrt(x^2+3)",       "tan(x^2)",
        "cot(2*x+1)",   "arcsin(x/2)",       "arccos(x^2)",
        "arctan(3*x)",  "arccot(x^2)",       "sinh(2*x)",
        "cosh(x^2)",    "tanh(x/2)",         "coth(x+1)",
        "arcsinh(x^2)", "arccosh(x^2+1)",    "arctanh(x/3)",
        "arccoth(x+2)", "x*y^2/(y+x)",       "sin(x)^cos(x)",
        "(x+1)^(-2)",   "exp(-x)*x^2^0.5",   "2*x-x*3",
    };
    for (const char* text : texts) {
        TParsedFunction source(text);
        source.Tree();
        source.Function.AddVariable("y");
        source.Function.SetVarValue("y", 1.5L);
        TKvMathDifferencer& differencer = Derive(source.Function);
        ASSERT_EQ(differencer.ErrorText, "") << text;
        for (const long double x : {0.35L, 0.8L}) {
            const auto expected = NumericDerivative(source.Function, "x", x);
            const auto actual = ValueAt(*Target, "x", x);
            ASSERT_TRUE(expected && actual) << text << " at " << static_cast<double>(x);
            EXPECT_TRUE(Close(*actual, *expected))
                << text << " at " << static_cast<double>(x) << ": " << static_cast<double>(*actual)
                << " vs " << static_cast<double>(*expected);
        }
    }
}

TEST_F(DifferencerTest, EachOrderIsTheDerivativeOfTheOrderBelow) {
    const struct {
        const char* text;
        std::int32_t order;
    } cases[] = {{"x^3", 3}, {"sin(x)*exp(x)", 3}, {"x/(x+1)", 2}, {"x^x", 2}, {"tan(x)", 2}};
    for (const auto& c : cases) {
        TParsedFunction source(c.text);
        TKvMathTreeFunction lower;
        auto lowerDifferencer = std::make_unique<TKvMathDifferencer>(&lower);
        lowerDifferencer->SetSource(&source.Function);
        lowerDifferencer->SetOrder(c.order - 1);
        lower.SetCreator(lowerDifferencer.release());
        // Building the tree copies the source's values into the target's store.
        lower.Calculate();
        TKvMathDifferencer& differencer = Derive(source.Function, c.order);
        ASSERT_EQ(differencer.ErrorText, "") << c.text;
        for (const long double x : {0.4L, 1.3L}) {
            const auto expected = NumericDerivative(lower, "x", x);
            const auto actual = ValueAt(*Target, "x", x);
            ASSERT_TRUE(expected && actual) << c.text;
            EXPECT_TRUE(Close(*actual, *expected, 1e-6L))
                << c.text << " order " << c.order << " at " << static_cast<double>(x) << ": "
                << static_cast<double>(*actual) << " vs " << static_cast<double>(*expected);
        }
    }
}

TEST_F(DifferencerTest, UndifferentiableFunctionsFail) {
    for (const char* text : {"abs(x)", "Int(x)", "rnd(x)", "sgn(2*x)", "x!", "(2*x)!", "sin(x)*x!",
                             "sin(x!)", "sin(", ""})
        EXPECT_EQ(ShapeOfDerivative(text), "Fehler im Differenzieren") << text;
    // Without the variable these do not matter.
    EXPECT_EQ(ShapeOfDerivative("x*abs(2)+3!"), "abs(2)");
}

TEST_F(DifferencerTest, VariableIsChosenFromTheSourceUnlessGiven) {
    const struct {
        const char* text;
        std::vector<const char*> extraVariables;
        const char* varName;
        const char* shape;
    } cases[] = {
        {"t^2", {"x"}, "", "0"},
        {"t^2", {}, "", "*(2,^(t,+(2,-(1))))"},
        {"t^2", {"Pi", "e"}, "", "0"},
        {"t^2", {"Pi", "e", "x"}, "T", "*(2,^(t,+(2,-(1))))"},
        {"x^2+y^3", {}, "y", "*(3,^(y,+(3,-(1))))"},
        {"5", {}, "", "0"},
    };
    for (const auto& c : cases) {
        TParsedFunction source(c.text);
        source.Tree();
        for (const char* name : c.extraVariables)
            source.Function.AddVariable(name);
        TKvMathDifferencer& differencer = Derive(source.Function, 1, c.varName);
        EXPECT_EQ(Shape(Target->GetTree()), c.shape) << c.text << " " << c.varName;
        // The choice stays for later runs.
        const std::string chosen = differencer.VarName;
        source.Function.AddVariable("a");
        differencer.Execute();
        EXPECT_EQ(differencer.VarName, chosen);
    }
}

TEST_F(DifferencerTest, SourceMessageIsPassedOn) {
    TKvMathTreeFunction source;
    source.SetErrorText("Division durch 0");
    TKvMathDifferencer& differencer = Derive(source, 1, "");
    EXPECT_EQ(differencer.ErrorText, "Division durch 0");
    EXPECT_EQ(Target->GetTree(), nullptr);
    EXPECT_EQ(differencer.VarName, "");
}

TEST_F(DifferencerTest, OrderBelowOneIsRefused) {
    TParsedFunction source("x^2");
    TKvMathDifferencer& differencer = MakeDifferencer(source.Function, 2);
    for (const std::int32_t order : {0, -3}) {
        try {
            differencer.SetOrder(order);
            ADD_FAILURE() << order;
        } catch (const EKvIllegalDiffLevel& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Es gibt keine " + std::to_string(order) + ". Ableitung!");
        }
        EXPECT_EQ(differencer.GetOrder(), 2);
    }
}

TEST_F(DifferencerTest, SettingsDropTheTargetTreeOnlyWhenTheyChange) {
    TParsedFunction source("x^2");
    TKvMathDifferencer& differencer = Derive(source.Function, 2);
    ASSERT_NE(Target->GetTree(), nullptr);
    differencer.SetOrder(2);
    EXPECT_NE(Target->GetTree(), nullptr);
    differencer.SetOrder(1);
    EXPECT_EQ(Target->GetTree(), nullptr);
    differencer.Execute();
    differencer.SetSource(&source.Function);
    EXPECT_EQ(Target->GetTree(), nullptr);
    // Calculating the target runs the differencer again.
    Target->Calculate();
    EXPECT_EQ(Shape(Target->GetTree()), "*(2,^(x,+(2,-(1))))");
}

TEST_F(DifferencerTest, CloneKeepsOrderSourceAndSharedButNotTheVariable) {
    TParsedFunction source("t^3");
    TKvMathDifferencer& differencer = Derive(source.Function, 2, "t");
    differencer.Shared = true;
    TKvMathTreeFunction other;
    std::unique_ptr<TKvFunctionCreator> copy = differencer.Clone(&other);
    differencer.Shared = false;
    auto* clone = dynamic_cast<TKvMathDifferencer*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->Target, &other);
    EXPECT_TRUE(clone->Shared);
    EXPECT_EQ(clone->GetOrder(), 2);
    EXPECT_EQ(clone->GetSource(), &source.Function);
    EXPECT_EQ(clone->VarName, "");
}

TEST_F(DifferencerTest, HighOrdersStopOnceTheResultSettles) {
    const struct {
        const char* text;
        const char* shape;
    } cases[] = {{"x", "0"},   {"5", "0"},         {"3*x+y", "0"},     {"exp(x)", "exp(x)"},
                 {"x^3", "0"}, {"(3-3)*x^2", "0"}, {"-(x^2-x^2)", "0"}};
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ShapeOfDerivative(c.text, 2000000000), c.shape) << c.text;
        EXPECT_LT(std::chrono::steady_clock::now() - start, InputTimeLimit) << c.text;
    }
    // The last pass is kept as the rules build it, even when it is zero.
    EXPECT_EQ(ShapeOfDerivative("x^3", 4),
              "*(3,*(+(3,-(1)),*(+(+(3,-(1)),-(1)),*(+(+(+(3,-(1)),-(1)),-(1)),"
              "^(x,+(+(+(+(3,-(1)),-(1)),-(1)),-(1)))))))");
}

TEST_F(DifferencerTest, RunningOutOfNodesFailsCleanly) {
    for (const std::int32_t order : {1, 12}) {
        TParsedFunction source(order == 1 ? "x^x^x^x^x^x^x^x" : "sin(x)*cos(x)*exp(x)*x^x");
        source.Tree();
        TNodeLimit limit(order == 1 ? NodeInstanceCount + 30 : MaxNodeInstances);
        TKvMathDifferencer& differencer = Derive(source.Function, order);
        EXPECT_EQ(differencer.ErrorText, "Fehler im Differenzieren") << order;
        EXPECT_EQ(Target->GetTree(), nullptr);
    }
}

TEST_F(DifferencerTest, DeepTreesDoNotExhaustTheStack) {
    // A negation chain as deep as the node limit allows for it and its derivative.
    const int depth = MaxNodeInstances / 2 - 20;
    TKvMathTreeFunction source;
    TKvNodePtr chain = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sin);
    chain->AddOperand(-1, TKvOperatorNode::CreateVariable(dtExtended, source.VarDepot, "x"));
    for (int i = 0; i < depth; ++i) {
        TKvNodePtr negation = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation);
        negation->AddOperand(-1, std::move(chain));
        chain = std::move(negation);
    }
    source.SetTree(std::move(chain));
    Derive(source);
    const TKvOperatorNode* node = Target->GetTree();
    int negations = 0;
    for (; node != nullptr && node->OpCode == OpCodes::Negation; node = node->GetOperand(0))
        ++negations;
    EXPECT_EQ(negations, depth);
    EXPECT_EQ(Shape(node), "cos(x)");
}

TEST_F(DifferencerTest, ChainRuleMultipliesByTheOperandsDerivative) {
    TKvVarDepot depot;
    TParsedFunction inner("2*x+y");
    TParsedFunction variable("X");
    const auto outer = [] { return TKvOperatorNode::CreateExtended(7); };
    EXPECT_EQ(Shape(TKvMathDifferencer::ApplyChainRule(outer(), inner.Tree(), "x", &depot).get()),
              "*(7,2)");
    EXPECT_EQ(
        Shape(TKvMathDifferencer::ApplyChainRule(outer(), variable.Tree(), "x", &depot).get()),
        "7");
    EXPECT_EQ(Shape(TKvMathDifferencer::DiffNode(inner.Tree(), "z", &depot).get()), "none");
    EXPECT_EQ(Shape(TKvMathDifferencer::DiffTree(inner.Tree(), "z", &depot).get()), "0");
}

} // namespace
