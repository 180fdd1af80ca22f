// Tokenizer, tree builder and parser: from expression text to expression tree.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/MathTree.h"
#include "functions/FncCreat.h"
#include "values/VarDepot.h"

class TKvMathTreeFunction;

// One token: its text ("(", ")", "+", "M", "-", "*", "/", "^", "!", "v", "f" or a brace
// group), the node made for it, and the 1-based character position of its first character.
struct TKvToken {
    std::string Text;
    TKvOperatorNode* Node = nullptr;
    std::int32_t Position = 0;

    // Whether the text is the single character kind.
    bool Is(char kind) const { return Text.size() == 1 && Text[0] == kind; }
};

// The tokens of one text. The list owns the nodes it still holds; a builder takes them over.
class TKvTokenList {
public:
    TKvTokenList() = default;
    ~TKvTokenList() { DestroyNodes(); }
    TKvTokenList(TKvTokenList&& other) noexcept : Items(std::move(other.Items)) {
        other.Items.clear();
    }
    TKvTokenList& operator=(TKvTokenList&& other) noexcept;
    TKvTokenList(const TKvTokenList&) = delete;
    TKvTokenList& operator=(const TKvTokenList&) = delete;

    void Add(const std::string& text, TKvNodePtr node, std::int32_t position);
    std::int32_t Count() const { return static_cast<std::int32_t>(Items.size()); }
    bool Empty() const { return Items.empty(); }
    void Reserve(std::size_t count) { Items.reserve(count); }
    const TKvToken& operator[](std::int32_t index) const { return Items[index]; }

    // Destroys every node still held exactly once, also when some are already operands of
    // others. Nodes of operand tokens ("v") keep their own operands: a placeholder copy owns
    // its subtree, while operator and function nodes only ever hold other tokens' nodes.
    void DestroyNodes();
    void DestroyNode(std::int32_t index);
    // Forgets the nodes: they belong to a tree now.
    void ReleaseNodes();
    // Destroys the nodes still held and empties the list; a short list keeps its room for
    // the next text.
    void Clear();

private:
    std::vector<TKvToken> Items;
};

class TKvMathAbstractTokenizer {
public:
    // The store receives the variable names met; it is not owned.
    explicit TKvMathAbstractTokenizer(TKvVarDepot* depot);
    virtual ~TKvMathAbstractTokenizer() = default;
    TKvMathAbstractTokenizer(const TKvMathAbstractTokenizer&) = delete;
    TKvMathAbstractTokenizer& operator=(const TKvMathAbstractTokenizer&) = delete;

    // Reads the token at the 1-based character position of Text and advances past it. An
    // empty token text means the characters produced no token.
    virtual void ReadToken(std::int32_t& position, std::string& tokenText, TKvNodePtr& node) = 0;
    // Trims characters 0..32 from both ends and turns the locale's decimal separator into ".".
    virtual void Normalize(const std::string& text, std::string& normalized);
    std::string Normalize(const std::string& text);
    virtual TKvTokenList Tokenize(const std::string& text);
    // The placeholders {0}, {1}, ... become copies of params (up to 20, ending at the first
    // null entry). The params are destroyed in every case.
    TKvTokenList TokenizeWithParams(const std::string& text, std::vector<TKvNodePtr> params);
    // The same into tokens, which is emptied first; on an error tokens may hold some.
    void TokenizeWithParams(const std::string& text, std::vector<TKvNodePtr> params,
                            TKvTokenList& tokens);

    // The store for the variables of the texts still to come.
    void SetVarDepot(TKvVarDepot* depot) { VarDepot = depot; }
    // Gives back the buffers of a long text, so that a tokenizer kept for many texts does not
    // hold on to the largest one's memory.
    void DropLargeBuffers();

    const std::string& GetText() const { return Text; }

    // Position of the last error that records one (an illegal character, a lone plus); 0 when
    // none. Each text starts afresh.
    std::int32_t ErrorPos = 0;

    static constexpr std::int32_t MaxParams = 20;

protected:
    bool IsSkipChar(char32_t c) const { return c < SkipChars.size() && SkipChars[c]; }
    // Whether the next token stands at the start of the text or of a bracket.
    bool AtOperandStart() const {
        return PrevToken.size() == 1 && (PrevToken[0] == StartMarker[0] || PrevToken[0] == '(');
    }

    // The normalized text, and the same as characters.
    std::string Text;
    std::u32string Chars;
    TKvVarDepot* VarDepot;
    std::bitset<256> SkipChars;
    std::string PrevToken;

    // PrevToken before the first token.
    static constexpr const char* StartMarker = "\x01";
};

class TKvMathRealTokenizer : public TKvMathAbstractTokenizer {
public:
    using TKvMathAbstractTokenizer::TKvMathAbstractTokenizer;

    // Parser errors get the token's position; any other error becomes an EKvMathParserError
    // with its message at that position. The token's node is destroyed on every error.
    void ReadToken(std::int32_t& position, std::string& tokenText, TKvNodePtr& node) override;

private:
    void ScanToken(std::int32_t& position, std::string& tokenText, TKvNodePtr& node);
};

