#include "engine/MathTree.h"

#include <cstring>

#include "engine/FaultReplay.h"
#include "engine/FunctionTable.h"
#include "engine/MathKernels.h"
#include "engine/MathKernelsImpl.h"
#include "engine/NodeCache.h"
#include "platform/FpuFaults.h"
#include "platform/Locale.h"

std::int32_t NodeInstanceCount = 0;
std::int32_t MaxNodeInstances = 10000;

namespace {

// Counts a node for the lifetime of the object that holds it; construction fails beyond the limit.
void CountNewNode() {
    ++NodeInstanceCount;
    if (NodeInstanceCount > MaxNodeInstances) {
        --NodeInstanceCount;
        throw ETooMuchInstances("Too much instances of TKvOperatorNode!");
    }
}

// A stack of nodes, on the machine stack while it is short.
class TPendingNodes {
public:
    // In reverse, so that the first operand goes first; absent operands are skipped.
    void PushOperands(const std::vector<TKvOperatorNode*>& operands) {
        for (auto it = operands.rbegin(); it != operands.rend(); ++it) {
            if (*it == nullptr) continue;
            if (Count < Inside)
                Nodes[Count++] = *it;
            else
                More.push_back(*it);
        }
    }
    // Null when empty.
    TKvOperatorNode* Pop() {
        if (!More.empty()) {
            TKvOperatorNode* node = More.back();
            More.pop_back();
            return node;
        }
        return Count > 0 ? Nodes[--Count] : nullptr;
    }

private:
    static constexpr std::size_t Inside = 32;
    TKvOperatorNode* Nodes[Inside];
    std::size_t Count = 0;
    std::vector<TKvOperatorNode*> More;
};

} // namespace

TKvOperatorNode::TKvOperatorNode(TKvDataType dataType, std::uint16_t code)
    : OpCode(code), DataType(dataType), Size(TypeSize(dataType)) {
    CountNewNode();
    Scratch = NodeBuffer(ScratchBytes);
}

void* TKvOperatorNode::NodeBuffer(unsigned char* inside) {
    return Size <= InsideBytes ? (Size > 0 ? inside : nullptr) : AllocValueBuffer(Size);
}

void TKvOperatorNode::FreeNodeBuffer(void*& buffer, const unsigned char* inside) {
    if (buffer != inside) FreeValueBuffer(buffer);
    buffer = nullptr;
}

TKvOperatorNode::~TKvOperatorNode() {
    // A chain of operators is released without recursion, so a deep tree cannot exhaust the
    // stack: owned operands are moved onto an explicit stack of nodes still to destroy. Small
    // trees fit the part of the stack that needs no allocation.
    TPendingNodes pending;
    if (OwnsOperands && Operands) {
        pending.PushOperands(*Operands);
        Operands->clear();
    }
    while (TKvOperatorNode* node = pending.Pop()) {
        if (node->OwnsOperands && node->Operands) {
            pending.PushOperands(*node->Operands);
            node->Operands->clear();
        }
        delete node;
    }
    FreeNodeBuffer(Scratch, ScratchBytes);
    if (OpCode == OpCodes::Constant) FreeNodeBuffer(Value, ValueBytes);
    if (Operands) NodeCache::GiveOperandList(Operands.release());
    --NodeInstanceCount;
}

void* TKvOperatorNode::operator new(std::size_t size) {
    return NodeCache::TakeNodeBlock(size);
}

void TKvOperatorNode::operator delete(void* block, std::size_t size) noexcept {
    NodeCache::GiveNodeBlock(block, size);
}

TKvNodePtr TKvOperatorNode::CreateOperator(TKvDataType dataType, std::uint16_t code) {
    TKvNodePtr node(new TKvOperatorNode(dataType, code));
    node->Operands.reset(NodeCache::TakeOperandList());
    node->FastValue = SelectFastOperator(code, dataType);
    if (code == OpCodes::Negation) {
        node->NegateKernel = SelectNegateKernel(dataType);
        node->Evaluator = EvaluateNegation;
    } else if (OpCodes::IsFunction(code)) {
        node->FunctionKernel = SelectFunctionKernel(code, dataType);
        node->Evaluator = EvaluateFunction;
    } else {
        node->BinaryKernel = SelectBinaryKernel(code, dataType);
        node->Evaluator = EvaluateOperator;
    }
    return node;
}

TKvNodePtr TKvOperatorNode::CreateConstant(TKvDataType dataType, const void* value) {
    TKvNodePtr node(new TKvOperatorNode(dataType, OpCodes::Constant));
    node->Value = node->NodeBuffer(node->ValueBytes);
    if (node->Size > 0) std::memcpy(node->Value, value, node->Size);
    node->SetLeafEvaluator();
    return node;
}

TKvNodePtr TKvOperatorNode::CreateExtended(long double value) {
    return CreateConstant(dtExtended, &value);
}

