#include "functions/FuncList.h"

#include <algorithm>

#include "platform/Locale.h"

namespace {

std::uint64_t LengthBit(std::size_t length) {
    return std::uint64_t{1} << std::min<std::size_t>(length, 63);
}

} // namespace

void TKvAbstractFunctionList::Initialize() {
    FillList();
    NameIndex.clear();
    for (std::int32_t i = 0; i < Count(); ++i) NameIndex.emplace_back(AnsiUpperCase(Names[i].first), i);
    std::sort(NameIndex.begin(), NameIndex.end());
    NameLengths = 0;
    for (const auto& entry : NameIndex)
        NameLengths |= LengthBit(entry.first.size());
}

void TKvAbstractFunctionList::Add(const std::string& name, std::uint16_t code) {
    Names.emplace_back(name, code);
}

std::int32_t TKvAbstractFunctionList::IndexOfFunction(const std::string& name) const {
    return IndexOfUpperCaseName(AnsiUpperCase(name));
}

std::int32_t TKvAbstractFunctionList::IndexOfUpperCaseName(std::string_view key) const {
    if ((NameLengths & LengthBit(key.size())) == 0) return -1;
    const auto it =
        std::lower_bound(NameIndex.begin(), NameIndex.end(), key,
                         [](const auto& entry, std::string_view k) { return entry.first < k; });
    if (it != NameIndex.end() && it->first == key) return it->second;
    return -1;
}

void TKvRealFunctionList::FillList() {
    static constexpr struct {
        const char* Name;
        std::uint16_t Code;
    } Table[] = {
        {"Exp", 41},     {"Ln", 42},      {"Log", 43},     {"Ld", 44},      {"Sqr", 45},
        {"Sqrt", 46},    {"Sin", 51},     {"Cos", 52},     {"Tan", 53},     {"Cot", 54},
        {"ArcSin", 55},  {"ArcCos", 56},  {"ArcTan", 57},  {"ArcCot", 58},  {"Sinh", 59},
        {"Cosh", 60},    {"Tanh", 61},    {"Coth", 62},    {"ArcSinh", 63}, {"ArcCosh", 64},
        {"ArcTanh", 65}, {"ArcCoth", 66}, {"Int", 70},     {"Trunc", 70},   {"Round", 71},
        {"Frac", 72},    {"Sgn", 80},     {"Abs", 81},     {"Zero", 82},    {"Ceil", 90},
        {"Floor", 91},   {"Heav", 83},    {"Phase", 100},  {"Rnd", 110},
    };
    for (const auto& entry : Table) Add(entry.Name, entry.Code);
}

const TKvRealFunctionList& RealFunctionList() {
    static const TKvRealFunctionList list;
    return list;
}
