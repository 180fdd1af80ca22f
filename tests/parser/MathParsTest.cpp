#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "tests/NodeLimit.h"

namespace {

// The tree in prefix form: +(a,-(b)); a function without operands shows as sin().
std::string Shape(const TKvOperatorNode* node) {
    if (node == nullptr) return "none";
    if (node->OpCode == OpCodes::Constant || node->OpCode == OpCodes::Variable)
        return node->NodeText();
    std::string text = node->OpCode == OpCodes::Subtraction ? "M" : node->NodeText();
    text += "(";
    for (std::int32_t i = 0; i < node->OperandCount(); ++i)
        text += (i > 0 ? "," : "") + Shape(node->GetOperand(i));
    return text + ")";
}

std::string Repeat(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

// A tree function with a parser as its creator, as the application sets them up.
class ParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        auto parser = std::make_unique<TKvMathParser>(&Function);
        Parser = parser.get();
        Function.SetCreator(parser.release());
    }
    void TearDown() override { ResetDecimalSeparator(); }

    void Calc(const std::string& text) {
        Parser->SetExpression(text);
        Function.Calculate();
    }
    std::string ShapeOf(const std::string& text) {
        Parser->SetExpression(text);
        Parser->Execute();
        EXPECT_EQ(Parser->ErrorText, "") << text;
        return Shape(Function.GetTree());
    }

    TKvMathTreeFunction Function;
    TKvMathParser* Parser = nullptr;
};

} // namespace

TEST_F(ParserTest, PrecedenceAndValues) {
    const struct {
        const char* input;
        long double value;
    } cases[] = {
        {"2+3*4", 14},    {"2*3^2", 18},     {"-2^2", -4},      {"2^3^2", 64},    {"2^3!", 64},
        {"3!!", 720},     {"-3!", -6},       {"10-2-3", 5},     {"10-(2-3)", 11}, {"sin(0)+1", 1},
        {"sin 0 + 1", 1}, {"sqrt 16", 4},    {"+3", 3},         {"(+3)", 3},      {"2*(-3)", -6},
        {"-2*3", -6},     {"8/2/2", 2},      {"1+2-3+4-5", -1}, {"2*3/4*8", 12},  {"((((7))))", 7},
        {"Sqr(3)", 9},    {"-(2+3)*2", -10}, {"2^(-1)", 0.5L},  {"(-2)^2", 4},
    };
    for (const auto& c : cases) {
        Calc(c.input);
        EXPECT_EQ(Function.GetErrorText(), "") << c.input;
        EXPECT_EQ(Function.Result, c.value) << c.input;
    }
}

