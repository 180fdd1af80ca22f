#include <algorithm>
#include <utility>

#include "parser/MathPars.h"

// Counts one level of nesting for as long as the parse of a nested part runs.
class TKvAbstractMathTreeBuilder::TNesting {
public:
    explicit TNesting(TKvAbstractMathTreeBuilder& builder) : Builder(builder) {
        if (Builder.Depth >= MaxNestingDepth) {
            const TKvToken& token = (*Builder.Tokens)[Builder.Cursor];
            throw ESyntaxError("Ausdruck zu tief verschachtelt!", token.Position);
        }
        ++Builder.Depth;
    }
    ~TNesting() { --Builder.Depth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

private:
    TKvAbstractMathTreeBuilder& Builder;
};

void TKvAbstractMathTreeBuilder::AddOperator(std::int32_t level, std::uint16_t code,
                                             std::int32_t kind) {
    if (level < 0 || level >= MaxLevels) throw Exception("Zu viele Operatorebenen!");
    if (static_cast<std::size_t>(level) >= Levels.size()) Levels.resize(level + 1);
    Levels[level].push_back(code);
    switch (kind) {
    case okPrefix:
        LevelHandlers[level] = &TKvAbstractMathTreeBuilder::ParsePrefix;
        break;
    case okPostfix:
        LevelHandlers[level] = &TKvAbstractMathTreeBuilder::ParsePostfix;
        break;
    case okInfix:
        LevelHandlers[level] = &TKvAbstractMathTreeBuilder::ParseInfix;
        break;
    default:
        break;
    }
}

TKvNodePtr TKvAbstractMathTreeBuilder::Build(TKvTokenList& tokens) {
    if (tokens.Empty()) return nullptr;
    Tokens = &tokens;
    Cursor = 0;
    Depth = 0;
    Used.assign(tokens.Count(), false);
    Codes.clear();
    for (std::int32_t i = 0; i < tokens.Count(); ++i) {
        const TKvToken& token = tokens[i];
        const bool coded = token.Node != nullptr && !token.Is('v') && !token.Is('f');
        Codes.push_back(coded ? token.Node->OpCode : -1);
    }
    TKvOperatorNode* root = nullptr;
    try {
        root = ParseLevel(0);
        if (!AtEnd())
            throw ESyntaxError("Syntaxfehler! Unbekannte Funktion oder fehlender Operator!");
        // Text that yields no tree (a lone ")") is not an empty expression.
        if (root == nullptr) throw EMissingExpression("Fehlender Ausdruck!");
    } catch (...) {
        tokens.DestroyNodes();
        Tokens = nullptr;
        throw;
    }
    // Repeated operators of a run (the second "+" of a+b+c) did not become part of the tree.
    for (std::int32_t i = 0; i < tokens.Count(); ++i)
        if (!Used[i]) tokens.DestroyNode(i);
    tokens.ReleaseNodes();
    Tokens = nullptr;
    return TKvNodePtr(root);
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::ParseLevel(std::int32_t level) {
    if (static_cast<std::size_t>(level) >= Levels.size()) return ParsePrimary();
    const TLevelHandler handler = LevelHandlers[level];
    if (handler == nullptr) return ParseLevel(level + 1);
    return (this->*handler)(level);
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::ParseInfix(std::int32_t level) {
    TKvOperatorNode* left = ParseLevel(level + 1);
    TKvOperatorNode* node = nullptr;
    std::int32_t op = CurrentCode();
    while (IsOnLevel(level, op)) {
        if (node == nullptr) {
            node = TakeCurrent();
            node->AddOperand(-1, left);
        }
        ++Cursor;
        TKvOperatorNode* right = ParseLevel(level + 1);
        if (right == nullptr)
            throw EMissingNode("Operator \"" + node->NodeText() + "\" Error: Argument fehlt!");
        node->AddOperand(-1, right);
        const std::int32_t next = CurrentCode();
        if (next != op && IsOnLevel(level, next)) {
            TKvOperatorNode* outer = TakeCurrent();
            outer->AddOperand(-1, node);
            node = outer;
        }
        op = next;
    }
    if (node == nullptr) return left;
    if (node->OperandCount() == 0)
        throw EMissingNode("Operator \"" + node->NodeText() + "\" Error: Keine Argumente!",
                           node->SourcePos);
    return node;
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::ParsePrefix(std::int32_t level) {
    if (!IsOnLevel(level, CurrentCode())) return ParseLevel(level + 1);
    TNesting nesting(*this);
    TKvOperatorNode* node = TakeCurrent();
    ++Cursor;
    TKvOperatorNode* operand = ParseLevel(level + 1);
    if (operand == nullptr)
        throw EMissingNode("Operator \"" + node->NodeText() + "\" Error: Argument fehlt!");
    node->AddOperand(-1, operand);
    return node;
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::ParsePostfix(std::int32_t level) {
    TKvOperatorNode* left = ParseLevel(level + 1);
    TKvOperatorNode* node = nullptr;
    while (IsOnLevel(level, CurrentCode())) {
        TKvOperatorNode* outer = TakeCurrent();
        outer->AddOperand(-1, node != nullptr ? node : left);
        node = outer;
        ++Cursor;
    }
    if (node == nullptr) return left;
    if (node->OperandCount() == 0)
        throw EMissingNode("Operator \"" + node->NodeText() + "\" Error: Keine Argumente!",
                           node->SourcePos);
    return node;
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::ParsePrimary() {
    if (AtEnd()) throw EMissingExpression("Fehlender Ausdruck!");
    const TKvToken& token = (*Tokens)[Cursor];
    switch (token.Text[0]) {
    case '(': {
        TNesting nesting(*this);
        ++Cursor;
        TKvOperatorNode* node = ParseLevel(0);
        if (!AtEnd() && (*Tokens)[Cursor].Is(')')) {
            ++Cursor;
            return node;
        }
        throw EMissMatchingBracket("Klammerfehler!", node != nullptr ? node->SourcePos : -1);
    }
    case ')':
        ++Cursor;
        return nullptr;
    case 'f': {
        TNesting nesting(*this);
        TKvOperatorNode* node = TakeCurrent();
        ++Cursor;
        // A function directly followed by ")" keeps no operand; evaluation reports it.
        if (TKvOperatorNode* argument = ParsePrimary()) node->AddOperand(-1, argument);
        return node;
    }
    case 'v': {
        TKvOperatorNode* node = TakeCurrent();
        ++Cursor;
        return node;
    }
    default:
        throw ESyntaxError(std::string("Ausdruck \"") + token.Text[0] +
                               "\" an dieser Stelle falsch!",
                           token.Node != nullptr ? token.Node->SourcePos : -1);
    }
}

bool TKvAbstractMathTreeBuilder::IsOnLevel(std::int32_t level, std::int32_t code) const {
    if (code < 0) return false;
    const std::vector<std::uint16_t>& codes = Levels[level];
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

TKvOperatorNode* TKvAbstractMathTreeBuilder::TakeCurrent() {
    Used[Cursor] = true;
    return (*Tokens)[Cursor].Node;
}

void TKvRealMathTreeBuilder::DefineOperators() {
    AddOperator(0, OpCodes::Sum, okInfix);
    AddOperator(0, OpCodes::Subtraction, okInfix);
    AddOperator(1, OpCodes::Negation, okPrefix);
    AddOperator(2, OpCodes::Product, okInfix);
    AddOperator(2, OpCodes::Quotient, okInfix);
    AddOperator(3, OpCodes::Power, okInfix);
    AddOperator(4, OpCodes::Factorial, okPostfix);
}

namespace {

// Whether the tree built from tokens can hold a subtraction: a minus token, or a placeholder
// copy with operands of its own.
bool MaySubtract(const TKvTokenList& tokens) {
    for (std::int32_t i = 0; i < tokens.Count(); ++i) {
        const TKvToken& token = tokens[i];
        if (token.Node == nullptr) continue;
        if (token.Node->OpCode == OpCodes::Subtraction) return true;
        if (token.Is('v') && token.Node->OperandCount() > 0) return true;
    }
    return false;
}

} // namespace

TKvNodePtr TKvRealMathTreeBuilder::Build(TKvTokenList& tokens) {
    // Most expressions subtract nothing; their trees need no walk.
    const bool maySubtract = MaySubtract(tokens);
    TKvNodePtr root = TKvAbstractMathTreeBuilder::Build(tokens);
    if (root && maySubtract) root = ReplaceSubtractions(std::move(root));
    return root;
}

// minus(a, b, c, ...) becomes +(a, -(b), -(c), ...). The operands are held while the new
// nodes are made, so running out of nodes loses nothing.
TKvNodePtr TKvRealMathTreeBuilder::ReplaceSubtraction(TKvNodePtr minus) {
    std::vector<TKvNodePtr>& operands = Minus;
    operands.clear();
    try {
        while (minus->OperandCount() > 0)
            operands.push_back(minus->ReleaseOperand(0));
        const TKvDataType dataType = minus->DataType;
        TKvNodePtr sum;
        std::size_t next;
        if (operands.size() >= 2) {
            sum =
                TKvOperatorNode::CreateSubtraction(std::move(operands[0]), std::move(operands[1]));
            next = 2;
        } else {
            // Nothing stood left of the minus (")-3"): every operand is subtracted from nothing.
            sum = TKvOperatorNode::CreateOperator(dataType, OpCodes::Sum);
            next = 0;
        }
        for (; next < operands.size(); ++next) {
            TKvNodePtr negation = TKvOperatorNode::CreateOperator(dataType, OpCodes::Negation);
            negation->AddOperand(-1, std::move(operands[next]));
            sum->AddOperand(-1, std::move(negation));
        }
        operands.clear();
        return sum;
    } catch (...) {
        operands.clear();
        throw;
    }
}

TKvNodePtr TKvRealMathTreeBuilder::ReplaceSubtractions(TKvNodePtr root) {
    // Alternating runs such as a-b+c-d+... nest as deep as they are long, so the tree is
    // walked with an explicit list rather than by recursion.
    if (root->OpCode == OpCodes::Subtraction) root = ReplaceSubtraction(std::move(root));
    std::vector<TKvOperatorNode*>& pending = Pending;
    pending.clear();
    // Enough for short expressions at once, instead of growing through each size.
    pending.reserve(32);
    pending.push_back(root.get());
    try {
        while (!pending.empty()) {
            TKvOperatorNode* node = pending.back();
            pending.pop_back();
            for (std::int32_t i = 0; i < node->OperandCount(); ++i) {
                TKvOperatorNode* operand = node->GetOperand(i);
                if (operand == nullptr) continue;
                if (operand->OpCode == OpCodes::Subtraction) {
                    // The slot is empty while the operand is replaced, so an error frees it
                    // once.
                    node->SetOperand(i, nullptr);
                    operand = ReplaceSubtraction(TKvNodePtr(operand)).release();
                    node->SetOperand(i, operand);
                }
                pending.push_back(operand);
            }
        }
    } catch (...) {
        pending.clear();
        throw;
    }
    // A long expression's list goes back to the heap; a short one's room serves the next.
    constexpr std::size_t KeptCapacity = 256;
    if (pending.capacity() > KeptCapacity) std::vector<TKvOperatorNode*>().swap(pending);
    if (Minus.capacity() > KeptCapacity) std::vector<TKvNodePtr>().swap(Minus);
    return root;
}
