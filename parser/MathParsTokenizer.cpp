#include <array>
#include <string_view>
#include <utility>

#include "functions/FuncList.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "platform/Utf8.h"

namespace {

// The characters first to last (counted from 1) as UTF-8. Encoded in place: a copy of the run
// would cost an allocation for anything longer than three characters.
std::string RunText(const std::u32string& chars, std::int32_t first, std::int32_t last) {
    std::string text;
    text.reserve(static_cast<std::size_t>(last - first + 1));
    for (std::int32_t i = first - 1; i < last; ++i) {
        const char32_t c = chars[static_cast<std::size_t>(i)];
        if (c < 0x80)
            text += static_cast<char>(c);
        else
            text += U32ToUtf8(c);
    }
    return text;
}

using TRunBuffer = std::array<char, 32>;

// The characters first to last (counted from 1) of a run of ASCII characters: in buffer when
// they fit, otherwise in spill.
std::string_view AsciiRun(const std::u32string& chars, std::int32_t first, std::int32_t last,
                          TRunBuffer& buffer, std::string& spill) {
    const auto count = static_cast<std::size_t>(last - first + 1);
    char* run = buffer.data();
    if (count > buffer.size()) {
        spill.resize(count);
        run = spill.data();
    }
    for (std::size_t i = 0; i < count; ++i)
        run[i] = static_cast<char>(chars[static_cast<std::size_t>(first - 1) + i]);
    return {run, count};
}

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}
bool IsLetter(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// The index k of a placeholder "{k}", or -1 for any other text.
std::int32_t PlaceholderIndex(const std::string& text) {
    if (text.size() < 3 || text.size() > 5 || text.front() != '{' || text.back() != '}') return -1;
    std::int32_t index = 0;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        index = index * 10 + (text[i] - '0');
    }
    return index;
}

} // namespace

TKvTokenList& TKvTokenList::operator=(TKvTokenList&& other) noexcept {
    if (this != &other) {
        DestroyNodes();
        Items = std::move(other.Items);
        other.Items.clear();
    }
    return *this;
}

void TKvTokenList::Add(const std::string& text, TKvNodePtr node, std::int32_t position) {
    // Made in place: moving a short text costs a copy call of its own.
    TKvToken& token = Items.emplace_back();
    token.Position = position;
    token.Text = text;
    token.Node = node.release();
}

void TKvTokenList::DestroyNodes() {
    // First cut every link between the tokens' nodes, then destroy each node once.
    for (TKvToken& token : Items)
        if (token.Node != nullptr && !token.Is('v')) token.Node->SetOwnsOperands(false);
    for (std::int32_t i = 0; i < Count(); ++i)
        DestroyNode(i);
}

void TKvTokenList::DestroyNode(std::int32_t index) {
    TKvToken& token = Items[index];
    if (token.Node == nullptr) return;
    if (!token.Is('v')) token.Node->SetOwnsOperands(false);
    delete token.Node;
    token.Node = nullptr;
}

void TKvTokenList::ReleaseNodes() {
    for (TKvToken& token : Items)
        token.Node = nullptr;
}

void TKvTokenList::Clear() {
    // Room for a few hundred tokens is kept; a longer text's list goes back to the heap.
    constexpr std::size_t KeptCapacity = 256;
    DestroyNodes();
    Items.clear();
    if (Items.capacity() > KeptCapacity) std::vector<TKvToken>().swap(Items);
}

TKvMathAbstractTokenizer::TKvMathAbstractTokenizer(TKvVarDepot* depot)
    : VarDepot(depot), PrevToken(StartMarker) {
    for (const unsigned char c : {9, 10, 13, 32})
        SkipChars.set(c);
}

void TKvMathAbstractTokenizer::Normalize(const std::string& text, std::string& normalized) {
    // Trimmed into the existing buffer, without a new string.
    normalized.assign(TrimmedView(text));
    // Only a one-byte separator can be replaced without breaking a UTF-8 sequence.
    const char separator = DecimalSeparator();
    if (separator != '.' && static_cast<unsigned char>(separator) < 0x80)
        for (char& c : normalized)
            if (c == separator) c = '.';
}

std::string TKvMathAbstractTokenizer::Normalize(const std::string& text) {
    std::string result;
    Normalize(text, result);
    return result;
}

TKvTokenList TKvMathAbstractTokenizer::Tokenize(const std::string& text) {
    return TokenizeWithParams(text, {});
}

TKvTokenList TKvMathAbstractTokenizer::TokenizeWithParams(const std::string& text,
                                                          std::vector<TKvNodePtr> params) {
    TKvTokenList tokens;
    TokenizeWithParams(text, std::move(params), tokens);
    return tokens;
}

