// An extended tree flattened into a compact program for the numeric methods, which evaluate one
// tree millions of times. Each step is bound to its operation and to the kind of its operands
// when the program is made, so a run neither looks at a node nor tests anything the tree fixed.
//
// The program computes what the fast evaluators compute, in the same order, and like them it
// leaves faults to the flags: its caller tests the flags and runs the checked evaluation of the
// tree when one is raised. It reads the leaves' value buffers, so it is valid only as long as
// the tree is not changed; its owner makes it anew whenever that may have happened.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/MathTree.h"

struct TKvCompiledStep {
    long double (*Run)(const TKvCompiledStep& step);
    // A leaf's value buffer or another step, as Run expects.
    const void* Left = nullptr;
    const void* Right = nullptr;
};

class TKvCompiledTree {
public:
    enum class TResult {
        Compiled,
        // A node carries a message from a failed evaluation; a successful one clears it.
        Unclean,
        // Something the fast evaluators would refuse, or a tree too deep for a program.
        Refused,
    };

    TResult Compile(const TKvOperatorNode& root);
    void Clear();
    bool Ready() const { return Root != nullptr; }
    // The value, faults in the flags. Only when Ready.
    long double Value() const { return Root->Run(*Root); }

    // Deeper programs are left to the tree walk, which needs no recursion for long folds.
    static constexpr std::int32_t MaxDepth = 200;

private:
    std::vector<TKvCompiledStep> Steps;
    // Each step's operands while compiling; kept, like Steps, so that compiling the same tree
    // again allocates nothing.
    std::vector<std::pair<std::int32_t, std::int32_t>> Links;
    const TKvCompiledStep* Root = nullptr;
};
