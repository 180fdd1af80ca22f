// The rules of one node. A rule that could run out of nodes makes the ones it needs before it
// changes the tree, so the tree is left as it was; a rule that first discards more nodes than
// it then makes cannot run out.
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "functions/ExprText.h"
#include "functions/SimplifyImpl.h"
#include "platform/Locale.h"

namespace {

bool IsConstant(const TKvOperatorNode* node) {
    return node != nullptr && node->OpCode == OpCodes::Constant;
}

bool IsVariable(const TKvOperatorNode* node) {
    return node != nullptr && node->OpCode == OpCodes::Variable;
}

// The operand of a negation; null for anything else.
TKvOperatorNode* Negated(const TKvOperatorNode* node) {
    if (node == nullptr || node->OpCode != OpCodes::Negation || node->OperandCount() == 0)
        return nullptr;
    return node->GetOperand(0);
}

bool IsConstantEqual(const TKvOperatorNode* node, long double value) {
    return IsConstant(node) && ConstantValue(*node) == value;
}

// Names are the same variable without regard to case; the key also sorts that way.
std::string NameKey(const TKvOperatorNode* variable) {
    return AnsiUpperCase(variable->NodeText());
}

bool IsVariableNamed(const TKvOperatorNode* node, const std::string& key) {
    return IsVariable(node) && NameKey(node) == key;
}

TKvNodePtr NewConstant(long double value) {
    // A negated or underflowed 0 is plain 0 here.
    if (value == 0) value = 0;
    return TKvOperatorNode::CreateExtended(value);
}

TKvNodePtr NewOperator(std::uint16_t code) {
    return TKvOperatorNode::CreateOperator(dtExtended, code);
}

// Takes the operand out of its slot, which is left empty for the caller to fill or remove.
TKvNodePtr Detach(TKvOperatorNode* parent, std::int32_t index) {
    TKvOperatorNode* node = parent->GetOperand(index);
    parent->SetOperand(index, nullptr);
    return TKvNodePtr(node);
}

// The node in slot is replaced by its own operand at index.
void ReplaceByOperand(TNodeSlot slot, std::int32_t index) {
    slot.Replace(Detach(slot.Get(), index));
}

void DeleteConstants(TKvOperatorNode* node, std::int32_t first) {
    for (std::int32_t i = node->OperandCount() - 1; i >= first; --i)
        if (IsConstant(node->GetOperand(i))) node->DeleteOperand(i);
}

// A folded value that is not a finite number would be written as a name ("+Inf", "Nan").
bool Foldable(long double value) {
    return std::isfinite(value);
}

void SimplifyConstant(TNodeSlot slot, const TKvOperatorNode* node) {
    const long double value = ConstantValue(*node);
    if (!(value < 0)) return;
    TKvNodePtr negation = NewOperator(OpCodes::Negation);
    negation->AddOperand(-1, NewConstant(-value));
    slot.Replace(std::move(negation));
}

void SimplifyNegation(TNodeSlot slot, TKvOperatorNode* node) {
    TKvOperatorNode* child = node->GetOperand(0);
    if (Negated(child) != nullptr) {
        slot.Replace(Detach(child, 0));
    } else if (IsConstant(child)) {
        const long double value = ConstantValue(*child);
        if (value <= 0) slot.Replace(NewConstant(-value));
    }
}

// Takes the bare terms x and -x of one variable out of the sum and appends what they add up
// to: nothing, -x, or g*x. The variable node met first is kept.
void MergeTerms(TKvOperatorNode* sum, const std::string& key) {
    std::int32_t g = 0;
    std::vector<std::int32_t> positions; // from the last to the first
    for (std::int32_t i = sum->OperandCount() - 1; i >= 0; --i) {
        const TKvOperatorNode* child = sum->GetOperand(i);
        if (IsVariableNamed(child, key)) {
            ++g;
            positions.push_back(i);
        } else if (IsVariableNamed(Negated(child), key)) {
            --g;
            positions.push_back(i);
        }
    }
    if (positions.empty()) return;

    TKvNodePtr term;
    TKvNodePtr factor;
    if (g == -1) {
        term = NewOperator(OpCodes::Negation);
    } else if (g != 0) {
        term = NewOperator(OpCodes::Product);
        factor = NewConstant(g);
    }

    TKvOperatorNode* first = sum->GetOperand(positions.front());
    TKvNodePtr kept = IsVariable(first) ? Detach(sum, positions.front()) : Detach(first, 0);
    for (const std::int32_t position : positions)
        sum->DeleteOperand(position);
    if (!term) return; // the terms cancel
    if (factor) term->AddOperand(-1, std::move(factor));
    term->AddOperand(-1, std::move(kept));
    sum->AddOperand(-1, std::move(term));
}

void SimplifySum(TNodeSlot slot, TKvOperatorNode* sum) {
    std::int32_t numeric = 0;
    long double total = 0;
    std::map<std::string, std::int32_t> tally;
    for (std::int32_t i = sum->OperandCount() - 1; i >= 0; --i) {
        const TKvOperatorNode* child = sum->GetOperand(i);
        const TKvOperatorNode* negated = Negated(child);
        if (IsConstant(child)) {
            const long double value = ConstantValue(*child);
            if (value == 0) {
                sum->DeleteOperand(i);
            } else {
                ++numeric;
                total += value;
            }
        } else if (IsConstant(negated)) {
            const long double value = ConstantValue(*negated);
            if (value == 0) {
                sum->DeleteOperand(i);
            } else {
                ++numeric;
                total -= value;
            }
        } else if (IsVariable(child)) {
            ++tally[NameKey(child)];
        } else if (IsVariable(negated)) {
            ++tally[NameKey(negated)];
        }
    }
    for (const auto& [key, count] : tally)
        if (count > 1) MergeTerms(sum, key);

    if (numeric > 1) {
        if (!Foldable(total)) return;
        for (std::int32_t i = sum->OperandCount() - 1; i >= 0; --i) {
            const TKvOperatorNode* child = sum->GetOperand(i);
            if (IsConstant(child) || IsConstant(Negated(child))) sum->DeleteOperand(i);
        }
        TKvNodePtr folded = NewConstant(total);
        if (sum->OperandCount() == 0)
            slot.Replace(std::move(folded));
        else
            sum->AddOperand(-1, std::move(folded));
    } else if (sum->OperandCount() == 1) {
        ReplaceByOperand(slot, 0);
    } else if (sum->OperandCount() == 0) {
        slot.Replace(NewConstant(0));
    }
}

void SimplifyProduct(TNodeSlot slot, TKvOperatorNode* product) {
    // Signs of the later factors move to the first one.
    std::int32_t signs = 0;
    for (std::int32_t i = 1; i < product->OperandCount(); ++i) {
        if (Negated(product->GetOperand(i)) != nullptr) {
            ReplaceByOperand({product, i}, 0);
            ++signs;
        }
    }
    if (signs % 2 == 1) {
        if (Negated(product->GetOperand(0)) != nullptr) {
            ReplaceByOperand({product, 0}, 0);
        } else {
            TKvNodePtr sign = TKvOperatorNode::CreateOperator(product->DataType, OpCodes::Negation);
            sign->AddOperand(-1, Detach(product, 0));
            product->SetOperand(0, sign.release());
        }
    }

    std::int32_t numeric = 0;
    long double running = 1;
    for (std::int32_t i = product->OperandCount() - 1; i >= 0; --i) {
        const TKvOperatorNode* child = product->GetOperand(i);
        if (!IsConstant(child)) continue;
        const long double value = ConstantValue(*child);
        if (value == 0) {
            slot.Replace(NewConstant(0));
            return;
        }
        if (value == 1) {
            product->DeleteOperand(i);
        } else {
            ++numeric;
            running *= value;
        }
    }

    if (numeric > 1) {
        if (!Foldable(running)) return;
        DeleteConstants(product, 0);
        TKvNodePtr folded = NewConstant(running);
        if (product->OperandCount() == 0)
            slot.Replace(std::move(folded));
        else
            product->AddOperand(-1, std::move(folded));
    } else if (product->OperandCount() == 1) {
        ReplaceByOperand(slot, 0);
    } else if (product->OperandCount() == 0) {
        slot.Replace(NewConstant(1));
    }
}

void SimplifyQuotient(TNodeSlot slot, TKvOperatorNode* quotient) {
    // A division by a constant 0 is left for evaluation to report.
    for (std::int32_t i = 1; i < quotient->OperandCount(); ++i)
        if (IsConstantEqual(quotient->GetOperand(i), 0)) return;
    if (IsConstantEqual(quotient->GetOperand(0), 0)) {
        slot.Replace(NewConstant(0));
        return;
    }

    std::int32_t numeric = 0;
    long double running = 1;
    for (std::int32_t i = quotient->OperandCount() - 1; i >= 1; --i) {
        const TKvOperatorNode* child = quotient->GetOperand(i);
        if (!IsConstant(child)) continue;
        const long double value = ConstantValue(*child);
        if (value == 1) {
            quotient->DeleteOperand(i);
        } else {
            ++numeric;
            running *= value;
        }
    }

    if (numeric > 1) {
        // A divisor that underflowed to 0 would turn a value into a division by zero.
        if (!Foldable(running) || running == 0) return;
        DeleteConstants(quotient, 1);
        TKvNodePtr folded = NewConstant(running);
        quotient->AddOperand(1, std::move(folded));
    } else if (quotient->OperandCount() == 1) {
        ReplaceByOperand(slot, 0);
    }
}

// Whether x^a^b... may become x^(a*b*...) with the constant exponents multiplied. For a base
// that may be negative, an even (or unknown) exponent followed by a fractional one takes an
// absolute value on the way: (x^2)^0.5 is |x|, not x.
bool ExponentsFoldable(const TKvOperatorNode* power) {
    const TKvOperatorNode* base = power->GetOperand(0);
    if (IsConstant(base) && ConstantValue(*base) > 0) return true;
    bool signKept = true; // a negative base still gives a negative value here
    for (std::int32_t i = 1; i < power->OperandCount(); ++i) {
        const TKvOperatorNode* exponent = power->GetOperand(i);
        if (!IsConstant(exponent)) {
            signKept = false;
            continue;
        }
        const long double value = ConstantValue(*exponent);
        if (std::trunc(value) != value) {
            // With the sign kept a negative base fails here, so only other bases get this far.
            return signKept;
        }
        if (std::fmod(value, 2.0L) == 0) signKept = false;
    }
    return true;
}

void SimplifyPower(TNodeSlot slot, TKvOperatorNode* power) {
    for (std::int32_t i = 1; i < power->OperandCount(); ++i) {
        if (IsConstantEqual(power->GetOperand(i), 0)) {
            slot.Replace(NewConstant(1));
            return;
        }
    }
    if (IsConstantEqual(power->GetOperand(0), 1)) {
        slot.Replace(NewConstant(1));
        return;
    }

    std::int32_t numeric = 0;
    long double running = 1;
    for (std::int32_t i = power->OperandCount() - 1; i >= 1; --i) {
        const TKvOperatorNode* child = power->GetOperand(i);
        if (!IsConstant(child)) continue;
        const long double value = ConstantValue(*child);
        if (value == 1) {
            power->DeleteOperand(i);
        } else {
            ++numeric;
            running *= value;
        }
    }

    if (numeric > 1) {
        if (Foldable(running) && ExponentsFoldable(power)) {
            DeleteConstants(power, 1);
            TKvNodePtr folded = NewConstant(running);
            power->AddOperand(-1, std::move(folded));
        }
    } else if (power->OperandCount() == 1) {
        ReplaceByOperand(slot, 0);
        return;
    }

    if (power->OperandCount() == 2 && IsConstantEqual(power->GetOperand(0), 0) &&
        IsConstant(power->GetOperand(1)) && ConstantValue(*power->GetOperand(1)) > 0)
        slot.Replace(NewConstant(0));
}

// Operators whose rules need operands: a node that lacks them is left for the text writer
// to report.
bool HasAllOperands(const TKvOperatorNode* node) {
    const std::int32_t count = node->OperandCount();
    if (count == 0) return false;
    for (std::int32_t i = 0; i < count; ++i)
        if (node->GetOperand(i) == nullptr) return false;
    return true;
}

} // namespace

void ApplyNodeRules(TNodeSlot slot) {
    TKvOperatorNode* node = slot.Get();
    if (node == nullptr) return;
    if (node->OpCode == OpCodes::Constant) {
        SimplifyConstant(slot, node);
        return;
    }
    if (!HasAllOperands(node)) return;
    switch (node->OpCode) {
    case OpCodes::Negation:
        SimplifyNegation(slot, node);
        break;
    case OpCodes::Sum:
        SimplifySum(slot, node);
        break;
    case OpCodes::Product:
        SimplifyProduct(slot, node);
        break;
    case OpCodes::Quotient:
        SimplifyQuotient(slot, node);
        break;
    case OpCodes::Power:
        SimplifyPower(slot, node);
        break;
    default:
        break;
    }
}
