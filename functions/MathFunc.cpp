#include "functions/MathFunc.h"

#include "platform/Exceptions.h"

void TKvAssignable::AssignTo(TKvAssignable& dest) const {
    throw EConvertError(ClassName() + " kann nicht zu  " + dest.ClassName() + " zugewiesen werden");
}

void TKvMathFunction::AssignTo(TKvAssignable& dest) const {
    if (auto* function = dynamic_cast<TKvMathFunction*>(&dest))
        AssignTo(*function);
    else
        TKvAssignable::AssignTo(dest);
}

void TKvMathFunction::AssignTo(TKvMathFunction& dest) const {
    const std::int32_t count = VarCount();
    for (std::int32_t i = 0; i < count; ++i)
        dest.SetVarValue(GetVarName(i), GetVarValueByIndex(i));
}
