#include <gtest/gtest.h>

#include <filesystem>

#include "app/Calculator.h"
#include "app/RequestSettings.h"
#include "platform/IniFile.h"

namespace {

// Never written: the file lives in memory only.
std::string UnwrittenFile() {
    return (std::filesystem::temp_directory_path() / "nimbrel-request-never-written.ini").string();
}

TEST(RequestSettings, EveryFieldSurvivesTheFile) {
    TCalcRequest written;
    written.Mode = cmCurveLength;
    written.IterVar = "y";
    written.StartText = "1,5";
    written.DeltaText = "1e-9";
    written.MaxIter = 7;
    written.DiffVar = "t";
    written.DiffCount = 3;
    written.DiffNumVar = "u";
    written.DiffNumCount = 4;
    written.DiffNumXText = "2";
    written.IntgNumVar = "v";
    written.IntgNumFromText = "-1";
    written.IntgNumToText = "5";
    written.IntgNumIntvText = "0,5";
    written.LenNumVar = "w";
    written.LenNumFromText = "0";
    written.LenNumToText = "3";
    written.LenNumIntvText = "0,01";
    TIniFile file(UnwrittenFile());
    SaveRequestFields(file, written);
    TCalcRequest read;
    read.InputLines = {"kept"};
    RestoreRequestFields(file, read);
    written.InputLines = {"kept"};
    const auto fields = [](const TCalcRequest& r) {
        return std::tuple(r.InputLines, r.Mode, r.IterVar, r.StartText, r.DeltaText, r.MaxIter,
                          r.DiffVar, r.DiffCount, r.DiffNumVar, r.DiffNumCount, r.DiffNumXText,
                          r.IntgNumVar, r.IntgNumFromText, r.IntgNumToText, r.IntgNumIntvText,
                          r.LenNumVar, r.LenNumFromText, r.LenNumToText, r.LenNumIntvText);
    };
    EXPECT_EQ(fields(read), fields(written));
}

TEST(RequestSettings, UnusableValuesKeepTheDefaults) {
    const struct {
        const char* Key;
        const char* Value;
    } cases[] = {{"Mode", "8"},      {"Mode", "-1"},         {"Mode", "newton"},
                 {"DiffCount", "0"}, {"DiffNumCount", "-3"}, {"MaxIter", "viele"}};
    for (const auto& c : cases) {
        TIniFile file(UnwrittenFile());
        file.WriteString("ScientificPanel", c.Key, c.Value);
        TCalcRequest request;
        RestoreRequestFields(file, request);
        EXPECT_EQ(request.Mode, cmSimple) << c.Key << "=" << c.Value;
        EXPECT_EQ(request.DiffCount, 1) << c.Key << "=" << c.Value;
        EXPECT_EQ(request.DiffNumCount, 1) << c.Key << "=" << c.Value;
        EXPECT_EQ(request.MaxIter, 1000) << c.Key << "=" << c.Value;
    }
}

} // namespace
