// Simplification of expression trees: the repeated passes and the rules for one node.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/MathTree.h"

// Where a node sits: an operand slot of its parent, or the root of a tree.
class TNodeSlot {
public:
    TNodeSlot(TKvOperatorNode* parent, std::int32_t index) : Parent(parent), Index(index) {}
    explicit TNodeSlot(TKvNodePtr& root) : Root(&root) {}

    TKvOperatorNode* Get() const { return Parent ? Parent->GetOperand(Index) : Root->get(); }
    // Puts replacement in the slot and destroys the node that was there. Operands that the
    // replacement took over must have been detached from that node first.
    void Replace(TKvNodePtr replacement);

private:
    TKvOperatorNode* Parent = nullptr;
    std::int32_t Index = 0;
    TKvNodePtr* Root = nullptr;
};

using TSimplifyPass = std::function<void(TKvNodePtr& root)>;

// Ordinary trees settle within a few dozen passes; the bound only stops a rule sequence that
// would never settle.
constexpr std::int32_t MaxSimplifyPasses = 1000;

// Runs pass until the text of the tree no longer changes, at most maxPasses times, and gives
// the number of passes run. Running out of nodes ends it with the tree as the last finished
// rule left it: every rule is complete or not begun, so the tree keeps its value. Raises
// EKvMathTreeFunction from writing the text.
std::int32_t SimplifyTree(TKvNodePtr& root, std::int32_t maxPasses = MaxSimplifyPasses);
std::int32_t SimplifyTree(TKvNodePtr& root, std::int32_t maxPasses, const TSimplifyPass& pass);

// One bottom-up pass over the tree: each node is flattened, its operands are simplified, then
// its own rules run.
void SimplifyPass(TKvNodePtr& root);

// Moves the operands of nested sums and products, and of a power that is the base of a power,
// up into the node.
void FlattenNode(TKvOperatorNode* node);
// The node's own rules; its operands are done. The node may be replaced in its slot.
void ApplyNodeRules(TNodeSlot slot);
