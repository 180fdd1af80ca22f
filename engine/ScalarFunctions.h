// The functions of the function table on an extended argument, and the power with its parts.
// Faults are raised as status flags; see MathKernelsImpl.h.
#pragma once

namespace KvScalar {

using TScalarFunction = long double (*)(long double);

long double Exp(long double x);
// e^x / 2, which overflows only where the half does.
long double HalfExp(long double x);
long double Ln(long double x);
long double Log(long double x);
long double Ld(long double x);
// Defined here so that the evaluators' kernels inline them.
inline long double Sqr(long double x) {
    return x * x;
}
inline long double Sqrt(long double x) {
    return __builtin_sqrtl(x);
}
long double Sin(long double x);
long double Cos(long double x);
long double Tan(long double x);
long double Cot(long double x);
long double ArcSin(long double x);
long double ArcCos(long double x);
long double ArcTan(long double x);
long double ArcCot(long double x);
long double Sinh(long double x);
long double Cosh(long double x);
long double Tanh(long double x);
long double Coth(long double x);
long double ArcSinh(long double x);
long double ArcCosh(long double x);
long double ArcTanh(long double x);
long double ArcCoth(long double x);
long double Trunc(long double x);
long double Round(long double x);
long double Frac(long double x);
long double Sgn(long double x);
long double Abs(long double x);
long double Zero(long double x);
long double Heav(long double x);
long double Ceil(long double x);
long double Floor(long double x);
long double Phase(long double x);
long double Rnd(long double x);
long double Factorial(long double x);
// Power for every exponent but the square.
bool PowerGeneral(long double a, long double b, long double& r);
// a^b for a positive finite a and |b| < 1024 where the result is well inside the normal range;
// false, leaving r alone, elsewhere.
bool PowerFromLogarithm(long double a, long double b, long double& r);
// a^b into r; false for 0 to a negative power and a negative base to a fractional one. The
// square is inline: it is the common case, and correctly rounded as a single product. A NaN
// base goes the long way, whose comparison raises invalid for it.
inline bool Power(long double a, long double b, long double& r) {
    if (b == 2 && !__builtin_isnan(a)) {
        r = a * a;
        return true;
    }
    return PowerGeneral(a, b, r);
}
// Six-term Lanczos approximation of ln Gamma(v), for v >= 1.
long double LnGamma(long double v);

} // namespace KvScalar
