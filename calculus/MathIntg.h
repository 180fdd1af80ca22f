// Symbolic integration: builds an antiderivative of one function object's tree as the tree of
// another, for the expressions its rules cover.
#pragma once

#include <memory>
#include <string>

#include "calculus/MathDiff.h"
#include "engine/MathTree.h"
#include "functions/FncCreat.h"
#include "values/VarDepot.h"

class TKvMathTreeFunction;

class EKvMathIntegrator : public EKvFunctionCreatorError {
public:
    using EKvFunctionCreatorError::EKvFunctionCreatorError;
};

class TKvMathIntegrator : public TKvSymbolicCreator {
public:
    // target must not be null. No source, no variable yet.
    explicit TKvMathIntegrator(TKvMathTreeFunction* target) : TKvSymbolicCreator(target) {}

    // Builds the target's tree. Never raises: on failure ErrorText says why and the target
    // has no tree.
    void Execute() override;
    // Same source; the copy chooses its own variable.
    std::unique_ptr<TKvFunctionCreator> Clone(TKvMathTreeFunction* target) const override;

    // An antiderivative of node by the variable name (case ignored), bound to depot; null when
    // the rules have none. Raises EKvFunctionNotStetic and EKvMathIntegrator.
    static TKvNodePtr IntgNode(const TKvOperatorNode& node, const std::string& name,
                               TKvVarDepot* depot);
    // Substitution: antiderivative divided by the derivative of operand, which must be free of
    // the variable (else EKvMathIntegrator); antiderivative alone when operand is the variable.
    static TKvNodePtr ApplyIntgChainRule(TKvNodePtr antiderivative, const TKvOperatorNode& operand,
                                         const std::string& name, TKvVarDepot* depot);

};
