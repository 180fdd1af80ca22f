// The checked evaluators, which test the fault flags after each kernel, so that a raised flag
// belongs to the kernel just run; each clears the flags again only when one was raised.
// Evaluate runs them when the fast evaluators (MathEvalFast.cpp) saw a flag or a failure. The
// success path allocates nothing.
#include <cstring>
#include <exception>

#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"
#include "platform/FpuFaults.h"

namespace {

constexpr const char* MissingOperandText = "Fehlender Operand";
constexpr const char* NoParametersText = "Keine Funktionsparameter";
constexpr const char* IllegalOperationsText = "Illegale Operationen";

const char* BinaryFailureText(std::uint16_t code) {
    switch (code) {
    case OpCodes::Quotient:
        return "Division durch 0";
    case OpCodes::Power:
        return "Nicht erlaubte Potenzierung";
    default:
        return "Unerlaubte Operation";
    }
}

void Fail(TKvOperatorNode& node, void* result, const char* message) {
    std::memset(result, 0, static_cast<std::size_t>(node.Size));
    node.ErrorText = message;
}

// After a kernel that did not throw: a raised flag is this node's fault. True on a fault.
bool CheckFaults(TKvOperatorNode& node, void* result) {
    const TFpuFault fault = FpuTestFaults();
    if (fault == TFpuFault::None) [[likely]]
        return false;
    FpuClearFaults();
    Fail(node, result, FpuFaultMessage(fault));
    return true;
}

// A kernel that throws ends like a fault, with the exception's message.
void FailThrown(TKvOperatorNode& node, void* result, const std::exception& error) {
    FpuClearFaults();
    Fail(node, result, error.what());
}

[[gnu::noinline]] void CopyErrorText(TKvOperatorNode& node, const TKvOperatorNode& operand) {
    node.ErrorText = operand.ErrorText;
}

// Takes over the operand's message; true when the operand succeeded. An empty text stays
// empty without a call into the string.
[[gnu::always_inline]] inline bool TakeErrorText(TKvOperatorNode& node,
                                                 const TKvOperatorNode& operand) {
    if (operand.ErrorText.empty()) [[likely]] {
        if (!node.ErrorText.empty()) [[unlikely]]
            node.ErrorText.clear();
        return true;
    }
    CopyErrorText(node, operand);
    return false;
}

TKvOperatorNode* FirstOperand(const TKvOperatorNode& node) {
    return node.Operands && !node.Operands->empty() ? node.Operands->front() : nullptr;
}

// result := result op Scratch; false when the node failed.
bool ApplyBinary(TKvOperatorNode& node, void* result) {
    bool succeeded;
    try {
        succeeded = node.GetBinaryKernel()(result, node.Scratch);
    } catch (const std::exception& error) {
        FailThrown(node, result, error);
        return false;
    }
    if (!succeeded) [[unlikely]] {
        FpuClearFaults();
        Fail(node, result, BinaryFailureText(node.OpCode));
        return false;
    }
    return !CheckFaults(node, result);
}

} // namespace

void EvaluateLeaf(TKvOperatorNode& node, void* result) {
    std::memcpy(result, node.Value, static_cast<std::size_t>(node.Size));
}

// The calculator's own type, copied without a call.
void EvaluateExtendedLeaf(TKvOperatorNode& node, void* result) {
    KvKernels::Store<long double>(result, KvKernels::Load<long double>(node.Value));
}

// A left fold over the operands.
void EvaluateOperator(TKvOperatorNode& node, void* result) {
    TKvOperatorNode* first = FirstOperand(node);
    if (first == nullptr) {
        Fail(node, result, MissingOperandText);
        return;
    }
    first->GetEvaluator()(*first, result);
    if (!TakeErrorText(node, *first)) return;
    const std::vector<TKvOperatorNode*>& operands = *node.Operands;
    const std::size_t count = operands.size();
    for (std::size_t i = 1; i < count; ++i) {
        TKvOperatorNode* operand = operands[i];
        // On a missing or failed operand the result keeps the value folded so far.
        if (operand == nullptr) {
            node.ErrorText = MissingOperandText;
            return;
        }
        operand->GetEvaluator()(*operand, node.Scratch);
        if (!TakeErrorText(node, *operand)) return;
        if (!ApplyBinary(node, result)) return;
    }
}

// A failed operand's zero value is negated as well.
void EvaluateNegation(TKvOperatorNode& node, void* result) {
    TKvOperatorNode* operand = FirstOperand(node);
    if (operand == nullptr) {
        Fail(node, result, MissingOperandText);
        return;
    }
    operand->GetEvaluator()(*operand, result);
    TakeErrorText(node, *operand);
    try {
        node.GetNegateKernel()(result);
    } catch (const std::exception& error) {
        FailThrown(node, result, error);
        return;
    }
    CheckFaults(node, result);
}

// The kernel runs after a failed operand too, on its zero value; its own failure or fault
// replaces the operand's message.
void EvaluateFunction(TKvOperatorNode& node, void* result) {
    TKvOperatorNode* operand = FirstOperand(node);
    if (operand != nullptr) {
        operand->GetEvaluator()(*operand, result);
        TakeErrorText(node, *operand);
    } else {
        Fail(node, result, NoParametersText);
    }
    bool succeeded;
    try {
        succeeded = node.GetFunctionKernel()(node.OpCode, result);
    } catch (const std::exception& error) {
        FailThrown(node, result, error);
        return;
    }
    if (!succeeded) [[unlikely]] {
        FpuClearFaults();
        Fail(node, result, IllegalOperationsText);
        return;
    }
    CheckFaults(node, result);
}
