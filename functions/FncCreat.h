// Function creators: objects that build the tree of a tree function (parser, differencer,
// integrator).
#pragma once

#include <memory>
#include <string>

#include "platform/Exceptions.h"

class TKvMathTreeFunction;

class EKvFunctionCreatorError : public Exception {
public:
    using Exception::Exception;
};

// A function that cannot be differentiated or integrated by the rules.
class EKvFunctionNotStetic : public EKvFunctionCreatorError {
public:
    using EKvFunctionCreatorError::EKvFunctionCreatorError;
};

class TKvFunctionCreator {
public:
    explicit TKvFunctionCreator(TKvMathTreeFunction* target) : Target(target) {}
    virtual ~TKvFunctionCreator();
    TKvFunctionCreator(const TKvFunctionCreator&) = delete;
    TKvFunctionCreator& operator=(const TKvFunctionCreator&) = delete;

    // Builds a tree and hands it to Target with SetTree; on failure sets ErrorText and leaves
    // Target without a tree.
    virtual void Execute() = 0;
    // A new creator of the same class and settings that builds the tree of target.
    virtual std::unique_ptr<TKvFunctionCreator> Clone(TKvMathTreeFunction* target) const = 0;

    // Not owned by the function object that holds it.
    bool Shared = false;
    // Message of the last Execute; empty after success.
    std::string ErrorText;
    TKvMathTreeFunction* Target;
};
