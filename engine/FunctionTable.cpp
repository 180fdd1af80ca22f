#include "engine/FunctionTable.h"

const char* FunctionCodeName(std::uint16_t code) {
    for (const TFunctionRow& row : FunctionTable)
        if (row.Code == code && !row.Alias) return row.Name;
    return "";
}
