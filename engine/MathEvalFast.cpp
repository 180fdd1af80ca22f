// The fast evaluators of the extended type. They compute in registers and never look at the
// fault flags; Evaluate tests the flags once at the end. A node's kernels are fixed when it is
// made, so each evaluator computes what its node's kernels would. Anything out of the ordinary
// (a missing operand, a kernel that would fail, a node of another type) raises the invalid flag
// instead, and Evaluate then runs the checked evaluators, which produce the value and the
// messages. On the success path both compute the same operations on the same 80-bit values, so
// they give the same result.
#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"

namespace {

using namespace KvKernels;

[[gnu::cold, gnu::noinline]] long double Refuse() {
    return RaiseInvalid();
}

long double RefuseNode(TKvOperatorNode&) {
    return Refuse();
}

// A successful evaluation leaves every node's message empty.
[[gnu::always_inline]] inline void ClearText(TKvOperatorNode& node) {
    if (!node.ErrorText.empty()) [[unlikely]]
        node.ErrorText.clear();
}

TKvOperatorNode* FirstOperand(const TKvOperatorNode& node) {
    return node.Operands && !node.Operands->empty() ? node.Operands->front() : nullptr;
}

[[gnu::always_inline]] inline long double LeafValue(TKvOperatorNode& node) {
    if (!node.ErrorText.empty()) [[unlikely]]
        return Refuse();
    return Load<long double>(node.Value);
}

long double ExtendedLeaf(TKvOperatorNode& node) {
    return LeafValue(node);
}

// Half the nodes of a tree are leaves; reading them in place saves a call each.
[[gnu::always_inline]] inline long double Value(TKvOperatorNode& node) {
    const TValueEvaluator fast = node.GetFastValue();
    if (fast == ExtendedLeaf) return LeafValue(node);
    return fast(node);
}

struct TSum {
    static bool Apply(long double& left, long double right) {
        left += right;
        return true;
    }
};
struct TProduct {
    static bool Apply(long double& left, long double right) {
        left *= right;
        return true;
    }
};
struct TQuotient {
    static bool Apply(long double& left, long double right) {
        if (right == 0) return false;
        left /= right;
        return true;
    }
};
struct TPower {
    static bool Apply(long double& left, long double right) {
        return KvScalar::Power(left, right, left);
    }
};

// The left fold of an operator node.
template <class TOperation> long double ExtendedOperator(TKvOperatorNode& node) {
    if (!node.Operands) [[unlikely]]
        return Refuse();
    const std::vector<TKvOperatorNode*>& operands = *node.Operands;
    const std::size_t count = operands.size();
    if (count == 0 || operands[0] == nullptr) [[unlikely]]
        return Refuse();
    long double value = Value(*operands[0]);
    for (std::size_t i = 1; i < count; ++i) {
        TKvOperatorNode* operand = operands[i];
        if (operand == nullptr) [[unlikely]]
            return Refuse();
        if (!TOperation::Apply(value, Value(*operand))) [[unlikely]]
            return Refuse();
    }
    ClearText(node);
    return value;
}

long double ExtendedNegation(TKvOperatorNode& node) {
    TKvOperatorNode* operand = FirstOperand(node);
    if (operand == nullptr) [[unlikely]]
        return Refuse();
    const long double value = Value(*operand);
    ClearText(node);
    return -value;
}

struct TFastFunctionFamily {
    template <KvScalar::TScalarFunction F> static long double Kernel(TKvOperatorNode& node) {
        TKvOperatorNode* operand = FirstOperand(node);
        if (operand == nullptr) [[unlikely]]
            return Refuse();
        const long double value = Value(*operand);
        ClearText(node);
        return F(value);
    }
};

} // namespace

TValueEvaluator SelectFastLeaf(TKvDataType dataType) {
    return dataType == dtExtended ? ExtendedLeaf : RefuseNode;
}

TValueEvaluator SelectFastOperator(std::uint16_t code, TKvDataType dataType) {
    if (dataType != dtExtended) return RefuseNode;
    switch (code) {
    case OpCodes::Sum:
        return ExtendedOperator<TSum>;
    case OpCodes::Product:
        return ExtendedOperator<TProduct>;
    case OpCodes::Quotient:
        return ExtendedOperator<TQuotient>;
    case OpCodes::Power:
        return ExtendedOperator<TPower>;
    case OpCodes::Negation:
        return ExtendedNegation;
    default:
        break;
    }
    const TValueEvaluator function = KvScalar::PickFunction<TFastFunctionFamily>(code);
    return function ? function : RefuseNode;
}
