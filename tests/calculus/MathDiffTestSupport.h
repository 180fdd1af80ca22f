// Shared by the differentiation and integration tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "tests/NodeLimit.h"

namespace SymbolicTest {

// Checks that every node a test makes is gone again; Target keeps a creator's result.
class TSymbolicFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        Before = NodeInstanceCount;
    }
    void TearDown() override {
        Target.reset();
        ResetDecimalSeparator();
        EXPECT_EQ(NodeInstanceCount, Before);
    }

    // A fresh target whose creator works on source; the target owns the creator.
    template <typename TCreator> TCreator& MakeCreator(TKvMathTreeFunction& source) {
        Target = std::make_unique<TKvMathTreeFunction>();
        auto creator = std::make_unique<TCreator>(Target.get());
        TCreator& result = *creator;
        Target->SetCreator(creator.release());
        result.SetSource(&source);
        return result;
    }

    std::unique_ptr<TKvMathTreeFunction> Target;
    std::int32_t Before = 0;
};

// The tree in prefix form: +(a,-(b)).
inline std::string Shape(const TKvOperatorNode* node) {
    if (node == nullptr) return "none";
    if (node->OpCode == OpCodes::Constant || node->OpCode == OpCodes::Variable)
        return node->NodeText();
    std::string text = node->NodeText() + "(";
    for (std::int32_t i = 0; i < node->OperandCount(); ++i)
        text += (i > 0 ? "," : "") + Shape(node->GetOperand(i));
    return text + ")";
}

// A function object that parses its text on demand, as the application's main function.
class TParsedFunction {
public:
    explicit TParsedFunction(const std::string& text) {
        auto parser = std::make_unique<TKvMathParser>(&Function);
        Parser = parser.get();
        Function.SetCreator(parser.release());
        Parser->SetExpression(text);
    }
    // The tree, parsed now.
    const TKvOperatorNode& Tree() {
        if (Function.GetTree() == nullptr) Parser->Execute();
        return *Function.GetTree();
    }

    TKvMathTreeFunction Function;
    TKvMathParser* Parser;
};

// The value at var = x, or none when the evaluation reports an error.
inline std::optional<long double> ValueAt(TKvMathTreeFunction& f, const std::string& var,
                                          long double x) {
    f.AddVariable(var);
    f.SetVarValue(var, x);
    f.Calculate();
    if (!f.GetErrorText().empty()) return std::nullopt;
    return f.Result;
}

// Five-point central difference, independent of the symbolic rules.
inline std::optional<long double> NumericDerivative(TKvMathTreeFunction& f, const std::string& var,
                                                    long double x) {
    const long double h = 1e-3L * std::max(1.0L, std::fabs(x));
    const auto a = ValueAt(f, var, x - 2 * h), b = ValueAt(f, var, x - h);
    const auto c = ValueAt(f, var, x + h), d = ValueAt(f, var, x + 2 * h);
    if (!a || !b || !c || !d) return std::nullopt;
    return (*a - 8 * *b + 8 * *c - *d) / (12 * h);
}

inline bool Close(long double actual, long double expected, long double tolerance = 1e-7L) {
    return std::fabs(actual - expected) <= tolerance * std::max(1.0L, std::fabs(expected));
}

} // namespace SymbolicTest