void TKvMathAbstractTokenizer::TokenizeWithParams(const std::string& text,
                                                  std::vector<TKvNodePtr> params,
                                                  TKvTokenList& tokens) {
    std::size_t paramCount = 0;
    while (paramCount < params.size() && paramCount < MaxParams && params[paramCount])
        ++paramCount;

    tokens.Clear();
    ErrorPos = 0;
    PrevToken = StartMarker;
    Normalize(text, Text);
    Utf8ToU32(Text, Chars);
    const auto length = static_cast<std::int32_t>(Chars.size());
    // Every token takes at least one character; growing the list would reallocate it often.
    tokens.Reserve(Chars.size());
    std::int32_t p = 1;
    std::string tokenText;
    while (p <= length) {
        if (IsSkipChar(Chars[p - 1])) {
            ++p;
            continue;
        }
        const std::int32_t start = p;
        TKvNodePtr node;
        ReadToken(p, tokenText, node);
        if (tokenText.empty()) {
            // A dropped unary plus: what follows is no longer at the start.
            PrevToken = "+";
            continue;
        }
        PrevToken = tokenText;
        const std::int32_t index = PlaceholderIndex(tokenText);
        if (index >= 0 && static_cast<std::size_t>(index) < paramCount)
            tokens.Add("v", params[index]->Clone(nullptr), start);
        else
            tokens.Add(tokenText, std::move(node), start);
    }
}

void TKvMathAbstractTokenizer::DropLargeBuffers() {
    constexpr std::size_t KeptCharacters = 1024;
    if (Text.capacity() > KeptCharacters) std::string().swap(Text);
    if (Chars.capacity() > KeptCharacters) std::u32string().swap(Chars);
}

void TKvMathRealTokenizer::ReadToken(std::int32_t& position, std::string& tokenText,
                                     TKvNodePtr& node) {
    const std::int32_t start = position;
    tokenText.clear();
    node.reset();
    try {
        ScanToken(position, tokenText, node);
        if (node) node->SourcePos = start;
    } catch (EKvMathParserError& e) {
        node.reset();
        e.Position = start;
        throw;
    } catch (const std::exception& e) {
        node.reset();
        throw EKvMathParserError(e.what(), start);
    }
}

void TKvMathRealTokenizer::ScanToken(std::int32_t& position, std::string& tokenText,
                                     TKvNodePtr& node) {
    const auto length = static_cast<std::int32_t>(Chars.size());
    const std::int32_t p = position;
    const char32_t c = Chars[p - 1];
    const auto makeOperator = [&](char text, std::uint16_t code) {
        tokenText.assign(1, text);
        node = TKvOperatorNode::CreateOperator(dtExtended, code);
        ++position;
    };

    switch (c) {
    case U'!':
        return makeOperator('!', OpCodes::Factorial);
    case U'*':
        return makeOperator('*', OpCodes::Product);
    case U'/':
        return makeOperator('/', OpCodes::Quotient);
    case U'^':
        return makeOperator('^', OpCodes::Power);
    case U'(':
    case U')':
        tokenText = static_cast<char>(c);
        ++position;
        return;
    case U'+':
        if (AtOperandStart()) {
            if (p == length) {
                ErrorPos = p;
                throw ESyntaxError("Plusoperator als letztes Zeichen nicht gestattet.");
            }
            ++position; // a unary plus changes nothing
            return;
        }
        return makeOperator('+', OpCodes::Sum);
    case U'-':
        if (AtOperandStart()) return makeOperator('-', OpCodes::Negation);
        return makeOperator('M', OpCodes::Subtraction);
    case U'{': {
        std::int32_t end = p;
        while (end < length && Chars[end - 1] != U'}')
            ++end;
        tokenText = U32ToUtf8(Chars.substr(p - 1, end - p + 1));
        position = end + 1;
        return;
    }
    default:
        break;
    }

    if (c == U'.' || IsDigit(c)) {
        std::int32_t end = p;
        while (end < length) {
            const char32_t next = Chars[end];
            const char32_t prev = Chars[end - 1];
            const bool afterExponent = prev == U'E' || prev == U'e';
            if (IsDigit(next) || next == U'.' || next == U'E' || next == U'e' ||
                ((next == U'+' || next == U'-') && afterExponent))
                ++end;
            else
                break;
        }
        TRunBuffer buffer;
        std::string spill;
        long double value = 0;
        if (!TryTextToExtended(AsciiRun(Chars, p, end, buffer, spill), value))
            throw EBadValue("Numerischer Wert wurde erwartet: \"" + Text + "\"");
        tokenText = "v";
        node = TKvOperatorNode::CreateExtended(value);
        position = end + 1;
        return;
    }

    if (IsLetter(c)) {
        std::int32_t end = p;
        while (end < length && (IsLetter(Chars[end]) || IsDigit(Chars[end])))
            ++end;
        const std::string name = RunText(Chars, p, end);
        const TKvRealFunctionList& functions = RealFunctionList();
        const std::int32_t index = functions.IndexOfUpperCaseName(AnsiUpperCase(name));
        if (index >= 0) {
            tokenText = "f";
            node = TKvOperatorNode::CreateOperator(dtExtended, functions.FunctionCode(index));
        } else {
            tokenText = "v";
            node = TKvOperatorNode::CreateVariable(dtExtended, VarDepot, name);
        }
        position = end + 1;
        return;
    }

    ErrorPos = p;
    throw EBadToken("Illegales Zeichen: " + U32ToUtf8(c));
}
