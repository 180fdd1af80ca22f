#include "app/VarTable.h"

#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"
#include "values/KvTypes.h"

std::vector<TVarRow> VariableRows(const TKvMathTreeFunction& function) {
    std::vector<TVarRow> rows;
    rows.reserve(static_cast<std::size_t>(function.VarCount()));
    for (std::int32_t i = 0; i < function.VarCount(); ++i)
        rows.push_back(
            {function.GetVarName(i), FloatToDisplayText(function.GetVarValueByIndex(i))});
    return rows;
}

std::vector<TVarRow> StandardVariableRows() {
    return {{"Pi", FloatToStr(PiValue)}, {"e", FloatToStr(EValue)}};
}

void ApplyVariableRows(TKvMathTreeFunction& function, const std::vector<TVarRow>& rows) {
    function.SetTree(nullptr);
    function.VarDepot->Clear();
    for (const TVarRow& row : rows) {
        if (row.Name.empty()) continue;
        function.AddVariable(row.Name);
        long double value = 0;
        if (!TryStrToFloat(row.Value, value)) value = 0;
        function.SetVarValue(row.Name, value);
    }
}
