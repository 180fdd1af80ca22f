#!/usr/bin/python3
"""Tables and polynomials of the exponential and logarithm kernels (engine/ExpLogKernels.cpp).

Run with Debian's python3-mpmath: /usr/bin/python3 scripts/kernels/explog.py
The output is pasted into the C++ source as it stands.
"""
from mpmath import mp, mpf, exp, log, chebyfit, nint, floor, ldexp

mp.prec = 256

EXP_BITS = 7  # 2^(j/128)
LOG_BITS = 7  # 1 + j/128
INV_BITS = 10  # reciprocals of the logarithm's table, in steps of 2^-10
EXP_DEGREE = 4
LOG_DEGREE = 5


def Round(v, bits):
    """v rounded to nearest with `bits` significant bits, and its exponent."""
    if v == 0:
        return mpf(0), 0
    e = int(floor(log(abs(v), 2)))
    m = nint(ldexp(v, bits - 1 - e))
    if abs(m) == 2**bits:
        e += 1
        m = nint(ldexp(v, bits - 1 - e))
    return ldexp(m, e - bits + 1), e


def HexFloat(v, bits):
    r, e = Round(v, bits)
    if r == 0:
        return "0.0"
    m = int(abs(ldexp(r, bits - 1 - e)))
    frac = (m - 2 ** (bits - 1)) << ((4 - (bits - 1) % 4) % 4)
    digits = (bits - 1 + 3) // 4
    return "%s0x1.%0*xp%+d" % ("-" if r < 0 else "", digits, frac, e)


def Double(v):
    return HexFloat(v, 53)


def Pair(v):
    """v as hi + lo in doubles: 106 bits, and double loads are far cheaper than 80-bit ones."""
    hi = Round(v, 53)[0]
    return Double(hi), Double(v - hi)


def Fit(f, a, b, degree):
    """Near-minimax coefficients (Chebyshev fit), rounded to double, with the fit's error."""
    coeffs, _ = chebyfit(f, [a, b], degree + 1, error=True)
    coeffs = [Round(c, 53)[0] for c in reversed(coeffs)]
    worst = 0
    for i in range(2001):
        r = a + (b - a) * i / 2000
        p = sum(c * r**k for k, c in enumerate(coeffs))
        worst = max(worst, abs(p - f(r)))
    return coeffs, worst


def PrintDoubles(name, values):
    print("constexpr double %s[] = {" % name)
    for i in range(0, len(values), 4):
        print("    " + " ".join("%s," % Double(v) for v in values[i:i + 4]))
    print("};")


def PrintTable(name, rows):
    print("constexpr TDoublePair %s[] = {" % name)
    for hi, lo in rows:
        print("    {%s, %s}," % (hi, lo))
    print("};")


def ExpTables():
    n = 2**EXP_BITS
    ln2n = log(2) / n
    hi = Round(ln2n, 42)[0]  # times k < 2^22 stays exact
    h = ln2n / 2 * (1 + mpf(2) ** -20)
    q = lambda r: (exp(r) - 1 - r) / r**2 if r != 0 else mpf(1) / 2
    coeffs, worst = Fit(q, -h, h, EXP_DEGREE)
    print("// exp: x = k ln2/%d + r, |r| <= %s;" % (n, mp.nstr(h, 6)))
    print("// q(r) ~ (e^r - 1 - r) / r^2 within %s" % mp.nstr(worst, 3))
    print("constexpr double InvLn2N = %s;" % Double(n / log(2)))
    print("constexpr double Ln2NHi = %s;" % Double(hi))
    print("constexpr double Ln2NLo = %s;" % Double(ln2n - hi))
    PrintDoubles("ExpQ", coeffs)
    PrintTable("ExpTable", [Pair(mpf(2) ** (mpf(j) / n)) for j in range(n)])


def LogTables():
    n = 2**LOG_BITS
    invs, logs, rmin, rmax = [], [], mpf(0), mpf(0)
    for j in range(n + 1):
        f = 1 + mpf(j) / n
        inv = nint(2**INV_BITS / f) / 2**INV_BITS
        invs.append(inv)
        # The top entry takes 1/2 and its ln 2 goes to the exponent.
        logs.append(Pair(-log(inv) if j < n else mpf(0)))
        lo = max(mpf(1), f - mpf(1) / (2 * n))
        top = min(mpf(2), f + mpf(1) / (2 * n))
        for m in (lo, top):
            r = m * inv - 1
            rmin, rmax = min(rmin, r), max(rmax, r)
    rmin, rmax = rmin * (1 + mpf(2) ** -20), rmax * (1 + mpf(2) ** -20)
    q = lambda r: (log(1 + r) - r + r**2 / 2) / r**3 if r != 0 else mpf(1) / 3
    coeffs, worst = Fit(q, rmin, rmax, LOG_DEGREE)
    hi = Round(log(2), 49)[0]  # times an exponent below 2^15 stays exact
    print("// ln: x = 2^e m, r = m inv_j - 1 in [%s, %s];" % (mp.nstr(rmin, 6), mp.nstr(rmax, 6)))
    print("// q(r) ~ (ln(1 + r) - r + r^2/2) / r^3 within %s" % mp.nstr(worst, 3))
    print("constexpr double Ln2Hi = %s;" % Double(hi))
    print("constexpr double Ln2Lo = %s;" % Double(log(2) - hi))
    PrintDoubles("LnQ", coeffs)
    PrintDoubles("LnInverse", invs)
    PrintTable("LnTable", logs)


def Parts(v):
    """v as 32 + 32 + 53 bits: the first two parts times a 32-bit half of an extended value are
    exact."""
    first = Round(v, 32)[0]
    second = Round(v - first, 32)[0]
    return [first, second, v - first - second]


def LogScales():
    print("// log x = ln x / ln 10 and ld x = ln x / ln 2, "
          "the factors in parts of 32, 32 and 53 bits")
    PrintDoubles("InvLn10", Parts(1 / log(10)))
    PrintDoubles("InvLn2", Parts(1 / log(2)))


ExpTables()
LogTables()
LogScales()
