#include "calculus/MathIntg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/calculus/MathDiffTestSupport.h"

using namespace SymbolicTest;

namespace {

class IntegratorTest : public TSymbolicFixture {
protected:
    TKvMathIntegrator& Integrate(TKvMathTreeFunction& source, const std::string& var = "x") {
        TKvMathIntegrator& result = MakeCreator<TKvMathIntegrator>(source);
        result.VarName = var;
        result.Execute();
        return result;
    }
    std::string ShapeOfAntiderivative(const std::string& text) {
        TParsedFunction source(text);
        const std::string error = Integrate(source.Function).ErrorText;
        return error.empty() ? Shape(Target->GetTree()) : error;
    }
};

TEST_F(IntegratorTest, RulesBuildTheirTreesUnsimplified) {
    const struct {
        const char* text;
        const char* shape;
    } cases[] = {
        {"5", "*(5,x)"},
        {"x", "*(0.5,^(x,2))"},
        {"x^2", "*(/(1,+(2,1)),^(x,+(2,1)))"},
        {"x^2^3", "*(/(1,+(*(2,3),1)),^(x,+(*(2,3),1)))"},
        {"2*x", "*(2,*(0.5,^(x,2)))"},
        {"x+1", "+(*(0.5,^(x,2)),*(1,x))"},
        {"-x", "-(*(0.5,^(x,2)))"},
        {"x/3/y", "/(*(0.5,^(x,2)),3,y)"},
        {"sin(2*x)", "-(/(cos(*(2,x)),2))"},
        {"cos(x)", "sin(x)"},
        {"cosh(2*x)", "/(sinh(*(2,x)),2)"},
        {"exp(3*x+1)", "/(exp(+(*(3,x),1)),3)"},
        {"2^x", "/(exp(*(x,ln(2))),ln(2))"},
        {"ln(x)", "+(*(x,ln(x)),-(x))"},
        {"log(x)", "/(+(*(x,ln(x)),-(x)),ln(10))"},
        {"sqrt(x)", "*(/(1,+(0.5,1)),^(x,+(0.5,1)))"},
        {"x^(-1)", "ln(abs(x))"},
        {"(2*x+1)^(-1)", "/(ln(abs(+(*(2,x),1))),2)"},
        {"x^(1-2)", "ln(abs(x))"},
        {"arcsin(x)", "+(*(x,arcsin(x)),sqrt(+(1,-(sqr(x)))))"},
        {"tanh(x)", "ln(cosh(x))"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShapeOfAntiderivative(c.text), c.shape) << c.text;
}

TEST_F(IntegratorTest, DerivativesOfTheResultsGiveTheInputBack) {
    const struct {
        const char* text;
        std::vector<long double> points;
    } cases[] = {
        {"3*x^2-2*x+1", {0.35L, -1.2L}},
        {"y*x-5", {0.8L}},
        {"-(x^3)+x^2.5", {0.35L, 1.7L}},
        {"(3*x-1)^4/7", {0.35L, 0.8L}},
        {"sin(3*x)+cos(x/2)", {0.35L, -2.0L}},
        {"exp(2*x)/5-2^x", {0.35L, 1.1L}},
        {"ln(2*x+1)+log(x)-ld(3*x)", {0.35L, 2.5L}},
        {"sqr(2*x-1)+sqrt(x+1)", {0.35L, 3.0L}},
        {"sinh(x)-cosh(2*x)", {0.35L, -0.8L}},
        {"x^(-1)", {0.35L, -0.8L}},
        {"(2*x+1)^(-1)", {0.35L, -1.8L}},
        {"arcsin(x/2)", {0.35L, -1.5L}},
        {"arccos(2*x-1)", {0.35L, 0.8L}},
        {"arctan(3*x+1)", {0.35L, -2.0L}},
        {"arccot(x/2)", {0.35L, -3.0L}},
        {"tanh(2*x)", {0.35L, -0.8L}},
        {"coth(x)", {0.35L, -0.8L}},
        {"arcsinh(2*x)", {0.35L, -1.5L}},
        {"arccosh(x+2)", {0.35L, 4.0L}},
        {"arctanh(x/2)", {0.35L, -1.5L}},
        {"arccoth(x+2)", {0.35L, 4.0L}},
        {"arccoth(x-3)", {0.35L, -4.0L}},
    };
    for (const auto& c : cases) {
        TParsedFunction source(c.text);
        source.Tree();
        source.Function.AddVariable("y");
        source.Function.SetVarValue("y", 1.5L);
        TKvMathIntegrator& integrator = Integrate(source.Function);
        ASSERT_EQ(integrator.ErrorText, "") << c.text;
        for (const long double x : c.points) {
            const auto expected = ValueAt(source.Function, "x", x);
            const auto actual = NumericDerivative(*Target, "x", x);
            ASSERT_TRUE(expected && actual) << c.text << " at " << static_cast<double>(x);
            EXPECT_TRUE(Close(*actual, *expected))
                << c.text << " at " << static_cast<double>(x) << ": "
                << static_cast<double>(*actual) << " vs " << static_cast<double>(*expected);
        }
    }
}

TEST_F(IntegratorTest, RefusalsNameTheirCause) {
    const char* const noAntiderivative = "Die Stammfunktion konnte nicht gebildet werden.";
    const char* const failure = "Fehler im Integrieren";
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"x*sin(x)", noAntiderivative},
        {"1/x", noAntiderivative},
        {"tan(x)", noAntiderivative},
        {"cot(2*x)", noAntiderivative},
        {"x+x*sin(x)", noAntiderivative},
        {"x!", noAntiderivative},
        {"sin(x)/x", noAntiderivative},
        {"exp(x^2)", failure},
        {"x^x", failure},
        {"abs(x)", failure},
        {"2*sgn(x)", failure},
        {"sin(x!)", failure},
        {"sin(", failure},
        {"", failure},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShapeOfAntiderivative(c.text), c.message) << c.text;
        EXPECT_EQ(Target->GetTree(), nullptr) << c.text;
    }
}

