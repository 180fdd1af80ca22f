#include "app/CommandLineRequest.h"

#include <charconv>

#include "app/Calculator.h"
#include "app/SettingsFileArgument.h"
#include "platform/Locale.h"
#include "platform/Utf8.h"
#include "values/KvTypes.h"

namespace {

char UpperLetter(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSwitch(char letter) {
    switch (letter) {
    case 'C':
    case 'D':
    case 'I':
    case 'M':
    case 'N':
    case 'J':
    case 'S':
    case 'W':
        return true;
    default:
        return false;
    }
}

} // namespace

TKvMathCommandLine::TKvMathCommandLine(const std::vector<std::string>& parameters) {
    VarList.emplace_back("Pi", PiValue);
    VarList.emplace_back("e", EValue);
    std::optional<char> pending;
    // The settings file's name is the first parameter after "-i" that is not "-i" itself, as the
    // settings reader takes it.
    bool fileNameNext = false;
    for (const std::string& p : parameters) {
        if (p == SettingsFileOption) {
            fileNameNext = true;
            continue;
        }
        if (fileNameNext) {
            fileNameNext = false;
            continue;
        }
        if (p.empty()) continue;
        if (p[0] == '\\') {
            if (p.size() == 1) continue;
            const char letter = UpperLetter(p[1]);
            pending = letter;
            const int length = Utf8Length(p);
            if (length == 2 && IsSwitch(letter)) {
                ApplySwitch(letter);
                if (letter != 'D') pending.reset();
            } else if (length > 2) {
                ApplyOption(letter, p.substr(2));
                pending.reset();
            }
        } else if (pending) {
            ApplyOption(*pending, p);
            pending.reset();
        } else {
            Expression += " " + p;
        }
    }
}

bool TKvMathCommandLine::VarValueAt(std::int32_t index, long double& value) const {
    const auto& entry = VarList[index].second;
    if (!entry) return false;
    value = *entry;
    return true;
}

void TKvMathCommandLine::ApplySwitch(char letter) {
    switch (letter) {
    case 'C':
        DoSimplify = true;
        break;
    case 'D':
        DiffLevel = 1;
        break;
    case 'I':
        DoIntegrate = true;
        break;
    case 'M':
        DoNumeric = true;
        break;
    case 'N':
        DoNewton = true;
        break;
    default:
        break;
    }
}

void TKvMathCommandLine::ApplyOption(char letter, const std::string& value) {
    switch (letter) {
    case 'D': {
        std::int32_t level = 0;
        const char* last = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(value.data(), last, level);
        if (ec == std::errc() && ptr == last && level > 0) DiffLevel = level;
        break;
    }
    case 'L':
        TextToValue(value, &IntervalWidth, dtExtended);
        break;
    case 'T':
        TextToValue(value, &UpperBound, dtExtended);
        break;
    case 'V':
        ApplyVariable(value);
        break;
    case 'X':
        if (IsAsciiLetter(value[0])) VarName = value;
        break;
    default:
        break;
    }
}

void TKvMathCommandLine::ApplyVariable(const std::string& value) {
    const std::size_t eq = value.find('=');
    const std::string name = Trim(value.substr(0, eq));
    // A variable without a name could never be typed, only saved.
    if (name.empty()) {
        Errors.push_back("Illegaler Parameterwert: " + value);
        return;
    }
    if (eq == std::string::npos) {
        VarList.emplace_back(name, std::nullopt);
        return;
    }
    std::string text = Trim(value.substr(eq + 1));
    const char separator = DecimalSeparator();
    if (separator != '.') {
        const std::size_t pos = text.find(separator);
        if (pos != std::string::npos) text[pos] = '.';
    }
    long double number;
    if (TryTextToExtended(text, number))
        VarList.emplace_back(name, number);
    else
        Errors.push_back("Illegaler Parameterwert: " + value);
}
