// Trees for the expression text and simplification tests: built by hand or drawn at random.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"

namespace TestTrees {

inline TKvNodePtr Num(long double value) {
    return TKvOperatorNode::CreateExtended(value);
}

template <typename... Operands> TKvNodePtr Op(std::uint16_t code, Operands... operands) {
    TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
    (node->AddOperand(-1, std::move(operands)), ...);
    return node;
}

// A variable of the given store, created with value 0 when new.
inline TKvNodePtr Var(TKvVarDepot* depot, const std::string& name) {
    return TKvOperatorNode::CreateVariable(dtExtended, depot, name);
}

// False when evaluation reports an error or gives no finite number.
inline bool TryEvaluate(TKvOperatorNode& node, long double& value) {
    value = 0;
    node.Evaluate(&value);
    return node.ErrorText.empty() && std::isfinite(value);
}

// Texts round constants to 15 digits, and rewriting changes the order of roundings.
inline bool Close(long double a, long double b) {
    return std::fabs(a - b) <= 1e-9L * std::max({1.0L, std::fabs(a), std::fabs(b)});
}

// Values of x and y; negative ones find rules that hold only for positive bases.
constexpr long double SamplePoints[][2] = {
    {0.5L, 2.0L}, {-1.5L, 3.0L}, {2.0L, -0.75L}, {0.0L, 1.0L}, {3.0L, 2.0L}, {-2.0L, -1.0L},
};

// A function object whose tree the parser builds from text.
class TParsed {
public:
    // With a depot the function works on that store (not owned).
    explicit TParsed(const std::string& text, TKvVarDepot* depot = nullptr) {
        if (depot != nullptr) Function.BorrowVarDepot(depot);
        auto parser = std::make_unique<TKvMathParser>(&Function);
        Parser = parser.get();
        Function.SetCreator(parser.release());
        Parser->SetExpression(text);
        Parser->Execute();
    }
    TKvMathTreeFunction Function;
    TKvMathParser* Parser;
};

// Random trees over the variables x and y of a store, with every kind of node the writer and
// the rules know: negative constants, sums, products, quotients and powers of one to three
// operands, negations, factorials and functions.
class TRandomTrees {
public:
    TRandomTrees(TKvVarDepot* depot, std::uint32_t seed) : Depot(depot), Engine(seed) {}

    TKvNodePtr Make(int depth) {
        if (depth <= 0 || Pick(4) == 0) return Leaf();
        static constexpr std::uint16_t Codes[] = {
            OpCodes::Sum,       OpCodes::Sum,   OpCodes::Product,  OpCodes::Product,
            OpCodes::Quotient,  OpCodes::Power, OpCodes::Negation, OpCodes::Negation,
            OpCodes::Factorial, OpCodes::Sin,   OpCodes::Exp,      OpCodes::Sqrt,
        };
        const std::uint16_t code = Codes[Pick(std::size(Codes))];
        const bool nary = code >= OpCodes::Sum && code <= OpCodes::Power;
        const int count = nary ? 1 + static_cast<int>(Pick(3)) : 1;
        TKvNodePtr node = TKvOperatorNode::CreateOperator(dtExtended, code);
        for (int i = 0; i < count; ++i)
            node->AddOperand(-1, Make(depth - 1));
        return node;
    }

private:
    std::size_t Pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(Engine);
    }

    TKvNodePtr Leaf() {
        static constexpr long double Constants[] = {0, 1, 2, 3, 0.5L, 1.5L, -1, -2, -0.5L, 1e-4L};
        switch (Pick(3)) {
        case 0:
            return Num(Constants[Pick(std::size(Constants))]);
        case 1:
            return Var(Depot, "x");
        default:
            return Var(Depot, "y");
        }
    }

    TKvVarDepot* Depot;
    std::mt19937 Engine;
};

} // namespace TestTrees
