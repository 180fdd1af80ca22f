// A bottom-up walk over a tree that needs no recursion, so deep chains cannot exhaust the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "engine/MathTree.h"

// combine(node, operand results) gives a node's result once its operands have theirs; absent
// operands are skipped. Returns the root's result.
template <typename TResult, typename TCombine>
TResult FoldTree(const TKvOperatorNode& root, TCombine combine) {
    struct TVisit {
        const TKvOperatorNode* Node;
        std::int32_t Next;
        std::size_t FirstResult;
    };
    std::vector<TVisit> walk{{&root, 0, 0}};
    // One entry per finished node whose parent is not finished yet.
    std::vector<TResult> finished;
    while (!walk.empty()) {
        TVisit& visit = walk.back();
        const TKvOperatorNode& node = *visit.Node;
        if (visit.Next < node.OperandCount()) {
            const TKvOperatorNode* operand = node.GetOperand(visit.Next++);
            if (operand != nullptr) walk.push_back({operand, 0, finished.size()});
            continue;
        }
        const std::size_t first = visit.FirstResult;
        TResult result =
            combine(node, std::span<TResult>(finished.data() + first, finished.size() - first));
        finished.erase(finished.begin() + static_cast<std::ptrdiff_t>(first), finished.end());
        finished.push_back(std::move(result));
        walk.pop_back();
    }
    return std::move(finished.back());
}
