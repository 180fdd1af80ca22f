#include "functions/MthTrFnc.h"

#include <memory>

TKvMathTreeFunction::TKvMathTreeFunction() : VarDepot(new TKvVarDepot) {
    InitFunctionList();
}

TKvMathTreeFunction::~TKvMathTreeFunction() {
    // The tree goes first: its variable nodes point into the store.
    Tree.reset();
    if (Creator != nullptr && !Creator->Shared) delete Creator;
    if (!BorrowedDepot) delete VarDepot;
}

void TKvMathTreeFunction::AssignTo(TKvMathFunction& dest) const {
    auto* target = dynamic_cast<TKvMathTreeFunction*>(&dest);
    if (target == this) return;
    if (target == nullptr) {
        TKvMathFunction::AssignTo(dest);
        return;
    }

    // Everything new is made before the destination changes, so running out of nodes leaves
    // the destination as it was.
    std::unique_ptr<TKvVarDepot> depotCopy;
    TKvVarDepot* newDepot = VarDepot;
    if (!BorrowedDepot) {
        depotCopy = VarDepot->Clone();
        newDepot = depotCopy.get();
    }
    TKvNodePtr newTree = Tree ? Tree->Clone(newDepot) : nullptr;
    std::unique_ptr<TKvFunctionCreator> creatorCopy;
    TKvFunctionCreator* newCreator = Creator;
    if (Creator != nullptr && !Creator->Shared) {
        creatorCopy = Creator->Clone(target);
        newCreator = creatorCopy.get();
    }

    target->SetTree(nullptr);
    // A store the destination already uses (one both borrow, or the destination's own that
    // this object borrows) stays as it is; anything else would free it under its users.
    if (newDepot != target->VarDepot) {
        if (!target->BorrowedDepot) delete target->VarDepot;
        target->VarDepot = depotCopy ? depotCopy.release() : newDepot;
        target->BorrowedDepot = BorrowedDepot;
    }
    target->ErrorText = ErrorText;
    target->SetCreator(creatorCopy ? creatorCopy.release() : newCreator);
    target->Tree = std::move(newTree);
}

long double TKvMathTreeFunction::GetVarValue(const std::string& name) const {
    return VarDepot->GetValue(name);
}

void TKvMathTreeFunction::SetVarValue(const std::string& name, long double value) {
    VarDepot->SetValue(name, &value);
}

long double TKvMathTreeFunction::GetVarValueByIndex(std::int32_t index) const {
    return VarDepot->Variables(index)->GetAsExtended();
}

void TKvMathTreeFunction::SetVarValueByIndex(std::int32_t index, long double value) {
    VarDepot->Variables(index)->SetAsExtended(value);
}

std::string TKvMathTreeFunction::GetVarName(std::int32_t index) const {
    if (index < 0 || index >= VarDepot->Count()) return "";
    return VarDepot->Variables(index)->Name;
}

std::int32_t TKvMathTreeFunction::IndexOfVar(const std::string& name) const {
    return VarDepot->IndexOf(name);
}

std::int32_t TKvMathTreeFunction::VarCount() const {
    return VarDepot->Count();
}

void TKvMathTreeFunction::Calculate() {
    Result = 0;
    if (!Tree && Creator != nullptr) {
        try {
            Creator->Execute();
        } catch (...) {
            // The creator's message tells what went wrong.
        }
        ErrorText = Creator->ErrorText;
    }
    if (Tree) {
        try {
            Tree->Evaluate(&Result);
            // Most evaluations succeed; copying an empty text onto an empty one costs a call.
            if (!ErrorText.empty() || !Tree->ErrorText.empty()) ErrorText = Tree->ErrorText;
        } catch (...) {
            // Evaluation reports through the nodes' texts; nothing may leave a calculation.
        }
    }
}

void TKvMathTreeFunction::InitFunctionList() {
    FunctionList = &RealFunctionList();
}

TKvSingleVariable* TKvMathTreeFunction::AddVariable(const std::string& name) {
    return VarDepot->AddVariable(name, dtExtended);
}

void TKvMathTreeFunction::BorrowVarDepot(TKvVarDepot* depot) {
    SetTree(nullptr);
    if (depot == VarDepot) return;
    if (!BorrowedDepot) delete VarDepot;
    VarDepot = depot;
    BorrowedDepot = true;
}

void TKvMathTreeFunction::SetCreator(TKvFunctionCreator* creator) {
    if (creator == Creator) return;
    if (Creator != nullptr && !Creator->Shared) delete Creator;
    Creator = creator;
}

void TKvMathTreeFunction::SetTree(TKvNodePtr tree) {
    Tree = std::move(tree);
}
