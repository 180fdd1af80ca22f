#include <algorithm>
#include <exception>
#include <utility>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Utf8.h"

namespace {

// Byte offset at which the character with the 0-based index begins (the text's size past the
// end). Prefixes ending on a character boundary decode to the same characters as the whole
// text, so the offset is one less than the shortest prefix holding index + 1 characters.
std::size_t ByteOffsetOfCharacter(const std::string& text, std::int32_t index) {
    std::size_t low = 0;
    std::size_t high = text.size() + 1;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (middle <= text.size() && Utf8Length(text.substr(0, middle)) < index + 1)
            low = middle + 1;
        else
            high = middle;
    }
    return low == 0 ? 0 : std::min(low - 1, text.size());
}

} // namespace

void TKvMathParser::SetExpression(const std::string& text) {
    Target->SetTree(nullptr);
    Expression = text;
    Target->SetErrorText("");
}

void TKvMathParser::Execute() {
    ErrorPos = 0;
    // Whatever the parse leaves in the tokens is destroyed on every way out.
    class TTokensCleared {
    public:
        TTokensCleared(TKvMathRealTokenizer& tokenizer, TKvTokenList& tokens)
            : Tokenizer(tokenizer), Tokens(tokens) {}
        ~TTokensCleared() {
            Tokens.Clear();
            Tokenizer.DropLargeBuffers();
        }
        TTokensCleared(const TTokensCleared&) = delete;
        TTokensCleared& operator=(const TTokensCleared&) = delete;

    private:
        TKvMathRealTokenizer& Tokenizer;
        TKvTokenList& Tokens;
    };
    try {
        const TTokensCleared cleared(Tokenizer, Tokens);
        Tokenizer.SetVarDepot(Target->VarDepot);
        try {
            Tokenizer.TokenizeWithParams(Expression, {}, Tokens);
        } catch (...) {
            ErrorPos = Tokenizer.ErrorPos;
            throw;
        }
        // Its operator table is the same for every parse, so one builder serves them all.
        static TKvRealMathTreeBuilder builder;
        Target->SetTree(builder.Build(Tokens));
        ErrorText.clear();
    } catch (const EKvOperatorNode& e) {
        ErrorText = MarkedExpression(e.what(), e.Position);
        Target->SetTree(nullptr);
    } catch (const std::exception& e) {
        ErrorText = *e.what() != '\0' ? e.what() : "Syntaxfehler";
        Target->SetTree(nullptr);
    } catch (...) {
        ErrorText = "Syntaxfehler";
        Target->SetTree(nullptr);
    }
}

std::unique_ptr<TKvFunctionCreator> TKvMathParser::Clone(TKvMathTreeFunction* target) const {
    auto copy = std::make_unique<TKvMathParser>(target);
    copy->Shared = Shared;
    copy->Expression = Expression;
    return copy;
}

std::string TKvMathParser::MarkedExpression(const std::string& message,
                                            std::int32_t position) const {
    const std::string marker = "[" + message + "]";
    if (position < 0) return Expression + marker;
    // Positions count characters; the marker goes before the character at position.
    const std::size_t offset = ByteOffsetOfCharacter(Expression, std::max(position - 1, 0));
    std::string result = Expression;
    result.insert(offset, marker);
    return result;
}

TKvNodePtr BuildFromTemplate(const std::string& text, TKvNodePtr tree0, TKvNodePtr tree1,
                             TKvVarDepot* depot) {
    std::vector<TKvNodePtr> params;
    params.push_back(std::move(tree0));
    params.push_back(std::move(tree1));
    TKvMathRealTokenizer tokenizer(depot);
    TKvTokenList tokens = tokenizer.TokenizeWithParams(text, std::move(params));
    TKvRealMathTreeBuilder builder;
    return builder.Build(tokens);
}
