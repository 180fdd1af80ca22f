// Small helpers shared by the differentiation and integration rules.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "engine/MathTree.h"
#include "platform/Locale.h"
#include "values/KvTypes.h"

namespace Symbolic {

// An operator or function node with the given operands, in order.
template <typename... TOperands>
TKvNodePtr MakeNode(TKvDataType dataType, std::uint16_t code, TOperands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dataType, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

// The rules write every constant as an extended value.
inline TKvNodePtr Number(long double value) {
    return TKvOperatorNode::CreateExtended(value);
}

// The rules' test for "the operand is the variable itself": its text is the variable's name.
inline bool IsNamed(const TKvOperatorNode& node, const std::string& upperName) {
    return AnsiUpperCase(node.NodeText()) == upperName;
}

inline bool IsConstantOne(const TKvOperatorNode& node) {
    return node.OpCode == OpCodes::Constant && node.DataType == dtExtended &&
           AsExtended(node.Value) == 1.0L;
}

// The functions for which neither rule table has a row: they jump or are random.
inline bool IsNotContinuous(std::uint16_t code) {
    return (code >= OpCodes::Trunc && code <= OpCodes::Frac) ||
           (code >= OpCodes::Sgn && code <= OpCodes::Heav) || code == OpCodes::Ceil ||
           code == OpCodes::Floor || code == OpCodes::Phase || code == OpCodes::Rnd;
}

} // namespace Symbolic
