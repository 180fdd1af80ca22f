// The operation codes of the tree's nodes, and the ranges they fall into.
#pragma once

#include <cstdint>

namespace OpCodes {

constexpr std::uint16_t Constant = 1;
constexpr std::uint16_t Variable = 2;
constexpr std::uint16_t Sum = 22;
constexpr std::uint16_t Product = 24;
constexpr std::uint16_t Quotient = 25;
constexpr std::uint16_t Power = 26;
constexpr std::uint16_t Negation = 27;
constexpr std::uint16_t Exp = 41, Ln = 42, Log = 43, Ld = 44, Sqr = 45, Sqrt = 46;
constexpr std::uint16_t Sin = 51, Cos = 52, Tan = 53, Cot = 54;
constexpr std::uint16_t ArcSin = 55, ArcCos = 56, ArcTan = 57, ArcCot = 58;
constexpr std::uint16_t Sinh = 59, Cosh = 60, Tanh = 61, Coth = 62;
constexpr std::uint16_t ArcSinh = 63, ArcCosh = 64, ArcTanh = 65, ArcCoth = 66;
constexpr std::uint16_t Trunc = 70, Round = 71, Frac = 72;
constexpr std::uint16_t Sgn = 80, Abs = 81, Zero = 82, Heav = 83;
constexpr std::uint16_t Ceil = 90, Floor = 91, Phase = 100, Rnd = 110;
constexpr std::uint16_t Factorial = 200;
constexpr std::uint16_t Subtraction = 501; // only inside the parser

// Leaves come first, then the operators, then the functions of one operand; the factorial is
// a function without a name.
constexpr std::uint16_t FirstOperator = 10;
constexpr std::uint16_t FirstFunction = 40;

constexpr bool IsLeaf(std::uint16_t code) {
    return code < FirstOperator;
}
constexpr bool IsFunction(std::uint16_t code) {
    return code >= FirstFunction;
}
constexpr bool IsNamedFunction(std::uint16_t code) {
    return code >= FirstFunction && code < Factorial;
}

} // namespace OpCodes
