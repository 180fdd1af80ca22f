#include "functions/ExprText.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "functions/MthTrFnc.h"

namespace {

// A node without the operands its code needs.
struct TMalformedTree {};

template <typename T> long double Load(const void* value) {
    T x;
    std::memcpy(&x, value, sizeof x);
    return static_cast<long double>(x);
}

bool Is(const TKvOperatorNode* node, std::uint16_t code) {
    return node != nullptr && node->OpCode == code;
}

// Its text begins with "-" (-0 is written 0).
bool IsNegativeConstant(const TKvOperatorNode* node) {
    return Is(node, OpCodes::Constant) && ConstantValue(*node) < 0;
}

// Whether a node written below a sum at a later position begins with "-". Below a sum nothing
// is put in brackets, and a product, quotient or power that is not the root brackets every
// first operand that would begin with "-", so only this chain can.
bool BeginsWithMinus(const TKvOperatorNode* node) {
    while (node != nullptr) {
        if (node->OpCode == OpCodes::Negation) return true;
        if (node->OpCode == OpCodes::Constant) return IsNegativeConstant(node);
        if (node->OpCode != OpCodes::Sum || node->OperandCount() == 0) return false;
        node = node->GetOperand(0);
    }
    return false;
}

// Whether the child at index of parent (a sum, product, quotient or power) goes in brackets.
// parentIsRoot is the top-level flag of the parent's own writing.
bool NeedsBrackets(const TKvOperatorNode* parent, bool parentIsRoot, std::int32_t index,
                   const TKvOperatorNode* child) {
    const std::uint16_t code = child->OpCode;
    if (code == OpCodes::Constant) {
        // The base of a power is bracketed even at the root: -2^x reads as -(2^x).
        return IsNegativeConstant(child) && parent->OpCode != OpCodes::Sum &&
               (index > 0 || !parentIsRoot || parent->OpCode == OpCodes::Power);
    }
    const bool sum = code == OpCodes::Sum;
    const bool negation = code == OpCodes::Negation;
    const bool product = code == OpCodes::Product;
    const bool quotient = code == OpCodes::Quotient;
    switch (parent->OpCode) {
    case OpCodes::Product:
        return sum || (negation && (index > 0 || !parentIsRoot));
    case OpCodes::Quotient:
        return sum || negation || (index > 0 && (product || quotient));
    case OpCodes::Power:
        return sum || product || quotient || negation || (index > 0 && code == OpCodes::Power);
    default:
        return false;
    }
}

// Writes without recursion, so deep trees cannot exhaust the stack: the tasks still to do
// are kept on a list, last in first out.
class TTextWriter {
public:
    std::string Write(const TKvOperatorNode* root) {
        PushNode(root, true);
        while (!Tasks.empty()) {
            const TTask task = Tasks.back();
            Tasks.pop_back();
            switch (task.Kind) {
            case TTaskKind::Literal:
                Text += task.Literal;
                break;
            case TTaskKind::Node:
                WriteNode(task.Node, task.Top);
                break;
            case TTaskKind::Child:
                WriteChild(task.Node, task.Top, task.Index);
                break;
            }
        }
        return Text;
    }

private:
    enum class TTaskKind { Literal, Node, Child };
    // Node: the node and its top-level flag. Child: the parent, the parent's flag and the index.
    struct TTask {
        TTaskKind Kind;
        const char* Literal;
        const TKvOperatorNode* Node;
        bool Top;
        std::int32_t Index;
    };

    void PushLiteral(const char* literal) {
        Tasks.push_back({TTaskKind::Literal, literal, nullptr, false, 0});
    }
    void PushNode(const TKvOperatorNode* node, bool top) {
        Tasks.push_back({TTaskKind::Node, nullptr, node, top, 0});
    }
    void PushChild(const TKvOperatorNode* parent, bool top, std::int32_t index) {
        Tasks.push_back({TTaskKind::Child, nullptr, parent, top, index});
    }

    // The operand count, after checking that the node has at least one and none is missing.
    static std::int32_t CheckedCount(const TKvOperatorNode* node) {
        const std::int32_t count = node->OperandCount();
        if (count == 0) throw TMalformedTree();
        for (std::int32_t i = 0; i < count; ++i)
            if (node->GetOperand(i) == nullptr) throw TMalformedTree();
        return count;
    }

