// The function object that calculates with an expression tree over its own variable store.
#pragma once

#include <cstdint>
#include <string>

#include "engine/MathTree.h"
#include "functions/FncCreat.h"
#include "functions/FuncList.h"
#include "functions/MathFunc.h"
#include "platform/Exceptions.h"
#include "values/VarDepot.h"

// Raised when a tree cannot be written as text.
class EKvMathTreeFunction : public Exception {
public:
    using Exception::Exception;
};

class TKvMathTreeFunction : public TKvMathFunction {
public:
    // An empty store of its own, no creator, no tree.
    TKvMathTreeFunction();
    ~TKvMathTreeFunction() override;
    TKvMathTreeFunction(const TKvMathTreeFunction&) = delete;
    TKvMathTreeFunction& operator=(const TKvMathTreeFunction&) = delete;

    std::string ClassName() const override { return "TKvMathTreeFunction"; }

    using TKvMathFunction::AssignTo;
    // A tree-function destination gets a copy of the store (or shares a borrowed one), the
    // error text, a clone of the creator and a copy of the tree bound to its new store; any
    // other function object gets the variable values by name. Result is not copied.
    void AssignTo(TKvMathFunction& dest) const override;

    // Both raise ENotExistingVariable for an unknown name.
    long double GetVarValue(const std::string& name) const override;
    void SetVarValue(const std::string& name, long double value) override;
    // Both raise EListError for an index outside 0..VarCount-1.
    long double GetVarValueByIndex(std::int32_t index) const override;
    void SetVarValueByIndex(std::int32_t index, long double value) override;
    std::string GetVarName(std::int32_t index) const override;
    std::int32_t IndexOfVar(const std::string& name) const override;
    std::int32_t VarCount() const override;
    std::string GetErrorText() const override { return ErrorText; }
    void SetErrorText(const std::string& text) override { ErrorText = text; }
    // Without a tree the creator builds one first; its message becomes this one's.
    void Calculate() override;
    // What Calculate leaves after an evaluation of the tree that succeeded without a fault,
    // for callers that ran the tree's fast evaluators themselves.
    void TakeFaultlessValue(long double value) {
        Result = value;
        if (!ErrorText.empty()) [[unlikely]]
            ErrorText.clear();
    }

    virtual void InitFunctionList();
    const TKvRealFunctionList* GetFunctionList() const { return FunctionList; }

    // Finds the variable or creates it with value 0 (extended).
    TKvSingleVariable* AddVariable(const std::string& name);

    bool GetBorrowedDepot() const { return BorrowedDepot; }
    // Works on someone else's store from now on; this object's own store is destroyed. The
    // tree refers to the old store's variables, so it is dropped.
    void BorrowVarDepot(TKvVarDepot* depot);

    TKvFunctionCreator* GetCreator() const { return Creator; }
    // Destroys the current creator unless it is Shared, then takes creator (owned unless
    // Shared; may be null).
    void SetCreator(TKvFunctionCreator* creator);

    TKvOperatorNode* GetTree() const { return Tree.get(); }
    // Destroys the current tree and takes tree (may be null).
    void SetTree(TKvNodePtr tree);
    // Hands the tree over to the caller; this object has none afterwards.
    TKvNodePtr ReleaseTree() { return std::move(Tree); }

    // The tree as an expression the parser reads back; empty without a tree. Raises
    // EKvMathTreeFunction when a node lacks the operands its code needs.
    std::string ToText() const;
    // Rewrites the tree in place into a shorter one of the same value, pass after pass until
    // its text settles. Raises EKvMathTreeFunction from writing the text.
    void Simplify();

    // The variables of the tree; owned unless BorrowedDepot. Only BorrowVarDepot and
    // assignment replace it.
    TKvVarDepot* VarDepot;

private:
    bool BorrowedDepot = false;
    std::string ErrorText;
    const TKvRealFunctionList* FunctionList = nullptr;
    TKvFunctionCreator* Creator = nullptr;
    TKvNodePtr Tree;
};
