// The workloads: an expression, a numeric method with its parameters, and the expression
// written by hand in C++ with the C library's kernels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Bench {

enum class TMethod { Integral, Derivative, Length, Newton, Parse };

using THandFunction = long double (*)(long double x);

struct TWorkload {
    const char* Name;
    const char* Title;
    const char* Text;
    TMethod Method;
    // Integral, Length: From, To, Width. Derivative: the points from From below To in steps
    // of Width, Order the order.
    // Newton: From is the start, Order the iteration limit.
    long double From;
    long double To;
    long double Width;
    std::int32_t Order;
    THandFunction Hand;
    // The result is rounding noise; only its time counts.
    bool Noise;
    // How closely the engine's result must agree with the hand-written one, relative: their
    // kernels differ in the last bits, which a high derivative magnifies.
    long double Agreement;
};

const std::vector<TWorkload>& Workloads();

// The short expressions of the parser workload, all different, and their hand-written reading.
struct TShortExpression {
    std::string Text;
    // The numbers in the text, and which formula joins them.
    long double A;
    long double B;
    int Form;
};
std::vector<TShortExpression> ShortExpressions(int count);
// Reads the numbers from the text with strtold and computes the formula with the C library's
// kernels: the least that any parser has to do.
long double HandEvaluate(const TShortExpression& expression, long double x);
// Every short expression has this variable, set to this value.
constexpr const char* ShortVariable = "x";
constexpr long double ShortVariableValue = 0.75L;

} // namespace Bench