    void WriteNode(const TKvOperatorNode* node, bool top) {
        if (node == nullptr) throw TMalformedTree();
        switch (node->OpCode) {
        case OpCodes::Constant:
        case OpCodes::Variable:
            Text += node->NodeText();
            return;
        case OpCodes::Sum: {
            const std::int32_t count = CheckedCount(node);
            for (std::int32_t i = count - 1; i > 0; --i) {
                PushChild(node, top, i);
                // A term that begins with "-" (a negation, a negative constant) needs no "+".
                if (!BeginsWithMinus(node->GetOperand(i))) PushLiteral("+");
            }
            PushChild(node, top, 0);
            return;
        }
        case OpCodes::Product:
        case OpCodes::Quotient:
        case OpCodes::Power: {
            const std::int32_t count = CheckedCount(node);
            const char* sign = node->OpCode == OpCodes::Product    ? "*"
                               : node->OpCode == OpCodes::Quotient ? "/"
                                                                   : "^";
            for (std::int32_t i = count - 1; i > 0; --i) {
                PushChild(node, top, i);
                PushLiteral(sign);
            }
            PushChild(node, top, 0);
            return;
        }
        case OpCodes::Negation: {
            CheckedCount(node);
            const TKvOperatorNode* child = node->GetOperand(0);
            Text += "-";
            // A negative constant is bracketed too: --2 does not read back.
            if (Is(child, OpCodes::Sum) || Is(child, OpCodes::Negation) ||
                IsNegativeConstant(child)) {
                PushLiteral(")");
                PushNode(child, false);
                PushLiteral("(");
            } else {
                PushNode(child, false);
            }
            return;
        }
        case OpCodes::Factorial: {
            CheckedCount(node);
            const TKvOperatorNode* child = node->GetOperand(0);
            PushLiteral("!");
            // -2! reads as -(2!), so a negative constant is bracketed as well. A factorial
            // is not: x!! reads as (x!)!, and brackets around each of a long run of them would
            // nest deeper than the parser reads.
            if (Is(child, OpCodes::Variable) || Is(child, OpCodes::Factorial) ||
                (Is(child, OpCodes::Constant) && !IsNegativeConstant(child))) {
                PushNode(child, false);
            } else {
                PushLiteral(")");
                PushNode(child, false);
                PushLiteral("(");
            }
            return;
        }
        default: {
            const std::int32_t count = CheckedCount(node);
            Text += node->NodeText();
            Text += "(";
            PushLiteral(")");
            for (std::int32_t i = count - 1; i > 0; --i) {
                PushNode(node->GetOperand(i), false);
                PushLiteral(", ");
            }
            PushNode(node->GetOperand(0), false);
            return;
        }
        }
    }

    void WriteChild(const TKvOperatorNode* parent, bool parentIsRoot, std::int32_t index) {
        const TKvOperatorNode* child = parent->GetOperand(index);
        if (NeedsBrackets(parent, parentIsRoot, index, child)) {
            PushLiteral(")");
            PushNode(child, false);
            PushLiteral("(");
        } else {
            // A product that opens a product at the start of the text is read back as part of
            // one flat product, so it writes its first operand as the outer one would.
            const bool opensRoot = parentIsRoot && index == 0 && Is(parent, OpCodes::Product) &&
                                   Is(child, OpCodes::Product);
            PushNode(child, opensRoot);
        }
    }

    std::vector<TTask> Tasks;
    std::string Text;
};

} // namespace

long double ConstantValue(const TKvOperatorNode& node) {
    const void* value = node.Value;
    if (value == nullptr) return 0;
    switch (node.DataType) {
    case dtByte:
        return Load<std::uint8_t>(value);
    case dtWord:
        return Load<std::uint16_t>(value);
    case dtShortInt:
        return Load<std::int8_t>(value);
    case dtSmallInt:
        return Load<std::int16_t>(value);
    case dtInteger:
        return Load<std::int32_t>(value);
    case dtInt64:
    case dtComp:
        return Load<std::int64_t>(value);
    case dtSingle:
        return Load<float>(value);
    case dtDouble:
    case dtReal:
        return Load<double>(value);
    default:
        return AsExtended(value);
    }
}

std::string ExpressionText(const TKvOperatorNode* root) {
    if (root == nullptr) return "";
    try {
        return TTextWriter().Write(root);
    } catch (...) {
        // No partial text: whatever went wrong, the caller learns only that writing failed.
        throw EKvMathTreeFunction("Fehler in Funktionsstringerstellung!");
    }
}

std::string TKvMathTreeFunction::ToText() const {
    return ExpressionText(GetTree());
}