TEST_F(ParserTest, TreeShapes) {
    const struct {
        const char* input;
        const char* shape;
    } cases[] = {
        {"10-2-3", "+(10,-(2),-(3))"},
        {"a+b+c", "+(a,b,c)"},
        {"a*b/c*d", "*(/(*(a,b),c),d)"},
        {"a+b-c+d", "+(+(+(a,b),-(c)),d)"},
        {"a-b+c", "+(+(a,-(b)),c)"},
        {"2^3^2", "^(2,3,2)"},
        {"-2^2", "-(^(2,2))"},
        {"-2*3", "-(*(2,3))"},
        {"2^3!", "^(2,!(3))"},
        {"x!!", "!(!(x))"},
        {"sin x^2", "^(sin(x),2)"},
        {"sin(x)^2", "^(sin(x),2)"},
        {"sin 2*x", "*(sin(2),x)"},
        {"sin x!", "!(sin(x))"},
        {"sin cos x", "sin(cos(x))"},
        {"Int(x)+TRUNC(x)", "+(trunc(x),trunc(x))"},
        {"sin)", "sin()"},
        {"(a-b)*(c-d-e)", "*(+(a,-(b)),+(c,-(d),-(e)))"},
        {")+3", "+(3)"},
        {")-3", "+(-(3))"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShapeOf(c.input), c.shape) << c.input;
}

TEST_F(ParserTest, ErrorTexts) {
    const struct {
        const char* input;
        const char* errorText;
        std::int32_t errorPos;
    } cases[] = {
        {"3+*4", "3+[Ausdruck \"*\" an dieser Stelle falsch!]*4", 0},
        {"(3+4", "(3[Klammerfehler!]+4", 0},
        {"(3", "([Klammerfehler!]3", 0},
        {"()", "()[Klammerfehler!]", 0},
        {"2x", "2x[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]", 0},
        {"2(3)", "2(3)[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]", 0},
        {"3)", "3)[Syntaxfehler! Unbekannte Funktion oder fehlender Operator!]", 0},
        {"2*-3", "2*[Ausdruck \"M\" an dieser Stelle falsch!]-3", 0},
        {"2^-1", "2^[Ausdruck \"M\" an dieser Stelle falsch!]-1", 0},
        {"--3", "-[Ausdruck \"M\" an dieser Stelle falsch!]-3", 0},
        {"+-3", "+[Ausdruck \"M\" an dieser Stelle falsch!]-3", 0},
        {"++3", "+[Ausdruck \"+\" an dieser Stelle falsch!]+3", 0},
        {"!3", "[Ausdruck \"!\" an dieser Stelle falsch!]!3", 0},
        {"3+", "3+[Fehlender Ausdruck!]", 0},
        {"sin", "sin[Fehlender Ausdruck!]", 0},
        {"3+)", "3+)[Operator \"+\" Error: Argument fehlt!]", 0},
        {"3*)", "3*)[Operator \"*\" Error: Argument fehlt!]", 0},
        {"-)", "-)[Operator \"-\" Error: Argument fehlt!]", 0},
        {")!", ")[Operator \"!\" Error: Keine Argumente!]!", 0},
        {")", ")[Fehlender Ausdruck!]", 0},
        {"{x}", "{x}[Ausdruck \"{\" an dieser Stelle falsch!]", 0},
        {"+", "[Plusoperator als letztes Zeichen nicht gestattet.]+", 1},
        {"1.2.3+x", "[Numerischer Wert wurde erwartet: \"1.2.3+x\"]1.2.3+x", 0},
        {"a_b", "a[Illegales Zeichen: _]_b", 2},
        {"2#3", "2[Illegales Zeichen: #]#3", 2},
        {"2*ä", "2*[Illegales Zeichen: ä]ä", 3},
        {"ä+ö*ü", "[Illegales Zeichen: ä]ä+ö*ü", 1},
    };
    for (const auto& c : cases) {
        const std::int32_t nodesBefore = NodeInstanceCount;
        Calc(c.input);
        EXPECT_EQ(Function.GetErrorText(), c.errorText) << c.input;
        EXPECT_EQ(Parser->ErrorText, c.errorText) << c.input;
        EXPECT_EQ(Parser->ErrorPos, c.errorPos) << c.input;
        EXPECT_EQ(Function.GetTree(), nullptr) << c.input;
        EXPECT_EQ(Function.Result, 0.0L) << c.input;
        EXPECT_EQ(NodeInstanceCount, nodesBefore) << c.input;
    }
}

TEST_F(ParserTest, FailedParseIsRetriedAndReportsTheSame) {
    Calc("2#3");
    EXPECT_EQ(Parser->ErrorPos, 2);
    Function.Calculate();
    EXPECT_EQ(Function.GetErrorText(), "2[Illegales Zeichen: #]#3");
    EXPECT_EQ(Parser->ErrorPos, 2);
    Calc("2+3");
    EXPECT_EQ(Parser->ErrorPos, 0);
    EXPECT_EQ(Function.Result, 5.0L);
}

TEST_F(ParserTest, EmptyInputBuildsNothingAndSucceeds) {
    for (const char* input : {"", "   ", "\t\r\n"}) {
        Calc(input);
        EXPECT_EQ(Function.GetTree(), nullptr) << input;
        EXPECT_EQ(Function.GetErrorText(), "") << input;
        EXPECT_EQ(Function.Result, 0.0L) << input;
    }
}

TEST_F(ParserTest, FunctionWithoutArgumentFailsInEvaluation) {
    Calc("sin)");
    EXPECT_EQ(Function.GetErrorText(), "Keine Funktionsparameter");
}

TEST_F(ParserTest, VariablesBindToTheStoreAndSurviveFailedParses) {
    Calc("a+b+");
    EXPECT_EQ(Function.GetErrorText(), "a+b+[Fehlender Ausdruck!]");
    EXPECT_EQ(Function.IndexOfVar("a"), 0);
    EXPECT_EQ(Function.IndexOfVar("b"), 1);

    Calc("A*x+B");
    EXPECT_EQ(Function.VarCount(), 3);
    EXPECT_EQ(Function.GetVarName(0), "a") << "the first spelling stays";
    Function.SetVarValue("a", 2);
    Function.SetVarValue("x", 3);
    Function.SetVarValue("b", 1);
    Function.Calculate();
    EXPECT_EQ(Function.Result, 7.0L);
    // The tree reads the store directly: no new parse for new values.
    const TKvOperatorNode* tree = Function.GetTree();
    Function.SetVarValue("x", 10);
    Function.Calculate();
    EXPECT_EQ(Function.GetTree(), tree);
    EXPECT_EQ(Function.Result, 21.0L);
}

TEST_F(ParserTest, NoNodesAreLeftOver) {
    const std::int32_t before = NodeInstanceCount;
    Calc("a+b+c+d-e-f*g*h");
    EXPECT_EQ(Shape(Function.GetTree()), "+(+(a,b,c,d),-(e),-(*(f,g,h)))");
    EXPECT_EQ(NodeInstanceCount, before + 13);
    Parser->SetExpression("");
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST_F(ParserTest, CommaAsDecimalSeparator) {
    SetDecimalSeparator(',');
    Calc("1,5*2");
    EXPECT_EQ(Function.GetErrorText(), "");
    EXPECT_EQ(Function.Result, 3.0L);
    Calc("1.5+1,5");
    EXPECT_EQ(Function.Result, 3.0L);
}

TEST_F(ParserTest, EvaluationErrorKeepsFoldedValue) {
    Calc("2+(1/0)");
    EXPECT_EQ(Function.GetErrorText(), "Division durch 0");
    EXPECT_EQ(Function.Result, 2.0L);
}

TEST_F(ParserTest, DeepNestingFailsCleanly) {
    const std::string tooDeep = "Ausdruck zu tief verschachtelt!";
    const std::int32_t limit = TKvAbstractMathTreeBuilder::MaxNestingDepth;
    const struct {
        std::string input;
        std::int32_t failsAt; // character position of the token beyond the limit
    } cases[] = {
        {Repeat("(", 100000), limit + 1},
        {Repeat("(", limit + 1) + "1" + Repeat(")", limit + 1), limit + 1},
        {Repeat("sin ", limit + 5) + "x", 4 * limit + 1},
        {Repeat("-(", limit) + "1" + Repeat(")", limit), limit + 1},
        {Repeat("sin(", limit) + "x" + Repeat(")", limit), 2 * limit + 1},
    };
    for (const auto& c : cases) {
        const std::int32_t nodesBefore = NodeInstanceCount;
        Calc(c.input);
        std::string expected = c.input;
        expected.insert(c.failsAt - 1, "[" + tooDeep + "]");
        EXPECT_EQ(Function.GetErrorText(), expected) << c.input.substr(0, 20);
        EXPECT_EQ(NodeInstanceCount, nodesBefore) << c.input.substr(0, 20);
    }

    // Within the limit nesting works.
    Calc(Repeat("(", limit - 1) + "1" + Repeat(")", limit - 1));
    EXPECT_EQ(Function.GetErrorText(), "");
    EXPECT_EQ(Function.Result, 1.0L);
    const int negations = limit / 2 - 1;
    Calc(Repeat("-(", negations) + "1" + Repeat(")", negations));
    EXPECT_EQ(Function.GetErrorText(), "");
    EXPECT_EQ(Function.Result, negations % 2 == 0 ? 1.0L : -1.0L);
}

TEST_F(ParserTest, LongFlatChainsBuildDeepTreesSafely) {
    const std::int32_t before = NodeInstanceCount;
    // Alternating operators nest one level per operator, without any recursion in the builder.
    Calc("1" + Repeat("-1+1", 1900));
    EXPECT_EQ(Function.GetErrorText(), "");
    EXPECT_EQ(Function.Result, 1.0L);
    Calc("0" + Repeat("!", 9000));
    EXPECT_EQ(Function.GetErrorText(), "");
    EXPECT_EQ(Function.Result, 1.0L);
    {
        // Copying the chain needs room for a second one.
        const TNodeLimit roomForCopy(2 * 9001);
        TKvMathTreeFunction copy;
        copy.Assign(Function);
        copy.Calculate();
        EXPECT_EQ(copy.Result, 1.0L);
    }
    Parser->SetExpression("");
    EXPECT_EQ(NodeInstanceCount, before);

    // Beyond the node limit the tokenizer stops at the token that did not fit.
    Calc("1" + Repeat("+1", 5000));
    EXPECT_EQ(Function.GetErrorText().find("[Too much instances of TKvOperatorNode!]"),
              std::string::size_type(MaxNodeInstances - before));
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST_F(ParserTest, NodeLimitDuringSubtractionRemoval) {
    const std::int32_t before = NodeInstanceCount;
    {
        // The five token nodes fit, and the sum with the first negation; the second does not.
        const TNodeLimit limit(before + 6);
        Calc("a-b-c");
    }
    EXPECT_EQ(Function.GetErrorText(), "a-b-c[Too much instances of TKvOperatorNode!]");
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST_F(ParserTest, CloneKeepsTextAndSharedFlag) {
    Parser->SetExpression("1+2");
    Parser->Shared = true;
    TKvMathTreeFunction other;
    std::unique_ptr<TKvFunctionCreator> copy = Parser->Clone(&other);
    auto* parser = dynamic_cast<TKvMathParser*>(copy.get());
    ASSERT_NE(parser, nullptr);
    EXPECT_EQ(parser->Target, &other);
    EXPECT_TRUE(parser->Shared);
    EXPECT_EQ(parser->GetExpression(), "1+2");
    parser->Execute();
    EXPECT_NE(other.GetTree(), nullptr);
    Parser->Shared = false;
}

TEST(BuildFromTemplate, PlaceholdersBecomeCopies) {
    TKvVarDepot depot;
    const auto a = [&] { return TKvOperatorNode::CreateVariable(dtExtended, &depot, "a"); };
    const auto b = [&] { return TKvOperatorNode::CreateVariable(dtExtended, &depot, "b"); };
    const auto minusTwo = [] {
        TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Negation);
        node->AddOperand(-1, TKvOperatorNode::CreateExtended(2));
        return node;
    };
    const std::int32_t before = NodeInstanceCount;
    struct {
        const char* text;
        TKvNodePtr tree0, tree1;
        const char* shape;
    } cases[] = {
        {"{0}*{1}", a(), b(), "*(a,b)"},
        {"-{0}/{1}^2", a(), b(), "-(/(a,^(b,2)))"},
        {"exp({0}*ln({1}))", a(), b(), "exp(*(a,ln(b)))"},
        {"{0}*{1}^({0}-1)", minusTwo(), a(), "*(-(2),^(a,+(-(2),-(1))))"},
        {"{0}*{1}", minusTwo(), b(), "*(-(2),b)"},
        {"{0}+1", a(), nullptr, "+(a,1)"},
        {"{0}^{0}", minusTwo(), nullptr, "^(-(2),-(2))"},
    };
    for (auto& c : cases) {
        const TKvOperatorNode* tree0 = c.tree0.get();
        TKvNodePtr root = BuildFromTemplate(c.text, std::move(c.tree0), std::move(c.tree1), &depot);
        EXPECT_EQ(Shape(root.get()), c.shape) << c.text;
        EXPECT_NE(root->GetOperand(0), tree0) << c.text;
    }
    // The given trees went with the templates, the built ones with root.
    EXPECT_EQ(NodeInstanceCount, before);
    EXPECT_EQ(depot.Count(), 2);
}

TEST_F(ParserTest, EachTextStartsAfresh) {
    // One parser reads text after text: neither the end of the previous text, nor its error,
    // nor its length may shape the next.
    const struct {
        std::string input;
        const char* errorText;
        std::int32_t errorPos;
        long double value;
    } cases[] = {
        {"(1)", "", 0, 1},
        {"+2", "", 0, 2},
        {"2#3", "2[Illegales Zeichen: #]#3", 2, 0},
        {"-3", "", 0, -3},
        {"4*(", "4*([Fehlender Ausdruck!]", 0, 0},
        {"+5", "", 0, 5},
        {"1" + Repeat("+1", 999), "", 0, 1000},
        {"2-3", "", 0, -1},
        {Repeat("(", 300) + "7" + Repeat(")", 300), "", 0, 7},
        {"sin(0)-1", "", 0, -1},
        {"+", "[Plusoperator als letztes Zeichen nicht gestattet.]+", 1, 0},
        {"6", "", 0, 6},
    };
    const std::int32_t before = NodeInstanceCount;
    for (const auto& c : cases) {
        const std::string shown = c.input.substr(0, 20);
        Calc(c.input);
        EXPECT_EQ(Function.GetErrorText(), c.errorText) << shown;
        EXPECT_EQ(Parser->ErrorPos, c.errorPos) << shown;
        EXPECT_EQ(Function.Result, c.value) << shown;
    }
    Parser->SetExpression("");
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST_F(ParserTest, RunningOutOfNodesAnywhereLeavesNothingBehind) {
    // a - b*c - d: seven token nodes; the builder drops the second minus, then makes the sum
    // and two negations while the first minus still lives. Every limit below nine fails.
    const std::string text = "a-b*c-d";
    const long double values[] = {1, 2, 3, 4};
    const char* names[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i) {
        Function.AddVariable(names[i]);
        Function.SetVarValue(names[i], values[i]);
    }
    const std::int32_t before = NodeInstanceCount;
    int failures = 0;
    for (std::int32_t extra = 0; extra <= 12; ++extra) {
        {
            const TNodeLimit limit(before + extra);
            Calc(text);
        }
        if (Function.GetErrorText().empty()) {
            EXPECT_EQ(Function.Result, -9.0L) << extra;
        } else {
            EXPECT_NE(Function.GetErrorText().find("Too much instances of TKvOperatorNode!"),
                      std::string::npos)
                << extra;
            ++failures;
        }
        Parser->SetExpression("");
        EXPECT_EQ(NodeInstanceCount, before) << extra;
        // With room again, the same parser reads the text as if nothing had happened.
        Calc(text);
        EXPECT_EQ(Function.GetErrorText(), "") << extra;
        EXPECT_EQ(Function.Result, -9.0L) << extra;
        Parser->SetExpression("");
    }
    EXPECT_EQ(failures, 9);
}

TEST(BuildFromTemplate, SubtractionsInsidePlaceholdersAreReplaced) {
    TKvVarDepot depot;
    // A minus node as only the parser makes it, inside or at the top of a placeholder's tree.
    const auto aMinusB = [&] {
        TKvNodePtr minus = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Subtraction);
        minus->AddOperand(-1, TKvOperatorNode::CreateVariable(dtExtended, &depot, "a"));
        minus->AddOperand(-1, TKvOperatorNode::CreateVariable(dtExtended, &depot, "b"));
        return minus;
    };
    const auto squared = [&] {
        TKvNodePtr square = TKvOperatorNode::CreateOperator(dtExtended, OpCodes::Sqr);
        square->AddOperand(-1, aMinusB());
        return square;
    };
    const struct {
        const char* text;
        bool inside;
        const char* shape;
    } cases[] = {
        {"{0}", false, "+(a,-(b))"},
        {"{0}*2", false, "*(+(a,-(b)),2)"},
        {"{0}", true, "sqr(+(a,-(b)))"},
        {"2+sin({0})", true, "+(2,sin(sqr(+(a,-(b)))))"},
        {"{0}-1", true, "+(sqr(+(a,-(b))),-(1))"},
    };
    const std::int32_t before = NodeInstanceCount;
    for (const auto& c : cases) {
        const TKvNodePtr root =
            BuildFromTemplate(c.text, c.inside ? squared() : aMinusB(), nullptr, &depot);
        EXPECT_EQ(Shape(root.get()), c.shape) << c.text;
    }
    EXPECT_EQ(NodeInstanceCount, before);
}
