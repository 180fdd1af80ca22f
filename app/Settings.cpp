#include "app/Settings.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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

using TStoredVariable = TCalculator::TStoredVariable;

// The non-empty name and value pairs up to Count.
std::vector<TStoredVariable> ReadVariables(const TIniFile& file, std::int32_t count) {
    std::vector<TStoredVariable> pairs;
    const std::int32_t last = PlausibleCount(file, VariablesSection, count);
    for (std::int32_t n = 1; n <= last; ++n) {
        TStoredVariable pair{file.ReadString(VariablesSection, "name" + std::to_string(n), ""),
                             file.ReadString(VariablesSection, "value" + std::to_string(n), "")};
        if (!pair.Name.empty() && !pair.Text.empty()) pairs.push_back(std::move(pair));
    }
    return pairs;
}

std::vector<std::string> ReadHistory(const TIniFile& file) {
    std::vector<std::string> entries;
    const std::int32_t count =
        PlausibleCount(file, HistorySection, file.ReadInteger(HistorySection, "Count", 0));
    for (std::int32_t n = 0; n < count; ++n) {
        const std::string entry = file.ReadString(HistorySection, std::to_string(n), "");
        if (!entry.empty()) entries.push_back(DecodeHistoryEntry(entry));
    }
    return entries;
}

// Variables to write: ours in store order, then what another program added or changed since
// we read the file, unless we changed the same variable too.
std::vector<TStoredVariable> MergeVariables(const TCalculator& calculator,
                                            const std::vector<TStoredVariable>& current) {
    std::unordered_map<std::string, std::string> stored;
    for (const TStoredVariable& pair : calculator.StoredVariables)
        stored.emplace(AnsiUpperCase(pair.Name), pair.Text);

    const TKvMathTreeFunction& function = calculator.MainFunction();
    std::vector<TStoredVariable> merged;
    std::unordered_map<std::string, std::size_t> ours; // upper-case name to index in merged
    std::unordered_map<std::string, long double> ourValues;
    for (std::int32_t i = 0; i < function.VarCount(); ++i) {
        const std::string& name = function.GetVarName(i);
        const std::string key = AnsiUpperCase(name);
        const long double value = function.GetVarValueByIndex(i);
        std::string text;
        long double storedValue;
        if (value != 0) {
            text = FloatToStr(value);
        } else if (const auto found = stored.find(key);
                   found != stored.end() && !TryStoredTextToFloat(found->second, storedValue)) {
            // A value this run could not read goes back as it was.
            text = found->second;
        }
        if (text.empty()) continue;
        ours.emplace(key, merged.size());
        ourValues.emplace(key, value);
        merged.push_back({name, std::move(text)});
    }

    for (const TStoredVariable& pair : current) {
        const std::string key = AnsiUpperCase(pair.Name);
        const auto before = stored.find(key);
        if (before != stored.end() && before->second == pair.Text) continue; // not theirs
        const auto own = ours.find(key);
        if (own == ours.end()) {
            ours.emplace(key, merged.size());
            merged.push_back(pair);
            continue;
        }
        long double storedValue;
        const bool weKeptIt =
            before != stored.end() &&
            (merged[own->second].Text == before->second ||
             (TryStoredTextToFloat(before->second, storedValue) && storedValue == ourValues[key]));
        if (weKeptIt) merged[own->second].Text = pair.Text;
    }
    return merged;
}

// An entry as it reads back: the file keeps no blanks around a value.
std::string HistoryKey(const std::string& entry) {
    const std::size_t first = entry.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return entry.substr(first, entry.find_last_not_of(" \t") - first + 1);
}

// Our history with the entries another program added since we read the file after our own
// newest ones; no longer than our list or the most allowed.
std::vector<std::string> MergeHistory(const TCalculator& calculator,
                                      const std::vector<std::string>& current) {
    const std::vector<std::string>& ours = calculator.History;
    std::unordered_set<std::string> stored, known;
    for (const std::string& entry : calculator.StoredHistory) stored.insert(HistoryKey(entry));
    for (const std::string& entry : ours) known.insert(HistoryKey(entry));
    std::vector<std::string> theirs;
    for (const std::string& entry : current)
        if (!stored.count(HistoryKey(entry)) && known.insert(HistoryKey(entry)).second)
            theirs.push_back(entry);
    if (theirs.empty()) return ours;

    std::size_t after = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        if (!stored.count(HistoryKey(ours[i]))) after = i + 1;
    std::vector<std::string> merged(ours.begin(),
                                    ours.begin() + static_cast<std::ptrdiff_t>(after));
    merged.insert(merged.end(), theirs.begin(), theirs.end());
    merged.insert(merged.end(), ours.begin() + static_cast<std::ptrdiff_t>(after), ours.end());
    const std::size_t most =
        std::max(ours.size(), static_cast<std::size_t>(std::max(calculator.HistoryMaxCount, 0)));
    if (merged.size() > most) merged.resize(most);
    return merged;
}
} // namespace

bool TryStoredTextToFloat(const std::string& text, long double& value) {
    if (TryStrToFloat(text, value)) return true;
    // Stored values hold no thousands separator, so a point or a comma can only be the
    // decimal separator of the run that wrote them.
    const char separator = DecimalSeparator();
    for (const char other : {'.', ','}) {
        const std::size_t pos = text.find(other);
        if (other == separator || pos == std::string::npos) continue;
        std::string changed = text;
        changed[pos] = separator;
        if (TryStrToFloat(changed, value)) return true;
    }
    return false;
}

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
    calculator.StoredVariables.clear();
    if (variableCount == 0) {
        calculator.SetStandardVariables();
    } else {
        calculator.StoredVariables = ReadVariables(file, variableCount);
        for (const TStoredVariable& pair : calculator.StoredVariables) {
            function.AddVariable(pair.Name);
            long double value;
            if (TryStoredTextToFloat(pair.Text, value)) function.SetVarValue(pair.Name, value);
        }
    }

    calculator.HistoryMaxCount = file.ReadInteger(HistorySection, "MaxCount", 20);
    calculator.StoredHistory = ReadHistory(file);
    calculator.History.insert(calculator.History.end(), calculator.StoredHistory.begin(),
                              calculator.StoredHistory.end());
}

void SaveSettings(TIniFile& file, bool panelVisible, const TCalculator& calculator) {
    file.WriteBool(PanelSection, "Visible", panelVisible);

    const std::vector<TStoredVariable> variables = MergeVariables(
        calculator, ReadVariables(file, file.ReadInteger(VariablesSection, "Count", 0)));
    std::int32_t written = 0;
    for (const TStoredVariable& pair : variables) {
        ++written;
        file.WriteString(VariablesSection, "name" + std::to_string(written), pair.Name);
        file.WriteString(VariablesSection, "value" + std::to_string(written), pair.Text);
    }
    file.WriteInteger(VariablesSection, "Count", written);

    const std::vector<std::string> history = MergeHistory(calculator, ReadHistory(file));
    file.WriteInteger(HistorySection, "Count", static_cast<std::int32_t>(history.size()));
    for (std::size_t n = 0; n < history.size(); ++n)
        file.WriteString(HistorySection, std::to_string(n), EncodeHistoryEntry(history[n]));
}
