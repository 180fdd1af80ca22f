#include "calculus/MathDiff.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "calculus/HigherOrders.h"
#include "engine/Progress.h"
#include "engine/TreeWalk.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

constexpr const char* DiffFailureText = "Fehler im Differenzieren";

} // namespace

void TKvSymbolicCreator::SetSource(TKvMathTreeFunction* source) {
    Target->SetTree(nullptr);
    Source = source;
}

bool TKvSymbolicCreator::PrepareSource() {
    if (VarChosen || Source == nullptr) return true;
    std::string message;
    if (!PrepareSymbolicSource(*Source, VarName, message)) {
        ErrorText = message;
        Target->SetTree(nullptr);
        return false;
    }
    VarChosen = true;
    return true;
}

void TKvMathDifferencer::SetOrder(std::int32_t order) {
    if (order < 1)
        throw EKvIllegalDiffLevel("Es gibt keine " + std::to_string(order) + ". Ableitung!");
    if (order == Order) return;
    Target->SetTree(nullptr);
    Order = order;
}

std::unique_ptr<TKvFunctionCreator> TKvMathDifferencer::Clone(TKvMathTreeFunction* target) const {
    auto copy = std::make_unique<TKvMathDifferencer>(target);
    copy->Shared = Shared;
    copy->SetOrder(Order);
    copy->SetSource(Source);
    return copy;
}

void TKvMathDifferencer::Execute() {
    if (!PrepareSource()) return;
    try {
        if (Source == nullptr || Source->GetTree() == nullptr)
            throw EKvMathDifferencer("Keine Funktion zum Differenzieren");
        if (Order == 1) {
            Target->SetTree(DiffTree(*Source->GetTree(), VarName, Target->VarDepot));
        } else {
            TKvMathTreeFunction work;
            work.Assign(*Source);
            TKvNodePtr tree = work.ReleaseTree();
            THigherOrders orders(Order, VarName);
            TProgressTicker ticker;
            for (std::int64_t pass = 0; pass < Order; ++pass) {
                ticker.Tick(pass, Order);
                TKvNodePtr next = DiffTree(*tree, VarName, work.VarDepot);
                // A pass that changes nothing (the constant 0 stays 0, exp(x) stays exp(x))
                // would change nothing on every further pass either. A result that is zero
                // for every value stays so too, while growing with each pass: x^3 turns into
                // 3*(3-1)*(3-1-1)*(3-1-1-1)*x^(3-1-1-1-1) and never into the constant 0.
                bool settled = SameTree(*next, *tree);
                if (!settled && pass + 1 < Order && IsIdenticallyZero(*next)) {
                    next.reset(); // frees its nodes before the constant needs one
                    next = TKvOperatorNode::CreateExtended(0);
                    settled = true;
                }
                tree = std::move(next);
                if (settled) break;
                pass = orders.Skip(tree, pass + 1) - 1;
            }
            // Bound to the target's own store, as the first order is: a tree in the source's
            // store would ignore the target's values and outlive that store if the source
            // went first.
            Target->SetTree(tree->Clone(Target->VarDepot));
        }
        ErrorText.clear();
    } catch (...) {
        ErrorText = DiffFailureText;
        Target->SetTree(nullptr);
    }
}

TKvNodePtr TKvMathDifferencer::DiffTree(const TKvOperatorNode& node, const std::string& name,
                                        TKvVarDepot* depot) {
    TKvNodePtr derivative = DiffNode(node, name, depot);
    if (derivative) return derivative;
    const unsigned char zero[16] = {};
    return TKvOperatorNode::CreateConstant(node.DataType, zero);
}

bool PrepareSymbolicSource(TKvMathTreeFunction& source, std::string& varName,
                           std::string& message) {
    if (source.GetTree() == nullptr && source.GetCreator() != nullptr)
        source.GetCreator()->Execute();
    if (!source.GetErrorText().empty()) {
        message = source.GetErrorText();
        return false;
    }
    if (varName.empty()) {
        if (source.IndexOfVar("x") >= 0)
            varName = "x";
        else if (source.VarCount() > 0)
            varName = source.GetVarName(0);
        else
            varName = "x";
    }
    return true;
}

bool SameTree(const TKvOperatorNode& a, const TKvOperatorNode& b) {
    // Derivatives can be deep chains, so the walk uses a list rather than recursion.
    std::vector<std::pair<const TKvOperatorNode*, const TKvOperatorNode*>> pending{{&a, &b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (x == nullptr || y == nullptr) {
            if (x != y) return false;
            continue;
        }
        if (x->OpCode != y->OpCode || x->DataType != y->DataType ||
            x->OperandCount() != y->OperandCount())
            return false;
        if (x->OpCode == OpCodes::Constant &&
            (x->Size != y->Size ||
             (x->Size > 0 &&
              std::memcmp(x->Value, y->Value, static_cast<std::size_t>(x->Size)) != 0)))
            return false;
        if (x->OpCode == OpCodes::Variable &&
            AnsiUpperCase(x->NodeText()) != AnsiUpperCase(y->NodeText()))
            return false;
        for (std::int32_t i = 0; i < x->OperandCount(); ++i)
            pending.emplace_back(x->GetOperand(i), y->GetOperand(i));
    }
    return true;
}

bool IsIdenticallyZero(const TKvOperatorNode& root) {
    // Number is the value of a subtree made of numbers, signs, sums and products alone, as
    // simplification folds them.
    struct TFacts {
        bool Zero = false;
        std::optional<long double> Number;
    };
    const auto combine = [](const TKvOperatorNode& node, std::span<TFacts> operands) {
        const bool allNumbers =
            !operands.empty() && std::all_of(operands.begin(), operands.end(),
                                             [](const TFacts& f) { return f.Number.has_value(); });
        TFacts facts;
        switch (node.OpCode) {
        case OpCodes::Constant:
            if (node.DataType == dtExtended) facts.Number = AsExtended(node.Value);
            break;
        case OpCodes::Negation:
            if (operands.size() == 1) {
                facts.Zero = operands[0].Zero;
                if (allNumbers) facts.Number = -*operands[0].Number;
            }
            break;
        case OpCodes::Sum:
            facts.Zero = !operands.empty() && std::all_of(operands.begin(), operands.end(),
                                                          [](const TFacts& f) { return f.Zero; });
            if (allNumbers) {
                long double total = 0;
                for (const TFacts& f : operands)
                    total += *f.Number;
                facts.Number = total;
            }
            break;
        case OpCodes::Product:
            facts.Zero = std::any_of(operands.begin(), operands.end(),
                                     [](const TFacts& f) { return f.Zero; });
            if (allNumbers) {
                long double product = 1;
                for (const TFacts& f : operands)
                    product *= *f.Number;
                facts.Number = product;
            }
            break;
        case OpCodes::Quotient:
            // 0/0 stays undefined.
            facts.Zero = !operands.empty() && operands[0].Zero &&
                         std::none_of(operands.begin() + 1, operands.end(),
                                      [](const TFacts& f) { return f.Zero; });
            break;
        default:
            break;
        }
        if (facts.Number && *facts.Number == 0) facts.Zero = true;
        return facts;
    };
    return FoldTree<TFacts>(root, combine).Zero;
}
