// Symbolic differentiation: builds the n-th derivative of one function object's tree as the
// tree of another.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/MathTree.h"
#include "functions/FncCreat.h"
#include "values/VarDepot.h"

class TKvMathTreeFunction;

class EKvMathDifferencer : public EKvFunctionCreatorError {
public:
    using EKvFunctionCreatorError::EKvFunctionCreatorError;
};

// An order below 1.
class EKvIllegalDiffLevel : public EKvMathDifferencer {
public:
    using EKvMathDifferencer::EKvMathDifferencer;
};

// What the differencer and the integrator share: the source function and the variable.
class TKvSymbolicCreator : public TKvFunctionCreator {
public:
    using TKvFunctionCreator::TKvFunctionCreator;

    // Drops the target's tree. The source is not owned.
    void SetSource(TKvMathTreeFunction* source);
    TKvMathTreeFunction* GetSource() const { return Source; }

    // The variable. A caller may set it before the first Execute; left empty, that Execute
    // takes x if the source has it, else the source's first variable.
    std::string VarName;

protected:
    // The first step of Execute, once: builds the source's tree and settles VarName. False
    // when the source reports a message; ErrorText is then that text and the target has no tree.
    bool PrepareSource();

    TKvMathTreeFunction* Source = nullptr;

private:
    // The source has been prepared and VarName settled by an earlier Execute.
    bool VarChosen = false;
};

class TKvMathDifferencer : public TKvSymbolicCreator {
public:
    // target must not be null. Order 1, no source, no variable yet.
    explicit TKvMathDifferencer(TKvMathTreeFunction* target) : TKvSymbolicCreator(target) {}
    // Raises EKvIllegalDiffLevel "Es gibt keine <n>. Ableitung!" below 1 and changes nothing.
    // A new order drops the target's tree.
    void SetOrder(std::int32_t order);
    std::int32_t GetOrder() const { return Order; }

    // Builds the target's tree. Never raises: on failure ErrorText says why and the target
    // has no tree.
    void Execute() override;
    // Same order and source; the copy chooses its own variable.
    std::unique_ptr<TKvFunctionCreator> Clone(TKvMathTreeFunction* target) const override;

    // The derivative of node by the variable name (case ignored), bound to depot; the constant
    // 0 when it is identically zero. The node is only read.
    static TKvNodePtr DiffTree(const TKvOperatorNode& node, const std::string& name,
                               TKvVarDepot* depot);
    // As DiffTree, but null for an identically zero derivative.
    static TKvNodePtr DiffNode(const TKvOperatorNode& node, const std::string& name,
                               TKvVarDepot* depot);
    // outer multiplied by the derivative of operand; outer alone when operand is the variable.
    static TKvNodePtr ApplyChainRule(TKvNodePtr outer, const TKvOperatorNode& operand,
                                     const std::string& name, TKvVarDepot* depot);

private:
    std::int32_t Order = 1;
};

// The first steps of a differencer's or integrator's Execute: builds the source's tree
// through its creator when it has none, then settles varName when it is empty (x if the
// source has it, else its first variable, else x). False when the source reports a message;
// message is then that text and varName is left as it was.
bool PrepareSymbolicSource(TKvMathTreeFunction& source, std::string& varName, std::string& message);

// Whether the tree is zero for every value of its variables, as far as folding numbers in
// sums, negations and products shows (a product with a factor 3-1-1-1 is).
bool IsIdenticallyZero(const TKvOperatorNode& root);

// Whether two trees have the same shape, codes, data types, constants and variable names.
bool SameTree(const TKvOperatorNode& a, const TKvOperatorNode& b);
