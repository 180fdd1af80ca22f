// Evaluators and kernels, chosen once when a node is made.
#pragma once

#include <cstdint>

#include "engine/MathTree.h"

// The checked evaluators; they test the fault flags after every kernel.
void EvaluateLeaf(TKvOperatorNode& node, void* result);
void EvaluateExtendedLeaf(TKvOperatorNode& node, void* result);
void EvaluateOperator(TKvOperatorNode& node, void* result);
void EvaluateNegation(TKvOperatorNode& node, void* result);
void EvaluateFunction(TKvOperatorNode& node, void* result);

// The fast evaluators, which return the value and leave faults to the flags; a node they cannot
// handle raises the invalid flag.
TValueEvaluator SelectFastLeaf(TKvDataType dataType);
TValueEvaluator SelectFastOperator(std::uint16_t code, TKvDataType dataType);

// Kernels for a data type (and operation code). Types without a kernel of the kind get one
// that reports failure (binary, function) or does nothing (negation).
TNegateKernel SelectNegateKernel(TKvDataType dataType);
TBinaryKernel SelectBinaryKernel(std::uint16_t code, TKvDataType dataType);
TFunctionKernel SelectFunctionKernel(std::uint16_t code, TKvDataType dataType);

// The random generator's global seed; 0 at program start.
extern std::uint32_t RandSeed;
