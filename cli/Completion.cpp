#include "cli/Completion.h"

#include <algorithm>

#include "cli/Commands.h"
#include "functions/FuncList.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWith(const std::string& word, const std::string& prefix) {
    if (prefix.size() > word.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(word[i]) != Lower(prefix[i])) return false;
    return true;
}

} // namespace

std::vector<std::string> Completions(const std::string& before, const std::string& prefix,
                                     const TKvMathTreeFunction& function) {
    std::string context = Trim(before);
    for (char& c : context)
        c = Lower(c);
    std::vector<std::string> words;
    if (context == "modus") {
        words = ModeWords();
    } else {
        if (context.empty()) words = CommandWords();
        if (context != "variable") {
            const TKvRealFunctionList& list = RealFunctionList();
            for (std::int32_t i = 0; i < list.Count(); ++i)
                words.push_back(list.Strings(i));
        }
        for (std::int32_t i = 0; i < function.VarCount(); ++i)
            words.push_back(function.GetVarName(i));
    }
    std::erase_if(words, [&](const std::string& word) { return !StartsWith(word, prefix); });
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}
