#include "bench/LibraryKernels.h"

#include <cmath>

namespace Bench::Library {

long double Exp(long double x) {
    return std::exp(x);
}
long double Ln(long double x) {
    return std::log(x);
}
long double Log(long double x) {
    return std::log10(x);
}
long double Ld(long double x) {
    return std::log2(x);
}
long double Sqrt(long double x) {
    return std::sqrt(x);
}
long double Sin(long double x) {
    return std::fabs(x) >= 0x1p63L ? 0.0L : std::sin(x);
}
long double Cos(long double x) {
    return std::fabs(x) >= 0x1p63L ? 0.0L : std::cos(x);
}
long double Tan(long double x) {
    return std::tan(x);
}
long double ArcTan(long double x) {
    return std::atan(x);
}
long double Sinh(long double x) {
    return std::sinh(x);
}

long double Pow(long double a, long double b) {
    if (a == 0) return b > 0 ? 0.0L : (b == 0 ? 1.0L : 0.0L);
    if (a < 0 && std::trunc(b) != b) return 0;
    return std::pow(a, b);
}

} // namespace Bench::Library
