#include "calculus/HigherOrders.h"

#include <span>
#include <unordered_set>
#include <vector>

#include "engine/TreeWalk.h"
#include "platform/Locale.h"

namespace {

// Keys of larger trees are not kept: trees that come round again are small.
constexpr std::size_t MaxKeyNodes = 200;
constexpr std::size_t MaxPathKeyBytes = 4096;

void AppendNode(const TKvOperatorNode& node, std::string& key) {
    key += std::to_string(node.OpCode) + ':' + std::to_string(static_cast<int>(node.DataType)) +
           ':' + std::to_string(node.OperandCount()) + ':';
    if (node.OpCode == OpCodes::Constant && node.Size > 0)
        key.append(static_cast<const char*>(node.Value), static_cast<std::size_t>(node.Size));
    else if (node.OpCode == OpCodes::Variable)
        key += AnsiUpperCase(node.NodeText()) + '\0';
}

} // namespace

THigherOrders::THigherOrders(std::int64_t order, const std::string& varName)
    : Order(order), UpperName(AnsiUpperCase(varName)) {}

std::int64_t THigherOrders::Skip(TKvNodePtr& tree, std::int64_t done) {
    if (!SignsDone) {
        std::int64_t negations = 0;
        const TKvOperatorNode* core = tree.get();
        while (core->OpCode == OpCodes::Negation && core->OperandCount() == 1) {
            core = core->GetOperand(0);
            ++negations;
        }
        std::string key;
        if (ShapeKey(*core, key)) {
            const auto [earlier, first] =
                Shapes.try_emplace(std::move(key), TSeen{done, negations});
            if (!first) {
                const std::int64_t period = done - earlier->second.Done;
                const std::int64_t rounds = (Order - done) / period;
                const std::int64_t added = negations - earlier->second.Value;
                SignsDone = true;
                Shapes.clear();
                if (rounds % 2 != 0 && added % 2 != 0) ToggleSign(tree);
                return done + rounds * period;
            }
        }
    }

    std::string key;
    std::int64_t nodes = 0;
    if (!PathKey(*tree, key, nodes)) return done;
    const auto [earlier, first] = Paths.try_emplace(std::move(key), TSeen{done, nodes});
    if (first) return done;
    const std::int64_t period = done - earlier->second.Done;
    const std::int64_t growth = nodes - earlier->second.Value;
    const std::int64_t rounds = (Order - done) / period;
    // The tree rounds - 1 periods on is built whole by the passes to come.
    if (growth > 0 && rounds > 0 && nodes + (rounds - 1) * growth > MaxNodeInstances)
        throw ETooMuchInstances("Too much instances of TKvOperatorNode!");
    earlier->second = TSeen{done, nodes};
    return done;
}

bool THigherOrders::ShapeKey(const TKvOperatorNode& root, std::string& key) {
    std::vector<const TKvOperatorNode*> pending{&root};
    std::size_t nodes = 0;
    while (!pending.empty()) {
        const TKvOperatorNode* node = pending.back();
        pending.pop_back();
        if (++nodes > MaxKeyNodes) return false;
        if (node == nullptr) {
            key += '\xFF';
            continue;
        }
        AppendNode(*node, key);
        for (std::int32_t i = node->OperandCount() - 1; i >= 0; --i)
            pending.push_back(node->GetOperand(i));
    }
    return true;
}

bool THigherOrders::PathKey(const TKvOperatorNode& root, std::string& key,
                            std::int64_t& nodes) const {
    // Which nodes contain the variable, bottom-up in one walk.
    std::unordered_set<const TKvOperatorNode*> varying;
    nodes = 0;
    FoldTree<char>(root, [&](const TKvOperatorNode& node, std::span<char> operands) -> char {
        ++nodes;
        bool contains =
            node.OpCode == OpCodes::Variable && AnsiUpperCase(node.NodeText()) == UpperName;
        for (char operand : operands)
            contains = contains || operand != 0;
        if (contains) varying.insert(&node);
        return contains ? 1 : 0;
    });
    const auto isVarying = [&](const TKvOperatorNode* node) {
        return node != nullptr && varying.count(node) != 0;
    };
    // The only varying operand of a node the derivative passes through, else null.
    const auto passedThrough = [&](const TKvOperatorNode& node) -> const TKvOperatorNode* {
        const std::uint16_t code = node.OpCode;
        if (code != OpCodes::Negation && code != OpCodes::Product && code != OpCodes::Quotient)
            return nullptr;
        const TKvOperatorNode* found = nullptr;
        for (std::int32_t i = 0; i < node.OperandCount(); ++i) {
            const TKvOperatorNode* operand = node.GetOperand(i);
            if (operand == nullptr) return nullptr;
            if (!isVarying(operand)) continue;
            if (found != nullptr || (code == OpCodes::Quotient && i > 0)) return nullptr;
            found = operand;
        }
        return found;
    };

    // Preorder. Such nodes are left out along the sums and passed-through nodes from the root,
    // where the derivative only ever wraps them; inside anything else every node counts.
    std::vector<std::pair<const TKvOperatorNode*, bool>> pending{{&root, true}};
    while (!pending.empty()) {
        const auto [node, outer] = pending.back();
        pending.pop_back();
        if (key.size() > MaxPathKeyBytes) return false;
        if (node == nullptr) {
            key += '\xFF';
            continue;
        }
        if (outer) {
            if (const TKvOperatorNode* inner = passedThrough(*node)) {
                pending.emplace_back(inner, true);
                continue;
            }
        }
        AppendNode(*node, key);
        const bool operandsOuter = outer && node->OpCode == OpCodes::Sum;
        for (std::int32_t i = node->OperandCount() - 1; i >= 0; --i)
            pending.emplace_back(node->GetOperand(i), operandsOuter);
    }
    return true;
}

void THigherOrders::ToggleSign(TKvNodePtr& tree) {
    if (tree->OpCode == OpCodes::Negation && tree->OperandCount() == 1) {
        tree = tree->ReleaseOperand(0);
        return;
    }
    TKvNodePtr negation = TKvOperatorNode::CreateOperator(tree->DataType, OpCodes::Negation);
    negation->AddOperand(-1, std::move(tree));
    tree = std::move(negation);
}
