// Shortcuts for derivatives of high order, which would otherwise derive pass after pass.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

#include "engine/MathTree.h"

// Watches the passes of one derivative of high order. Passes come back to the shape of an
// earlier one where the variable only runs through negations and through products or
// quotients with one varying operand, since for those the derivative of w(t) is w(t'):
//   cos(x), -sin(x), -cos(x), --sin(x), ...      sin(2*x), cos(2*x)*2, 2*-(sin(2*x)*2), ...
// Each round then adds the same nodes. Negations alone at the root leave only their sign, so
// any number of rounds is skipped at once; anything else grows by the same number of nodes
// each round, so a tree beyond the node limit is known before it is built.
class THigherOrders {
public:
    THigherOrders(std::int64_t order, const std::string& varName);

    // tree is the derivative of the order done. Gives the order reached, which is beyond done
    // when rounds were skipped; tree then has the sign of that order. Raises ETooMuchInstances
    // when the passes still to do would need more nodes than may live.
    std::int64_t Skip(TKvNodePtr& tree, std::int64_t done);

private:
    struct TSeen {
        std::int64_t Done;
        std::int64_t Value; // negations at the root, or nodes
    };

    // Shape, codes, data types, constants and variable names of a small tree, as bytes; false
    // for a large one.
    static bool ShapeKey(const TKvOperatorNode& root, std::string& key);
    // The same with every node the variable only runs through left out; false for a large
    // tree. nodes receives the number of nodes.
    bool PathKey(const TKvOperatorNode& root, std::string& key, std::int64_t& nodes) const;
    // -t becomes t, t becomes -t.
    static void ToggleSign(TKvNodePtr& tree);

    const std::int64_t Order;
    const std::string UpperName;
    bool SignsDone = false;
    std::unordered_map<std::string, TSeen> Shapes;
    std::unordered_map<std::string, TSeen> Paths;
};
