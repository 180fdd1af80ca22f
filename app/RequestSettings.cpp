#include "app/RequestSettings.h"

#include <climits>
#include <string>

#include "app/Calculator.h"
#include "platform/IniFile.h"

namespace {

constexpr const char* Section = "ScientificPanel";

struct TTextField {
    const char* Key;
    std::string TCalcRequest::*Field;
};

constexpr TTextField TextFields[] = {
    {"IterVar", &TCalcRequest::IterVar},         {"Start", &TCalcRequest::StartText},
    {"Delta", &TCalcRequest::DeltaText},         {"DiffVar", &TCalcRequest::DiffVar},
    {"DiffNumVar", &TCalcRequest::DiffNumVar},   {"DiffNumX", &TCalcRequest::DiffNumXText},
    {"IntgNumVar", &TCalcRequest::IntgNumVar},   {"IntgNumFrom", &TCalcRequest::IntgNumFromText},
    {"IntgNumTo", &TCalcRequest::IntgNumToText}, {"IntgNumIntv", &TCalcRequest::IntgNumIntvText},
    {"LenNumVar", &TCalcRequest::LenNumVar},     {"LenNumFrom", &TCalcRequest::LenNumFromText},
    {"LenNumTo", &TCalcRequest::LenNumToText},   {"LenNumIntv", &TCalcRequest::LenNumIntvText},
};

struct TCountField {
    const char* Key;
    std::int32_t TCalcRequest::*Field;
    std::int32_t Least; // the spin box's lowest value
};

constexpr TCountField CountFields[] = {
    {"MaxIter", &TCalcRequest::MaxIter, INT_MIN},
    {"DiffCount", &TCalcRequest::DiffCount, 1},
    {"DiffNumCount", &TCalcRequest::DiffNumCount, 1},
};

} // namespace

void RestoreRequestFields(const TIniFile& file, TCalcRequest& request) {
    const std::int32_t mode = file.ReadInteger(Section, "Mode", request.Mode);
    if (mode >= cmSimple && mode <= cmCurveLength) request.Mode = static_cast<TCalcMode>(mode);
    for (const TTextField& field : TextFields)
        request.*field.Field = file.ReadString(Section, field.Key, request.*field.Field);
    for (const TCountField& field : CountFields) {
        const std::int32_t value = file.ReadInteger(Section, field.Key, request.*field.Field);
        if (value >= field.Least) request.*field.Field = value;
    }
}

void SaveRequestFields(TIniFile& file, const TCalcRequest& request) {
    file.WriteInteger(Section, "Mode", request.Mode);
    for (const TTextField& field : TextFields)
        file.WriteString(Section, field.Key, request.*field.Field);
    for (const TCountField& field : CountFields)
        file.WriteInteger(Section, field.Key, request.*field.Field);
}
