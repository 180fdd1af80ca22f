// Any bytes as the settings file: reading raises nothing but the settings file's own error,
// and what was read survives a save and a second read unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/Calculator.h"
#include "app/Settings.h"
#include "functions/MthTrFnc.h"
#include "fuzz/FuzzSupport.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"

namespace {

// A folder in memory where there is one: saving syncs the file to disk.
std::string WorkFile(const char* name) {
    static const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    return folder + "nimbrel-fuzz-" + std::to_string(getpid()) + "-" + name + ".ini";
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    FILE* file = std::fopen(fileName.c_str(), "wb");
    FUZZ_CHECK(file != nullptr, "cannot write " + fileName);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(),
               "cannot write " + fileName);
    std::fclose(file);
}

using TVariables = std::vector<std::pair<std::string, std::string>>;

// The variables a save keeps: those not 0, their values as the file holds them.
TVariables KeptVariables(const TCalculator& calculator) {
    const TKvMathTreeFunction& function = calculator.MainFunction();
    TVariables kept;
    for (std::int32_t i = 0; i < function.VarCount(); ++i) {
        const long double value = function.GetVarValueByIndex(i);
        if (value != 0) kept.emplace_back(function.GetVarName(i), FloatToStr(value));
    }
    return kept;
}

std::string Describe(const TVariables& variables) {
    std::string text;
    for (const auto& [name, value] : variables)
        text += "[" + name + "=" + value + "]";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    SetDecimalSeparator((input.Byte() & 1) != 0 ? ',' : '.');
    const std::string original = WorkFile("read");
    const std::string saved = WorkFile("saved");
    WriteBytes(original, input.Rest());
    TNodeBalance balance;

    TCalculator first;
    bool firstPanel = false;
    try {
        const TIniFile file(original);
        RestoreSettings(file, firstPanel, first);
    } catch (const EIniFileError&) {
        return 0;
    }
    {
        TIniFile file(saved);
        SaveSettings(file, firstPanel, first);
        file.UpdateFile();
    }
    TCalculator second;
    bool secondPanel = !firstPanel;
    std::int32_t savedCount;
    {
        const TIniFile file(saved);
        savedCount = file.ReadInteger("Variables", "Count", 0);
        RestoreSettings(file, secondPanel, second);
    }
    std::remove(saved.c_str());
    std::remove((saved + ".lock").c_str());

    FUZZ_CHECK(secondPanel == firstPanel, "the panel flag changed");
    TVariables expected = KeptVariables(first);
    // With no variable in the file, the next start brings Pi and e. Values that could not be
    // read are written back as they were, so the file may hold variables that are all 0.
    if (savedCount == 0) {
        TCalculator fresh;
        fresh.SetStandardVariables();
        expected = KeptVariables(fresh);
    }
    const TVariables found = KeptVariables(second);
    FUZZ_CHECK(found == expected,
               "variables " + Describe(expected) + " came back as " + Describe(found));
    FUZZ_CHECK(second.History == first.History, "the history changed");
    return 0;
}
