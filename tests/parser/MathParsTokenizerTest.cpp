#include <gtest/gtest.h>

#include <optional>

#include <string>
#include <vector>

#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "tests/NodeLimit.h"

namespace {

// Pins the decimal separator, whatever the environment's locale says.
class TokenizerTest : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }

    std::vector<std::string> Texts(const std::string& text) {
        TKvMathRealTokenizer tokenizer(&Depot);
        const TKvTokenList tokens = tokenizer.Tokenize(text);
        std::vector<std::string> result;
        for (std::int32_t i = 0; i < tokens.Count(); ++i)
            result.push_back(tokens[i].Text);
        return result;
    }

    long double NumberOf(const std::string& text) {
        TKvMathRealTokenizer tokenizer(&Depot);
        const TKvTokenList tokens = tokenizer.Tokenize(text);
        EXPECT_EQ(tokens.Count(), 1) << text;
        EXPECT_EQ(tokens[0].Node->OpCode, OpCodes::Constant) << text;
        long double value = 0;
        tokens[0].Node->Evaluate(&value);
        return value;
    }

    TKvVarDepot Depot;
};

using Tokens = std::vector<std::string>;

} // namespace

TEST_F(TokenizerTest, TokenTexts) {
    const struct {
        const char* input;
        Tokens tokens;
    } cases[] = {
        {"2 *\tx\r\n", {"v", "*", "v"}},
        {" 2\n*\n x", {"v", "*", "v"}},
        {"+2", {"v"}},
        {"(+2)", {"(", "v", ")"}},
        {"-2", {"-", "v"}},
        {"(-x)", {"(", "-", "v", ")"}},
        {"3-2", {"v", "M", "v"}},
        {"(x)-y", {"(", "v", ")", "M", "v"}},
        {"2*-3", {"v", "*", "M", "v"}},
        {"--3", {"-", "M", "v"}},
        {"+-3", {"M", "v"}},
        {"++3", {"+", "v"}},
        {"2^3!/4", {"v", "^", "v", "!", "/", "v"}},
        {"SIN(x)", {"f", "(", "v", ")"}},
        {"Sinus x1", {"v", "v"}},
        {"2x", {"v", "v"}},
        {"{x}+{1", {"{x}", "+", "{1"}},
        {"", {}},
        {" \t\r\n ", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Texts(c.input), c.tokens) << c.input;
}

TEST_F(TokenizerTest, NodesCarryCodesAndPositions) {
    TKvMathRealTokenizer tokenizer(&Depot);
    const TKvTokenList tokens = tokenizer.Tokenize("  -a+SIN(b)-2!");
    const struct {
        std::uint16_t code;
        std::int32_t position;
    } expected[] = {{OpCodes::Negation, 1},
                    {OpCodes::Variable, 2},
                    {OpCodes::Sum, 3},
                    {OpCodes::Sin, 4},
                    {0, 7},
                    {OpCodes::Variable, 8},
                    {0, 9},
                    {OpCodes::Subtraction, 10},
                    {OpCodes::Constant, 11},
                    {OpCodes::Factorial, 12}};
    ASSERT_EQ(tokens.Count(), 10);
    EXPECT_EQ(tokenizer.GetText(), "-a+SIN(b)-2!");
    for (std::int32_t i = 0; i < tokens.Count(); ++i) {
        const TKvToken& token = tokens[i];
        EXPECT_EQ(token.Position, expected[i].position) << i;
        if (expected[i].code == 0) {
            EXPECT_EQ(token.Node, nullptr) << i;
            continue;
        }
        ASSERT_NE(token.Node, nullptr) << i;
        EXPECT_EQ(token.Node->OpCode, expected[i].code) << i;
        EXPECT_EQ(token.Node->DataType, dtExtended) << i;
        EXPECT_EQ(token.Node->SourcePos, expected[i].position) << i;
    }
    // Variables enter the store as they are met, in the spelling first used.
    EXPECT_EQ(Depot.Count(), 2);
    EXPECT_EQ(Depot.Variables(0)->Name, "a");
}

TEST_F(TokenizerTest, Numbers) {
    Depot.AddVariable("e", dtExtended);
    const struct {
        const char* input;
        long double value;
    } cases[] = {
        {"1.5e3", 1500}, {"2e3", 2000}, {"1e-3", 0.001L}, {"2E+2", 200}, {".5", 0.5L}, {"42", 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberOf(c.input), c.value) << c.input;
}

TEST_F(TokenizerTest, ErrorsCarryPositionsAndMessages) {
    const struct {
        const char* input;
        const char* message;
        std::int32_t position;
        std::int32_t errorPos;
    } cases[] = {
        {"+", "Plusoperator als letztes Zeichen nicht gestattet.", 1, 1},
        {"2*(+", "Plusoperator als letztes Zeichen nicht gestattet.", 4, 4},
        {"1.2.3+x", "Numerischer Wert wurde erwartet: \"1.2.3+x\"", 1, 0},
        {" x+1e5000 ", "Numerischer Wert wurde erwartet: \"x+1e5000\"", 3, 0},
        {"a_b", "Illegales Zeichen: _", 2, 2},
        {"2#3", "Illegales Zeichen: #", 2, 2},
        {"1,5", "Illegales Zeichen: ,", 2, 2},
        {"2*ä", "Illegales Zeichen: ä", 3, 3},
        {"ä€x+a[", "Illegales Zeichen: ä", 1, 1},
        {"x€", "Illegales Zeichen: €", 2, 2},
    };
    for (const auto& c : cases) {
        const std::int32_t nodesBefore = NodeInstanceCount;
        TKvMathRealTokenizer tokenizer(&Depot);
        try {
            tokenizer.Tokenize(c.input);
            ADD_FAILURE() << c.input << " was accepted";
        } catch (const EKvMathParserError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.input;
            EXPECT_EQ(e.Position, c.position) << c.input;
        }
        EXPECT_EQ(tokenizer.ErrorPos, c.errorPos) << c.input;
        EXPECT_EQ(NodeInstanceCount, nodesBefore) << c.input;
    }
    EXPECT_EQ(Depot.IndexOf("a"), 0) << "variables met before an error stay";
}

TEST_F(TokenizerTest, NodeLimitBecomesParserErrorAtTheToken) {
    std::optional<TNodeLimit> limit(NodeInstanceCount + 2);
    TKvMathRealTokenizer tokenizer(&Depot);
    try {
        tokenizer.Tokenize("1+22");
        ADD_FAILURE() << "the third node was made";
    } catch (const EKvMathParserError& e) {
        EXPECT_STREQ(e.what(), "Too much instances of TKvOperatorNode!");
        EXPECT_EQ(e.Position, 3);
    }
    limit.reset();
    EXPECT_EQ(tokenizer.ErrorPos, 0);
}

TEST_F(TokenizerTest, CommaSeparatorReadsAsPoint) {
    SetDecimalSeparator(',');
    EXPECT_EQ(NumberOf("1,5"), 1.5L);
    EXPECT_EQ(NumberOf("1.5"), 1.5L);
}

TEST_F(TokenizerTest, PlaceholdersBecomeCopiesAndParamsAreDestroyed) {
    const std::int32_t before = NodeInstanceCount;
    std::vector<TKvNodePtr> params;
    params.push_back(TKvOperatorNode::CreateVariable(dtExtended, &Depot, "x"));
    params.push_back(TKvOperatorNode::CreateExtended(7));
    TKvOperatorNode* original = params[0].get();
    {
        TKvVarDepot other;
        TKvMathRealTokenizer tokenizer(&other);
        const TKvTokenList tokens =
            tokenizer.TokenizeWithParams("{0}*{1}+{0}-{2}", std::move(params));
        EXPECT_EQ(NodeInstanceCount, before + 6) << "three copies, *, +, M";
        ASSERT_EQ(tokens.Count(), 7);
        EXPECT_EQ(tokens[0].Text, "v");
        EXPECT_NE(tokens[0].Node, original);
        // A copy stays bound to the store of its original.
        EXPECT_EQ(tokens[0].Node->VarDepot, &Depot);
        EXPECT_EQ(tokens[2].Text, "v");
        EXPECT_EQ(tokens[2].Node->OpCode, OpCodes::Constant);
        EXPECT_EQ(tokens[6].Text, "{2}") << "no tree for index 2";
        EXPECT_EQ(tokens[6].Node, nullptr);
        EXPECT_EQ(other.Count(), 0);
    }
    EXPECT_EQ(NodeInstanceCount, before);
}

TEST_F(TokenizerTest, ErrorDestroysPartialListAndParams) {
    const std::int32_t before = NodeInstanceCount;
    std::vector<TKvNodePtr> params;
    params.push_back(TKvOperatorNode::CreateExtended(1));
    TKvMathRealTokenizer tokenizer(&Depot);
    EXPECT_THROW(tokenizer.TokenizeWithParams("{0}*sin(2)+#", std::move(params)), EBadToken);
    EXPECT_EQ(NodeInstanceCount, before);
}
