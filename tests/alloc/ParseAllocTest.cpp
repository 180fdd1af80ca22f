// Reading short expressions again and again reuses the memory of the previous ones.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "tests/alloc/AllocCount.h"

namespace {

class ParseAllocTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        Function.AddVariable("x");
        Function.SetVarValue("x", 0.5L);
        auto parser = std::make_unique<TKvMathParser>(&Function);
        Parser = parser.get();
        Function.SetCreator(parser.release());
    }
    void TearDown() override { ResetDecimalSeparator(); }

    // Reads and calculates each text; returns the allocations meanwhile.
    std::int64_t ParseAll(const std::vector<std::string>& texts) {
        const std::int64_t before = AllocationCount();
        for (const std::string& text : texts) {
            Parser->SetExpression(text);
            Function.Calculate();
            if (!Function.GetErrorText().empty()) ADD_FAILURE() << text;
        }
        return AllocationCount() - before;
    }

    TKvMathTreeFunction Function;
    TKvMathParser* Parser = nullptr;
};

TEST_F(ParseAllocTest, ShortExpressionsAllocateNothingOnceWarm) {
    const std::vector<std::string> warmUp = {
        "1.25*x+3.5",      "sin(2.125)+3.75^2", "sqrt(1.5+x)/2.25",   "ln(7.5)-1.125*x",
        "(x+1.5)*(2.5-x)", "-x+arctan(2)-3!",   "  12.5 / (x - 4)  ", "exp(-x)*cos(x)-x^3",
    };
    ParseAll(warmUp);
    const std::vector<std::string> texts = {
        "97.999*x+14.996",   "sin(1.001)+2.002^2", "sqrt(50.5+x)/3.333", "ln(12.75)-9.875*x",
        "(x+0.125)*(7.5-x)", "-x+arctan(5)-4!",    "  2.25 / (x - 8)  ", "exp(-x)*cos(x)-x^2",
    };
    EXPECT_EQ(ParseAll(texts), 0);
}

} // namespace
