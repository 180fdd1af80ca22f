// Lets a test exchange a node's kernels or its checked evaluator. The node then refuses the fast
// path, so Evaluate runs the checked evaluators, which use the new kernel, and the compiled
// program refuses the tree: the fast evaluators and the program may take a node's kernels as
// those its code and type were made with.
#pragma once

#include "engine/MathKernelsImpl.h"
#include "engine/MathTree.h"

struct TNodeTestAccess {
    static void SetNegateKernel(TKvOperatorNode& node, TNegateKernel kernel) {
        Exchange(node, &TKvOperatorNode::NegateKernel, kernel);
    }
    static void SetBinaryKernel(TKvOperatorNode& node, TBinaryKernel kernel) {
        Exchange(node, &TKvOperatorNode::BinaryKernel, kernel);
    }
    static void SetFunctionKernel(TKvOperatorNode& node, TFunctionKernel kernel) {
        Exchange(node, &TKvOperatorNode::FunctionKernel, kernel);
    }
    static void SetEvaluator(TKvOperatorNode& node, TEvaluator evaluator) {
        Exchange(node, &TKvOperatorNode::Evaluator, evaluator);
    }

private:
    static long double Refuse(TKvOperatorNode&) { return KvKernels::RaiseInvalid(); }

    template <typename T>
    static void Exchange(TKvOperatorNode& node, T TKvOperatorNode::*member, T value) {
        node.*member = value;
        node.FastValue = Refuse;
    }
};