TEST_F(IntegratorTest, VariableIsChosenFromTheSourceUnlessGiven) {
    const struct {
        const char* text;
        const char* extraVariable;
        const char* varName;
        const char* shape;
    } cases[] = {
        {"t^2", "x", "", "*(^(t,2),x)"},
        {"t^2", "a", "", "*(^(t,2),a)"},
        {"t^2", "x", "T", "*(/(1,+(2,1)),^(t,+(2,1)))"},
    };
    for (const auto& c : cases) {
        TParsedFunction source(c.text);
        source.Tree();
        source.Function.AddVariable(c.extraVariable);
        Integrate(source.Function, c.varName);
        EXPECT_EQ(Shape(Target->GetTree()), c.shape) << c.text << " " << c.varName;
    }
}

TEST_F(IntegratorTest, SourceMessageIsPassedOn) {
    TKvMathTreeFunction source;
    source.SetErrorText("Division durch 0");
    EXPECT_EQ(Integrate(source, "").ErrorText, "Division durch 0");
    EXPECT_EQ(Target->GetTree(), nullptr);
}

TEST_F(IntegratorTest, CloneKeepsSourceAndSharedButNotTheVariable) {
    TParsedFunction source("t");
    TKvMathIntegrator& integrator = Integrate(source.Function, "t");
    integrator.Shared = true;
    TKvMathTreeFunction other;
    std::unique_ptr<TKvFunctionCreator> copy = integrator.Clone(&other);
    integrator.Shared = false;
    auto* clone = dynamic_cast<TKvMathIntegrator*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->Target, &other);
    EXPECT_TRUE(clone->Shared);
    EXPECT_EQ(clone->GetSource(), &source.Function);
    EXPECT_EQ(clone->VarName, "");
}

TEST_F(IntegratorTest, RunningOutOfNodesFailsCleanly) {
    TParsedFunction source("sin(2*x)+exp(3*x)");
    source.Tree();
    TNodeLimit limit(NodeInstanceCount + 25);
    EXPECT_EQ(Integrate(source.Function).ErrorText, "Fehler im Integrieren");
    EXPECT_EQ(Target->GetTree(), nullptr);
}

TEST_F(IntegratorTest, DeepSumsAndNegationsDoNotExhaustTheStack) {
    // x+(-(x+(-(x+...)))), nested far deeper than any tree within the usual node limit.
    TNodeLimit limit(200000);
    const int depth = 10000;
    TKvMathTreeFunction source;
    TKvNodePtr chain = TKvOperatorNode::CreateVariable(dtExtended, source.VarDepot, "x");
    for (int i = 0; i < depth; ++i) {
        TKvNodePtr negation = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation);
        negation->AddOperand(-1, std::move(chain));
        TKvNodePtr sum = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sum);
        sum->AddOperand(-1, TKvOperatorNode::CreateVariable(dtExtended, source.VarDepot, "x"));
        sum->AddOperand(-1, std::move(negation));
        chain = std::move(sum);
    }
    source.SetTree(std::move(chain));
    ASSERT_EQ(Integrate(source).ErrorText, "");
    int levels = 0;
    const TKvOperatorNode* node = Target->GetTree();
    while (node->OpCode == OpCodes::Sum) {
        EXPECT_EQ(Shape(node->GetOperand(0)), "*(0.5,^(x,2))");
        node = node->GetOperand(1)->GetOperand(0);
        ++levels;
    }
    EXPECT_EQ(levels, depth);
}

TEST_F(IntegratorTest, SubstitutionNeedsAConstantInnerDerivative) {
    TKvVarDepot depot;
    const auto outer = [] { return TKvOperatorNode::CreateExtended(7); };
    TParsedFunction linear("2*x+1"), variable("X"), square("x^2");
    EXPECT_EQ(
        Shape(TKvMathIntegrator::ApplyIntgChainRule(outer(), linear.Tree(), "x", &depot).get()),
        "/(7,2)");
    EXPECT_EQ(
        Shape(TKvMathIntegrator::ApplyIntgChainRule(outer(), variable.Tree(), "x", &depot).get()),
        "7");
    try {
        TKvMathIntegrator::ApplyIntgChainRule(outer(), square.Tree(), "x", &depot);
        ADD_FAILURE();
    } catch (const EKvMathIntegrator& e) {
        EXPECT_EQ(std::string(e.what()), "Integration nicht möglich bzw. zu kompliziert!");
    }
}

} // namespace