TKvNodePtr TKvOperatorNode::CreateVariable(TKvDataType dataType, TKvVarDepot* depot,
                                           const std::string& name) {
    TKvNodePtr node(new TKvOperatorNode(dataType, OpCodes::Variable));
    node->VarDepot = depot;
    node->Variable = depot->AddVariable(name, dataType);
    node->Value = node->Variable->Value;
    node->SetLeafEvaluator();
    return node;
}

TKvNodePtr TKvOperatorNode::CreateVariableValue(TKvDataType dataType, TKvVarDepot* depot,
                                                const void* value, const std::string& name) {
    TKvNodePtr node(new TKvOperatorNode(dataType, OpCodes::Variable));
    node->VarDepot = depot;
    node->Variable = depot->SetVariable(name, value, dataType);
    node->Value = node->Variable->Value;
    node->SetLeafEvaluator();
    return node;
}

TKvNodePtr TKvOperatorNode::CreateSubtraction(TKvNodePtr minuend, TKvNodePtr subtrahend) {
    TKvNodePtr sum = CreateOperator(minuend->DataType, OpCodes::Sum);
    TKvNodePtr negation = CreateOperator(minuend->DataType, OpCodes::Negation);
    negation->AddOperand(-1, std::move(subtrahend));
    sum->AddOperand(-1, std::move(minuend));
    sum->AddOperand(-1, std::move(negation));
    return sum;
}

void TKvOperatorNode::AddOperand(std::int32_t index, TKvOperatorNode* node) {
    if (node == nullptr) return;
    if (OpCodes::IsLeaf(OpCode) || !Operands) {
        // Leaves take no operands; the node handed over is not kept.
        delete node;
        return;
    }
    if (index < 0 || index >= static_cast<std::int32_t>(Operands->size()))
        Operands->push_back(node);
    else
        Operands->insert(Operands->begin() + index, node);
}

void TKvOperatorNode::DeleteOperand(std::int32_t index) {
    if (OpCodes::IsLeaf(OpCode) || !Operands) return;
    TKvOperatorNode* node = (*Operands)[index];
    Operands->erase(Operands->begin() + index);
    delete node;
}

std::int32_t TKvOperatorNode::OperandCount() const {
    return Operands ? static_cast<std::int32_t>(Operands->size()) : 0;
}

TKvNodePtr TKvOperatorNode::ReleaseOperand(std::int32_t index) {
    TKvOperatorNode* node = (*Operands)[index];
    Operands->erase(Operands->begin() + index);
    return TKvNodePtr(node);
}

std::string TKvOperatorNode::NodeText() const {
    switch (OpCode) {
    case OpCodes::Constant:
        return ValueToText(Value, DataType);
    case OpCodes::Variable:
        return Variable ? Variable->Name : std::string();
    case OpCodes::Sum:
        return "+";
    case OpCodes::Product:
        return "*";
    case OpCodes::Quotient:
        return "/";
    case OpCodes::Power:
        return "^";
    case OpCodes::Negation:
        return "-";
    case OpCodes::Factorial:
        return "!";
    default:
        return FunctionCodeName(OpCode);
    }
}

bool TKvOperatorNode::ContainsVariable(const std::string& name) const {
    const std::string wanted = AnsiUpperCase(name);
    std::vector<const TKvOperatorNode*> pending{this};
    while (!pending.empty()) {
        const TKvOperatorNode* node = pending.back();
        pending.pop_back();
        if (node->OpCode == OpCodes::Variable && AnsiUpperCase(node->NodeText()) == wanted)
            return true;
        if (node->Operands)
            for (auto it = node->Operands->rbegin(); it != node->Operands->rend(); ++it)
                if (*it) pending.push_back(*it);
    }
    return false;
}

TKvNodePtr TKvOperatorNode::Clone(TKvVarDepot* depot) const {
    TKvNodePtr copy;
    if (OpCode == OpCodes::Constant) {
        copy = CreateConstant(DataType, Value);
    } else if (OpCode == OpCodes::Variable) {
        copy = CreateVariableValue(DataType, depot ? depot : VarDepot, Variable->Value,
                                   Variable->Name);
    } else {
        copy = CreateOperator(DataType, OpCode);
        for (const TKvOperatorNode* operand : *Operands)
            if (operand) copy->AddOperand(-1, operand->Clone(depot));
    }
    return copy;
}

void TKvOperatorNode::SetLeafEvaluator() {
    Evaluator = DataType == dtExtended ? EvaluateExtendedLeaf : EvaluateLeaf;
    FastValue = SelectFastLeaf(DataType);
}

// Most evaluations raise no flag: the fast evaluators run first, and the checked ones only find
// out which node faulted or failed. A flag left over from before also sends the evaluation to
// the checked run, which clears it first; so the fast run need not wait for a clear. The second
// run must draw the same random numbers as the first.
void TKvOperatorNode::Evaluate(void* result) {
    const TFaultReplay replay;
    const long double value = FastValue(*this);
    if (replay.Clean(value)) [[likely]] {
        KvKernels::Store<long double>(result, value);
        return;
    }
    replay.Rewind();
    Evaluator(*this, result);
}
