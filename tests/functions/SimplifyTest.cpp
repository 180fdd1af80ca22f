#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ExprTextTestTrees.h"
#include "functions/ExprText.h"
#include "functions/SimplifyImpl.h"
#include "tests/NodeLimit.h"

using namespace TestTrees;
namespace C = OpCodes;

namespace {

struct TSimplifyCase {
    const char* Input;
    const char* Expected;
};

// The order of the rules decides the text, so these pin it.
const TSimplifyCase Cases[] = {
    // neutral and absorbing elements
    {"x+0", "x"},
    {"x*1", "x"},
    {"x/1", "x"},
    {"x^1", "x"},
    {"1*x", "x"},
    {"0*x", "0"},
    {"0/x", "0"},
    {"x^0", "1"},
    {"1^x", "1"},
    {"0^2", "0"},
    {"0^x", "0^x"},
    {"x/0", "x/0"},
    {"1*1", "1"},
    {"x+0*y", "x"},
    {"0^2^3", "0"},
    // folding
    {"2+3", "5"},
    {"2*3*x", "x*6"},
    {"2*x*3*y", "x*y*6"},
    {"6/2", "6/2"},
    {"x/2/3", "x/6"},
    {"2^3", "2^3"},
    {"(x^2)^3", "x^6"},
    {"x^2^y^3", "x^y^6"},
    {"2^(3^2)", "2^(3^2)"},
    {"x-3", "x-3"},
    {"3-5", "-2"},
    {"x+1-3", "x-2"},
    // merged terms, in the order of their names
    {"x+x", "2*x"},
    {"x-x", "0"},
    {"-x-x", "-2*x"},
    {"x+1+x+2", "2*x+3"},
    {"x+x-x", "x"},
    {"2*x+x", "2*x+x"},
    {"b+a+b+a", "2*a+2*b"},
    {"y+X+y+x+z", "z+2*X+2*y"},
    // signs
    {"-(-x)", "x"},
    {"-(-3)", "3"},
    {"-(3-5)", "2"},
    {"x-(-3)", "x+3"},
    {"2*(-x)", "-2*x"},
    {"(-a)*(-b)", "a*b"},
    {"(-a)*(-b)*(-c)", "-a*b*c"},
    {"x/(-2)", "x/(-2)"},
    {"(3-5)^x", "(-2)^x"},
    // nesting, functions and what is left alone
    {"(x+y)+(z+w)", "x+y+z+w"},
    {"sin(0)", "sin(0)"},
    {"sin(x+0)", "sin(x)"},
    {"3!", "3!"},
    {"(x*1)!", "x!"},
    {"", ""},
    // exponents are multiplied only where no absolute value is taken on the way
    {"(x^2)^0.5", "x^2^0.5"},
    {"(x^0.5)^2", "x"},
    {"(2^2)^0.5", "2"},
    {"(x^3)^0.5", "x^1.5"},
};

std::int32_t CountNodes(const TKvOperatorNode* node) {
    std::int32_t count = 0;
    std::vector<const TKvOperatorNode*> pending{node};
    while (!pending.empty()) {
        const TKvOperatorNode* n = pending.back();
        pending.pop_back();
        if (n == nullptr) continue;
        ++count;
        for (std::int32_t i = 0; i < n->OperandCount(); ++i)
            pending.push_back(n->GetOperand(i));
    }
    return count;
}

// Evaluations of a tree at the sample points; false where it is not defined.
struct TSamples {
    long double Values[std::size(SamplePoints)];
    bool Defined[std::size(SamplePoints)];
};

TSamples Sample(TKvMathTreeFunction& function) {
    TSamples samples{};
    function.AddVariable("x");
    function.AddVariable("y");
    for (std::size_t i = 0; i < std::size(SamplePoints); ++i) {
        function.SetVarValue("x", SamplePoints[i][0]);
        function.SetVarValue("y", SamplePoints[i][1]);
        samples.Defined[i] =
            function.GetTree() && TryEvaluate(*function.GetTree(), samples.Values[i]);
    }
    return samples;
}

void ExpectSameValues(const TSamples& before, const TSamples& after, const std::string& what) {
    for (std::size_t i = 0; i < std::size(SamplePoints); ++i) {
        if (!before.Defined[i] || !after.Defined[i]) continue;
        EXPECT_TRUE(Close(before.Values[i], after.Values[i]))
            << what << " at sample " << i << ": " << double(before.Values[i]) << " vs "
            << double(after.Values[i]);
    }
}

} // namespace

TEST(Simplify, RulesGiveTheirTexts) {
    for (const TSimplifyCase& c : Cases) {
        const std::int32_t baseline = NodeInstanceCount;
        {
            TParsed parsed(c.Input);
            ASSERT_EQ(parsed.Parser->ErrorText, "") << c.Input;
            parsed.Function.Simplify();
            EXPECT_EQ(parsed.Function.ToText(), c.Expected) << c.Input;
            // Every discarded node is gone, every kept one is in the tree.
            EXPECT_EQ(NodeInstanceCount - baseline, CountNodes(parsed.Function.GetTree()))
                << c.Input;
        }
        EXPECT_EQ(NodeInstanceCount, baseline) << c.Input;
    }
}

