#include <string>
#include <utility>
#include <vector>

#include "engine/Progress.h"
#include "functions/ExprText.h"
#include "functions/MthTrFnc.h"
#include "functions/SimplifyImpl.h"

void TNodeSlot::Replace(TKvNodePtr replacement) {
    TKvNodePtr old;
    if (Parent != nullptr) {
        old.reset(Parent->GetOperand(Index));
        Parent->SetOperand(Index, replacement.release());
    } else {
        old = std::move(*Root);
        *Root = std::move(replacement);
    }
}

std::int32_t SimplifyTree(TKvNodePtr& root, std::int32_t maxPasses) {
    return SimplifyTree(root, maxPasses, SimplifyPass);
}

std::int32_t SimplifyTree(TKvNodePtr& root, std::int32_t maxPasses, const TSimplifyPass& pass) {
    std::string before = ExpressionText(root.get());
    std::int32_t passes = 0;
    while (passes < maxPasses) {
        ++passes;
        try {
            pass(root);
        } catch (const ETooMuchInstances&) {
            // The rule that needed a node was not begun; what is done so far stays.
            return passes;
        }
        std::string after = ExpressionText(root.get());
        if (after == before) break;
        before = std::move(after);
    }
    return passes;
}

void SimplifyPass(TKvNodePtr& root) {
    if (!root) return;
    // Trees may nest thousands of levels deep, so the walk keeps its own stack.
    struct TFrame {
        TKvOperatorNode* Parent; // null for the root
        std::int32_t Index;
        TKvOperatorNode* Node;
        std::int32_t Count; // taken once the node is flattened
        std::int32_t Next;
    };
    std::vector<TFrame> frames;
    const auto enter = [&frames](TKvOperatorNode* parent, std::int32_t index,
                                 TKvOperatorNode* node) {
        FlattenNode(node);
        frames.push_back({parent, index, node, node->OperandCount(), 0});
    };

    enter(nullptr, 0, root.get());
    TProgressTicker ticker;
    while (!frames.empty()) {
        ticker.Tick(-1);
        TFrame& top = frames.back();
        if (top.Next < top.Count) {
            TKvOperatorNode* parent = top.Node;
            const std::int32_t index = top.Next++;
            if (TKvOperatorNode* child = parent->GetOperand(index)) enter(parent, index, child);
            continue;
        }
        const TFrame done = top;
        frames.pop_back();
        ApplyNodeRules(done.Parent ? TNodeSlot(done.Parent, done.Index) : TNodeSlot(root));
    }
}

void FlattenNode(TKvOperatorNode* node) {
    const std::uint16_t code = node->OpCode;
    if (code != OpCodes::Sum && code != OpCodes::Product && code != OpCodes::Power) return;
    // A power is flattened only at its base: a^(b^c) is not (a^b)^c.
    const std::int32_t last = code == OpCodes::Power ? 0 : node->OperandCount() - 1;
    for (std::int32_t i = last; i >= 0 && i < node->OperandCount(); --i) {
        const TKvOperatorNode* child = node->GetOperand(i);
        if (child == nullptr || child->OpCode != code || child->OperandCount() == 0) continue;
        TKvNodePtr nested = node->ReleaseOperand(i);
        for (std::int32_t j = nested->OperandCount() - 1; j >= 0; --j)
            node->AddOperand(i, nested->ReleaseOperand(j));
    }
}

void TKvMathTreeFunction::Simplify() {
    SimplifyTree(Tree);
}
