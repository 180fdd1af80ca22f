#include "functions/FuncList.h"

#include <algorithm>

#include "engine/FunctionTable.h"
#include "platform/Locale.h"

namespace {

std::uint64_t LengthBit(std::size_t length) {
    return std::uint64_t{1} << std::min<std::size_t>(length, 63);
}

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The menus capitalise a name, and after "arc" its second part too: ArcSinh.
std::string MenuSpelling(std::string_view name) {
    std::string spelling(name);
    spelling[0] = UpperLetter(spelling[0]);
    if (spelling.size() > 3 && spelling.starts_with("Arc")) spelling[3] = UpperLetter(spelling[3]);
    return spelling;
}

} // namespace

void TKvAbstractFunctionList::Initialize() {
    FillList();
    NameIndex.clear();
    for (std::int32_t i = 0; i < Count(); ++i)
        NameIndex.emplace_back(AnsiUpperCase(Names[i].first), i);
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
    for (const TFunctionRow& row : FunctionTable)
        if (*row.Name != '\0') Add(MenuSpelling(row.Name), row.Code);
}

const TKvRealFunctionList& RealFunctionList() {
    static const TKvRealFunctionList list;
    return list;
}