TEST(Simplify, OnePassLeavesNewNodesToTheNext) {
    TParsed parsed("x+x-x");
    TKvNodePtr tree = parsed.Function.GetTree()->Clone(nullptr);
    SimplifyPass(tree);
    EXPECT_EQ(ExpressionText(tree.get()), "1*x");
    SimplifyPass(tree);
    EXPECT_EQ(ExpressionText(tree.get()), "x");
    EXPECT_EQ(SimplifyTree(tree), 1);
}

TEST(Simplify, ValueIsKept) {
    for (const TSimplifyCase& c : Cases) {
        TParsed parsed(c.Input);
        const TSamples before = Sample(parsed.Function);
        parsed.Function.Simplify();
        ExpectSameValues(before, Sample(parsed.Function), c.Input);
    }
    TKvMathTreeFunction function;
    function.AddVariable("x");
    function.AddVariable("y");
    TRandomTrees random(function.VarDepot, 7);
    for (int n = 0; n < 3000; ++n) {
        function.SetTree(random.Make(5));
        const std::string text = function.ToText();
        const TSamples before = Sample(function);
        const std::int32_t baseline = NodeInstanceCount - CountNodes(function.GetTree());
        function.Simplify();
        ExpectSameValues(before, Sample(function), text + " -> " + function.ToText());
        ASSERT_EQ(NodeInstanceCount - baseline, CountNodes(function.GetTree())) << text;
    }
}

// Out of nodes, a rule is not begun: the tree keeps its value, nothing leaks, and Simplify
// stops without an error.
TEST(Simplify, RunningOutOfNodesStopsCleanly) {
    for (const TSimplifyCase& c : Cases) {
        for (std::int32_t spare = 0; spare < 4; ++spare) {
            const std::int32_t baseline = NodeInstanceCount;
            {
                TParsed parsed(c.Input);
                const TSamples before = Sample(parsed.Function);
                {
                    TNodeLimit limit(NodeInstanceCount + spare);
                    EXPECT_NO_THROW(parsed.Function.Simplify()) << c.Input;
                }
                ExpectSameValues(before, Sample(parsed.Function), c.Input);
                EXPECT_EQ(NodeInstanceCount - baseline, CountNodes(parsed.Function.GetTree()));
            }
            EXPECT_EQ(NodeInstanceCount, baseline) << c.Input;
        }
    }
}

TEST(Simplify, PassesAreBounded) {
    TKvMathTreeFunction function;
    TKvNodePtr tree = Var(function.VarDepot, "x");
    // A pass that never lets the text settle: -x, x, -x, ...
    const auto toggle = [](TKvNodePtr& root) {
        if (root->OpCode == C::Negation) {
            root = root->ReleaseOperand(0);
        } else {
            TKvNodePtr negation = Op(C::Negation);
            negation->AddOperand(-1, std::move(root));
            root = std::move(negation);
        }
    };
    EXPECT_EQ(SimplifyTree(tree, 7, toggle), 7);
    EXPECT_EQ(ExpressionText(tree.get()), "-x");
    EXPECT_EQ(SimplifyTree(tree, MaxSimplifyPasses, toggle), MaxSimplifyPasses);
}

TEST(Simplify, DeepTrees) {
    {
        // A long alternating run nests the sums as deep as it is long.
        std::string text = "x";
        for (int i = 0; i < 1500; ++i)
            text += i % 2 ? "+x" : "-y";
        TParsed parsed(text);
        ASSERT_EQ(parsed.Parser->ErrorText, "");
        const TSamples before = Sample(parsed.Function);
        TKvNodePtr copy = parsed.Function.GetTree()->Clone(nullptr);
        EXPECT_LT(SimplifyTree(copy), 20);
        parsed.Function.Simplify();
        EXPECT_EQ(parsed.Function.ToText(), ExpressionText(copy.get()));
        ExpectSameValues(before, Sample(parsed.Function), "alternating run");
    }
    TKvMathTreeFunction function;
    TKvNodePtr chain = Var(function.VarDepot, "x");
    for (int i = 0; i < 3000; ++i)
        chain = Op(C::Negation, Op(C::Quotient, std::move(chain), Num(1)));
    function.SetTree(std::move(chain));
    function.Simplify();
    EXPECT_EQ(function.ToText(), "x");

    // As deep as the node limit allows.
    chain = Var(function.VarDepot, "x");
    for (int i = 0; i < MaxNodeInstances - 2; ++i)
        chain = Op(C::Negation, std::move(chain));
    function.SetTree(std::move(chain));
    EXPECT_EQ(function.ToText().size(), 2 + 3u * (MaxNodeInstances - 3));
    function.Simplify();
    EXPECT_EQ(function.ToText(), "x");
}

TEST(Simplify, NoTreeAndUnwritableTree) {
    TKvMathTreeFunction function;
    EXPECT_NO_THROW(function.Simplify());
    EXPECT_EQ(function.ToText(), "");
    function.SetTree(Op(C::Sum, Num(0), Op(C::Sin)));
    EXPECT_THROW(function.Simplify(), EKvMathTreeFunction);
}
