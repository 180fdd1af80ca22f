#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ExprTextTestTrees.h"

using namespace TestTrees;
namespace C = OpCodes;

namespace {

class ExprText : public ::testing::Test {
protected:
    TKvNodePtr V(const char* name) { return Var(Function.VarDepot, name); }

    struct TCase {
        const char* Expected;
        std::function<TKvNodePtr()> Build;
    };

    void ExpectTexts(const std::vector<TCase>& cases) {
        for (const TCase& c : cases) {
            Function.SetTree(c.Build());
            EXPECT_EQ(Function.ToText(), c.Expected);
        }
    }

    TKvMathTreeFunction Function;
};

} // namespace

TEST_F(ExprText, BracketsByParentAndPosition) {
    ExpectTexts({
        {"2*(x+1)", [&] { return Op(C::Product, Num(2), Op(C::Sum, V("x"), Num(1))); }},
        {"x+2*y", [&] { return Op(C::Sum, V("x"), Op(C::Product, Num(2), V("y"))); }},
        {"a/(b*d)", [&] { return Op(C::Quotient, V("a"), Op(C::Product, V("b"), V("d"))); }},
        {"a*b/d", [&] { return Op(C::Quotient, Op(C::Product, V("a"), V("b")), V("d")); }},
        {"a/(b/d)", [&] { return Op(C::Quotient, V("a"), Op(C::Quotient, V("b"), V("d"))); }},
        {"x^2^3", [&] { return Op(C::Power, Op(C::Power, V("x"), Num(2)), Num(3)); }},
        {"x^(2^3)", [&] { return Op(C::Power, V("x"), Op(C::Power, Num(2), Num(3))); }},
        {"x^(y+1)", [&] { return Op(C::Power, V("x"), Op(C::Sum, V("y"), Num(1))); }},
        {"(x*y)^2", [&] { return Op(C::Power, Op(C::Product, V("x"), V("y")), Num(2)); }},
        {"-(a+b)", [&] { return Op(C::Negation, Op(C::Sum, V("a"), V("b"))); }},
        {"-(-x)", [&] { return Op(C::Negation, Op(C::Negation, V("x"))); }},
        {"-sin(x)", [&] { return Op(C::Negation, Op(C::Sin, V("x"))); }},
        {"x!", [&] { return Op(C::Factorial, V("x")); }},
        {"(x+1)!", [&] { return Op(C::Factorial, Op(C::Sum, V("x"), Num(1))); }},
        {"x!^2", [&] { return Op(C::Power, Op(C::Factorial, V("x")), Num(2)); }},
        {"sin(x, y)", [&] { return Op(C::Sin, V("x"), V("y")); }},
    });
}

TEST_F(ExprText, SignsOfTermsAndFactors) {
    ExpectTexts({
        {"a-b", [&] { return Op(C::Sum, V("a"), Op(C::Negation, V("b"))); }},
        {"a-2", [&] { return Op(C::Sum, V("a"), Num(-2)); }},
        {"-2*x", [&] { return Op(C::Product, Num(-2), V("x")); }},
        {"y+(-2)*x", [&] { return Op(C::Sum, V("y"), Op(C::Product, Num(-2), V("x"))); }},
        {"x*(-2)", [&] { return Op(C::Product, V("x"), Num(-2)); }},
        {"-2/x", [&] { return Op(C::Quotient, Num(-2), V("x")); }},
        {"x^(-2)", [&] { return Op(C::Power, V("x"), Num(-2)); }},
        {"-x*y", [&] { return Op(C::Product, Op(C::Negation, V("x")), V("y")); }},
        {"z+(-x)*y",
         [&] { return Op(C::Sum, V("z"), Op(C::Product, Op(C::Negation, V("x")), V("y"))); }},
        {"x*(-y)", [&] { return Op(C::Product, V("x"), Op(C::Negation, V("y"))); }},
        {"(-x)/y", [&] { return Op(C::Quotient, Op(C::Negation, V("x")), V("y")); }},
        {"(-x)^2", [&] { return Op(C::Power, Op(C::Negation, V("x")), Num(2)); }},
        {"sin(-2)", [&] { return Op(C::Sin, Num(-2)); }},
        {"1.5+1E-4", [&] { return Op(C::Sum, Num(1.5L), Num(1e-4L)); }},
    });
}

// Texts that must read back as the same tree value where the plain rules would not.
TEST_F(ExprText, NegativeConstantsReadBack) {
    ExpectTexts({
        {"(-2)^x", [&] { return Op(C::Power, Num(-2), V("x")); }},
        {"-(-2)", [&] { return Op(C::Negation, Num(-2)); }},
        {"(-0.5)!", [&] { return Op(C::Factorial, Num(-0.5L)); }},
        {"x-y+z", [&] { return Op(C::Sum, V("x"), Op(C::Sum, Op(C::Negation, V("y")), V("z"))); }},
        {"x-2+z", [&] { return Op(C::Sum, V("x"), Op(C::Sum, Num(-2), V("z"))); }},
        {"x*0", [&] { return Op(C::Product, V("x"), Num(-0.0L)); }},
    });
}

