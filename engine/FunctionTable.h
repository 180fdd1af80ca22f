// The functions of one operand: each code with the name a user types and its scalar function in
// extended precision. The name list, the names in expression text and every type's function
// kernels are made from this one table.
#pragma once

#include <cstdint>

#include "engine/OpCodes.h"
#include "engine/ScalarFunctions.h"

struct TFunctionRow {
    std::uint16_t Code;
    // Lower case; empty for the factorial, which is written as a postfix operator.
    const char* Name;
    KvScalar::TScalarFunction Scalar;
    // A second name of the code: the user may type it, but text writes the row without it.
    bool Alias = false;
};

// In the order of the menus.
inline constexpr TFunctionRow FunctionTable[] = {
    {OpCodes::Exp, "exp", KvScalar::Exp},
    {OpCodes::Ln, "ln", KvScalar::Ln},
    {OpCodes::Log, "log", KvScalar::Log},
    {OpCodes::Ld, "ld", KvScalar::Ld},
    {OpCodes::Sqr, "sqr", KvScalar::Sqr},
    {OpCodes::Sqrt, "sqrt", KvScalar::Sqrt},
    {OpCodes::Sin, "sin", KvScalar::Sin},
    {OpCodes::Cos, "cos", KvScalar::Cos},
    {OpCodes::Tan, "tan", KvScalar::Tan},
    {OpCodes::Cot, "cot", KvScalar::Cot},
    {OpCodes::ArcSin, "arcsin", KvScalar::ArcSin},
    {OpCodes::ArcCos, "arccos", KvScalar::ArcCos},
    {OpCodes::ArcTan, "arctan", KvScalar::ArcTan},
    {OpCodes::ArcCot, "arccot", KvScalar::ArcCot},
    {OpCodes::Sinh, "sinh", KvScalar::Sinh},
    {OpCodes::Cosh, "cosh", KvScalar::Cosh},
    {OpCodes::Tanh, "tanh", KvScalar::Tanh},
    {OpCodes::Coth, "coth", KvScalar::Coth},
    {OpCodes::ArcSinh, "arcsinh", KvScalar::ArcSinh},
    {OpCodes::ArcCosh, "arccosh", KvScalar::ArcCosh},
    {OpCodes::ArcTanh, "arctanh", KvScalar::ArcTanh},
    {OpCodes::ArcCoth, "arccoth", KvScalar::ArcCoth},
    {OpCodes::Trunc, "int", KvScalar::Trunc, true},
    {OpCodes::Trunc, "trunc", KvScalar::Trunc},
    {OpCodes::Round, "round", KvScalar::Round},
    {OpCodes::Frac, "frac", KvScalar::Frac},
    {OpCodes::Sgn, "sgn", KvScalar::Sgn},
    {OpCodes::Abs, "abs", KvScalar::Abs},
    {OpCodes::Zero, "zero", KvScalar::Zero},
    {OpCodes::Ceil, "ceil", KvScalar::Ceil},
    {OpCodes::Floor, "floor", KvScalar::Floor},
    {OpCodes::Heav, "heav", KvScalar::Heav},
    {OpCodes::Phase, "phase", KvScalar::Phase},
    {OpCodes::Rnd, "rnd", KvScalar::Rnd},
    {OpCodes::Factorial, "", KvScalar::Factorial},
};

// Lower-case name of a function code, "" when the code is not a named function.
const char* FunctionCodeName(std::uint16_t code);