// How an operator stands to its operands.
enum TKvOperatorKind : int { okPrefix = -1, okPostfix = 1, okInfix = 2 };

// A precedence parser over the operator levels that a subclass registers.
class TKvAbstractMathTreeBuilder {
public:
    static constexpr std::int32_t MaxLevels = 100;
    // Brackets, functions and prefix operators nest at most this deep, so the recursive
    // descent stays well inside the stack.
    static constexpr std::int32_t MaxNestingDepth = 1000;

    virtual ~TKvAbstractMathTreeBuilder() = default;
    TKvAbstractMathTreeBuilder(const TKvAbstractMathTreeBuilder&) = delete;
    TKvAbstractMathTreeBuilder& operator=(const TKvAbstractMathTreeBuilder&) = delete;

    // The root, or null for an empty list. Afterwards the list holds no nodes: the tree has
    // the ones it uses, the others are destroyed, and on an error all of them are.
    virtual TKvNodePtr Build(TKvTokenList& tokens);

protected:
    TKvAbstractMathTreeBuilder() = default;

    // Registers the operators with AddOperator; the concrete constructor calls it.
    virtual void DefineOperators() = 0;
    // kind: okPrefix, okPostfix or okInfix; any other kind registers the code without a
    // handler. Raises Exception beyond MaxLevels.
    void AddOperator(std::int32_t level, std::uint16_t code, std::int32_t kind);

    using TLevelHandler = TKvOperatorNode* (TKvAbstractMathTreeBuilder::*)(std::int32_t level);

    TKvOperatorNode* ParseLevel(std::int32_t level);
    TKvOperatorNode* ParseInfix(std::int32_t level);
    TKvOperatorNode* ParsePrefix(std::int32_t level);
    TKvOperatorNode* ParsePostfix(std::int32_t level);
    TKvOperatorNode* ParsePrimary();

    std::vector<std::vector<std::uint16_t>> Levels;
    std::array<TLevelHandler, MaxLevels> LevelHandlers{};
    TKvTokenList* Tokens = nullptr;
    std::int32_t Cursor = 0;

private:
    class TNesting;

    bool AtEnd() const { return Cursor >= Tokens->Count(); }
    // -1 at the end, for tokens without a node and for operand tokens.
    std::int32_t CurrentCode() const {
        return Cursor < static_cast<std::int32_t>(Codes.size()) ? Codes[Cursor] : -1;
    }
    bool IsOnLevel(std::int32_t level, std::int32_t code) const;
    // The current token's node, now part of the tree.
    TKvOperatorNode* TakeCurrent();

    std::vector<bool> Used;
    // Each token's code as CurrentCode gives it, read once per build: the descent through
    // the levels asks for it several times per token.
    std::vector<std::int32_t> Codes;
    std::int32_t Depth = 0;
};

class TKvRealMathTreeBuilder : public TKvAbstractMathTreeBuilder {
public:
    TKvRealMathTreeBuilder() { DefineOperators(); }

    // Also turns every binary minus a - b - c into +(a, -(b), -(c)).
    TKvNodePtr Build(TKvTokenList& tokens) override;

protected:
    void DefineOperators() override;

private:
    TKvNodePtr ReplaceSubtractions(TKvNodePtr root);
    TKvNodePtr ReplaceSubtraction(TKvNodePtr minus);

    // Working lists of the replacement, kept from build to build.
    std::vector<TKvOperatorNode*> Pending;
    std::vector<TKvNodePtr> Minus;
};

class TKvMathParser : public TKvFunctionCreator {
public:
    // target must not be null.
    explicit TKvMathParser(TKvMathTreeFunction* target) : TKvFunctionCreator(target) {}

    // Drops the target's tree and message; the next Calculate of the target parses text.
    void SetExpression(const std::string& text);
    const std::string& GetExpression() const { return Expression; }
    // Builds the target's tree from the expression. Never raises: on an error the target has
    // no tree and ErrorText is the expression with "[message]" inserted at the error position.
    void Execute() override;
    std::unique_ptr<TKvFunctionCreator> Clone(TKvMathTreeFunction* target) const override;

    // 1-based character position of the tokenizer error of the latest Execute; 0 when none.
    std::int32_t ErrorPos = 0;

private:
    std::string MarkedExpression(const std::string& message, std::int32_t position) const;

    std::string Expression;
    // Kept from parse to parse, so that their buffers serve the next expression.
    TKvMathRealTokenizer Tokenizer{nullptr};
    TKvTokenList Tokens;
};

// Builds a tree from a template in which {0} and {1} stand for copies of tree0 and tree1
// (tree1 may be null). Both trees are taken over and destroyed. Errors are not caught.
TKvNodePtr BuildFromTemplate(const std::string& text, TKvNodePtr tree0, TKvNodePtr tree1,
                             TKvVarDepot* depot);