TEST_F(ExprText, FirstSpellingOfAVariable) {
    Function.AddVariable("X");
    Function.SetTree(Op(C::Sum, V("x"), Num(1)));
    EXPECT_EQ(Function.ToText(), "X+1");
}

TEST_F(ExprText, NoTreeGivesEmptyText) {
    EXPECT_EQ(Function.ToText(), "");
}

TEST_F(ExprText, NodeWithoutOperandsFails) {
    const std::vector<std::function<TKvNodePtr()>> broken = {
        [&] { return Op(C::Sum, V("x"), Op(C::Sin)); },
        [&] { return Op(C::Product); },
        [&] { return Op(C::Negation); },
        [&] { return Op(C::Sum, V("x"), Op(C::Factorial)); },
    };
    for (const auto& build : broken) {
        Function.SetTree(build());
        const std::int32_t nodes = NodeInstanceCount;
        try {
            Function.ToText();
            ADD_FAILURE() << "no error";
        } catch (const EKvMathTreeFunction& e) {
            EXPECT_STREQ(e.what(), "Fehler in Funktionsstringerstellung!");
        }
        EXPECT_EQ(NodeInstanceCount, nodes);
        EXPECT_NE(Function.GetTree(), nullptr);
    }
}

// A chain as deep as the node limit allows is written without exhausting the stack.
TEST_F(ExprText, DeepTree) {
    TKvNodePtr tree = V("x");
    for (int i = 0; i < 3000; ++i)
        tree = Op(C::Negation, Op(C::Product, V("x"), std::move(tree)));
    Function.SetTree(std::move(tree));
    const std::string text = Function.ToText();
    EXPECT_EQ(text.size(), 3000u * 5 - 1);
    EXPECT_EQ(text.substr(0, 8), "-x*(-x*(");
}

// Whatever tree is written, the parser reads the text back to a tree of the same value.
TEST_F(ExprText, RandomTreesReadBack) {
    Function.AddVariable("x");
    Function.AddVariable("y");
    TRandomTrees random(Function.VarDepot, 20240611);
    int compared = 0;
    for (int n = 0; n < 3000; ++n) {
        Function.SetTree(random.Make(5));
        const std::string text = Function.ToText();
        TParsed parsed(text, Function.VarDepot);
        ASSERT_EQ(parsed.Parser->ErrorText, "") << text;
        ASSERT_NE(parsed.Function.GetTree(), nullptr) << text;
        for (const auto& point : SamplePoints) {
            Function.SetVarValue("x", point[0]);
            Function.SetVarValue("y", point[1]);
            long double written = 0;
            long double read = 0;
            if (!TryEvaluate(*Function.GetTree(), written) ||
                !TryEvaluate(*parsed.Function.GetTree(), read))
                continue;
            ++compared;
            ASSERT_TRUE(Close(written, read))
                << text << " at x=" << double(point[0]) << " y=" << double(point[1]) << ": "
                << double(written) << " vs " << double(read);
        }
    }
    EXPECT_GT(compared, 5000);
}

// Runs of factorials are written as the parser reads them, without a bracket for each: the
// parser refuses brackets nested a thousand deep, but not long runs of "!".
TEST_F(ExprText, FactorialRunsReadBack) {
    ExpectTexts({
        {"x!!", [&] { return Op(C::Factorial, Op(C::Factorial, V("x"))); }},
        {"(x+1)!!", [&] { return Op(C::Factorial, Op(C::Factorial, Op(C::Sum, V("x"), Num(1)))); }},
        {"(-2)!!", [&] { return Op(C::Factorial, Op(C::Factorial, Num(-2))); }},
        {"(-x!)!", [&] { return Op(C::Factorial, Op(C::Negation, Op(C::Factorial, V("x")))); }},
    });
    // Deeper than brackets may nest, and room left to read it back.
    TKvNodePtr tree = Num(1);
    for (int i = 0; i < 3000; ++i)
        tree = Op(C::Factorial, std::move(tree));
    Function.SetTree(std::move(tree));
    const std::string text = Function.ToText();
    Function.SetTree(nullptr);
    EXPECT_TRUE(text == "1" + std::string(3000, '!')) << text.substr(0, 40);
    TParsed parsed(text, Function.VarDepot);
    EXPECT_EQ(parsed.Parser->ErrorText.substr(0, 40), "");
    EXPECT_TRUE(parsed.Function.ToText() == text);
}
