#include "app/Settings.h"

#include <algorithm>

#include "app/Calculator.h"
#include "functions/MthTrFnc.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"

namespace {
constexpr const char* PanelSection = "ScientificPanel";
constexpr const char* VariablesSection = "Variables";
constexpr const char* HistorySection = "History";
constexpr const char* SectionSign = "\xC2\xA7";

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
        text.replace(pos, from.size(), to);
    return text;
}

// A count from the file, cut to what the section can hold: a hand-edited huge count must not
// make the start loop for ever.
std::int32_t PlausibleCount(const TIniFile& file, const char* section, std::int32_t count) {
    return std::min(count, file.KeyCount(section));
}
} // namespace

std::string EncodeHistoryEntry(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "\r", "@"), "\n", SectionSign);
}

std::string DecodeHistoryEntry(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "@", "\r"), SectionSign, "\n");
}

void RestoreSettings(const TIniFile& file, bool& panelVisible, TCalculator& calculator) {
    panelVisible = file.ReadBool(PanelSection, "Visible", panelVisible);

    TKvMathTreeFunction& function = calculator.MainFunction();
    const std::int32_t variableCount = file.ReadInteger(VariablesSection, "Count", 0);
    if (variableCount == 0) {
        calculator.SetStandardVariables();
    } else {
        const std::int32_t last = PlausibleCount(file, VariablesSection, variableCount);
        for (std::int32_t n = 1; n <= last; ++n) {
            const std::string name = file.ReadString(VariablesSection, "name" + std::to_string(n), "");
            const std::string text = file.ReadString(VariablesSection, "value" + std::to_string(n), "");
            if (name.empty() || text.empty()) continue;
            function.AddVariable(name);
            long double value;
            if (TryStrToFloat(text, value)) function.SetVarValue(name, value);
        }
    }

    calculator.HistoryMaxCount = file.ReadInteger(HistorySection, "MaxCount", 20);
    const std::int32_t historyCount = PlausibleCount(
        file, HistorySection, file.ReadInteger(HistorySection, "Count", 0));
    for (std::int32_t n = 0; n < historyCount; ++n) {
        const std::string entry = file.ReadString(HistorySection, std::to_string(n), "");
        if (!entry.empty()) calculator.History.push_back(DecodeHistoryEntry(entry));
    }
}

void SaveSettings(TIniFile& file, bool panelVisible, const TCalculator& calculator) {
    file.WriteBool(PanelSection, "Visible", panelVisible);

    const TKvMathTreeFunction& function = calculator.MainFunction();
    std::int32_t written = 0;
    for (std::int32_t i = 0; i < function.VarCount(); ++i) {
        const long double value = function.GetVarValueByIndex(i);
        if (value == 0) continue;
        ++written;
        file.WriteString(VariablesSection, "name" + std::to_string(written), function.GetVarName(i));
        file.WriteString(VariablesSection, "value" + std::to_string(written), FloatToStr(value));
    }
    file.WriteInteger(VariablesSection, "Count", written);

    file.WriteInteger(HistorySection, "Count", static_cast<std::int32_t>(calculator.History.size()));
    for (std::size_t n = 0; n < calculator.History.size(); ++n)
        file.WriteString(HistorySection, std::to_string(n), EncodeHistoryEntry(calculator.History[n]));
}
