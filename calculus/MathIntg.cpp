#include "calculus/MathIntg.h"

#include <utility>

#include "functions/MthTrFnc.h"

namespace {

constexpr const char* IntgFailureText = "Fehler im Integrieren";
constexpr const char* NoAntiderivativeText = "Die Stammfunktion konnte nicht gebildet werden.";

} // namespace

std::unique_ptr<TKvFunctionCreator> TKvMathIntegrator::Clone(TKvMathTreeFunction* target) const {
    auto copy = std::make_unique<TKvMathIntegrator>(target);
    copy->Shared = Shared;
    copy->SetSource(Source);
    return copy;
}

void TKvMathIntegrator::Execute() {
    if (!PrepareSource()) return;
    ErrorText.clear();
    try {
        if (Source == nullptr || Source->GetTree() == nullptr)
            throw EKvMathIntegrator("Keine Funktion zum Integrieren");
        // The rules add the variable of integration to the store they build in, so they work
        // on a copy of the source.
        TKvMathTreeFunction work;
        work.Assign(*Source);
        work.SetTree(IntgNode(*work.GetTree(), VarName, work.VarDepot));
        if (work.GetTree() != nullptr) {
            // Bound to the target's own store, not the source's, so the target is self-contained.
            Target->SetTree(work.GetTree()->Clone(Target->VarDepot));
        } else {
            Target->SetTree(nullptr);
            ErrorText = NoAntiderivativeText;
        }
    } catch (...) {
        ErrorText = IntgFailureText;
        Target->SetTree(nullptr);
    }
}
