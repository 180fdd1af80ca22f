#include "bench/Workloads.h"

#include <cstdio>
#include <cstdlib>

#include "bench/LibraryKernels.h"

namespace Bench {

namespace {

using namespace Library;

long double W1(long double x) {
    return Sin(x) * Exp(-x / 10) + Pow(x, 2) / 3;
}
long double W2(long double x) {
    return Sqrt(1 + Pow(x, 2)) * Ln(x + 2) + -(ArcTan(x) / (1 + x));
}
long double W3(long double x) {
    return Sin(x) * Exp(x);
}
long double W4(long double x) {
    return Sin(x);
}
long double W5(long double x) {
    return Pow(x, 3) + -(2 * x) + 2;
}

// The short expressions' formulas, with A and B for the numbers; the engine's tree folds
// left to right and keeps a - b as a + (-b), and so do these.
struct TForm {
    const char* Pattern;
    long double (*Hand)(long double a, long double b, long double x);
};

constexpr TForm Forms[] = {
    {"%s*x+%s", [](long double a, long double b, long double x) { return a * x + b; }},
    {"sin(%s)+%s^2", [](long double a, long double b, long double) { return Sin(a) + Pow(b, 2); }},
    {"sqrt(%s+x)/%s", [](long double a, long double b, long double x) { return Sqrt(a + x) / b; }},
    {"ln(%s)-%s*x", [](long double a, long double b, long double x) { return Ln(a) + -(b * x); }},
    {"(x+%s)*(%s-x)",
     [](long double a, long double b, long double x) { return (x + a) * (b + -x); }},
};
constexpr int FormCount = sizeof(Forms) / sizeof(Forms[0]);

std::string NumberText(int whole, int fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%03d", whole, fraction);
    return text;
}

std::string Fill(const char* pattern, const std::string& a, const std::string& b) {
    char text[128];
    std::snprintf(text, sizeof text, pattern, a.c_str(), b.c_str());
    return text;
}

} // namespace

const std::vector<TWorkload>& Workloads() {
    static const std::vector<TWorkload> list = {
        {"W1", "Simpson-Integral 0..100, Breite 0.0001", "sin(x)*exp(-x/10)+x^2/3",
         TMethod::Integral, 0, 100, 0.0001L, 0, W1, false, 5e-13L},
        {"W2", "Simpson-Integral 0..50, Breite 0.00002", "sqrt(1+x^2)*ln(x+2)-arctan(x)/(1+x)",
         TMethod::Integral, 0, 50, 0.00002L, 0, W2, false, 5e-13L},
        {"W3", "numerische 7. Ableitung an 300000 Stellen in -3..3", "sin(x)*exp(x)",
         TMethod::Derivative, -3, 3, 0.00002L, 7, W3, false, 1e-5L},
        {"W4", "Bogenlaenge 0..1000, Breite 0.0003", "sin(x)", TMethod::Length, 0, 1000, 0.0003L, 0,
         W4, false, 5e-13L},
        {"W5", "Newton ab 0, hoechstens 5000000 Schritte", "x^3-2*x+2", TMethod::Newton, 0, 0, 0,
         5000000, W5, false, 5e-13L},
        {"W6", "100000 kurze Ausdruecke lesen und berechnen", "", TMethod::Parse, 0, 0, 0, 100000,
         nullptr, false, 5e-13L},
    };
    return list;
}

std::vector<TShortExpression> ShortExpressions(int count) {
    std::vector<TShortExpression> list;
    list.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int form = i % FormCount;
        const int serial = i / FormCount;
        // Two numbers that make every pair distinct and keep ln and sqrt in their domains.
        const std::string a = NumberText(1 + serial % 97, serial / 97 % 1000);
        const std::string b = NumberText(2 + serial / 97 / 1000 + serial % 13, 1 + serial % 997);
        list.push_back({Fill(Forms[form].Pattern, a, b), std::strtold(a.c_str(), nullptr),
                        std::strtold(b.c_str(), nullptr), form});
    }
    return list;
}

long double HandEvaluate(const TShortExpression& expression, long double x) {
    // Both numbers are read from the text again, as a parser must.
    const char* text = expression.Text.c_str();
    const char* cursor = text;
    while (*cursor != '\0' && !(*cursor >= '0' && *cursor <= '9'))
        ++cursor;
    char* end = nullptr;
    const long double a = std::strtold(cursor, &end);
    cursor = end;
    while (*cursor != '\0' && !(*cursor >= '0' && *cursor <= '9'))
        ++cursor;
    const long double b = std::strtold(cursor, nullptr);
    return Forms[expression.Form].Hand(a, b, x);
}

} // namespace Bench
