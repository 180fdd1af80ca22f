// The expression, variables and mode given on the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TKvMathCommandLine {
public:
    // Reads the process parameters (without the program name). Backslash options set the
    // fields; every other word is appended to Expression after a blank. "-i" and the file name
    // after it belong to the settings and are left out.
    explicit TKvMathCommandLine(const std::vector<std::string>& parameters);

    std::int32_t VarListCount() const { return static_cast<std::int32_t>(VarList.size()); }
    const std::string& VarNameAt(std::int32_t index) const { return VarList[index].first; }
    // Whether the entry has a value, and the value.
    bool VarValueAt(std::int32_t index, long double& value) const;

    std::string Expression;
    std::string VarName = "x";
    std::int32_t DiffLevel = 0;
    bool DoIntegrate = false;
    bool DoNewton = false;
    bool DoNumeric = false;
    bool DoSimplify = false;
    long double IntervalWidth = 0.01L;
    long double UpperBound = 0;
    std::vector<std::pair<std::string, std::optional<long double>>> VarList;
    // "Illegaler Parameterwert: " messages for V values that did not convert.
    std::vector<std::string> Errors;

private:
    void ApplySwitch(char letter);
    void ApplyOption(char letter, const std::string& value);
    void ApplyVariable(const std::string& value);
};
