#!/usr/bin/env python3
# Writes NumericReferences.inc: reference values for the numeric modes on everyday input,
# computed with mpmath (Debian's python3-mpmath) far beyond extended precision.
#   python3 tests/calculus/numeric_references.py > tests/calculus/NumericReferences.inc
# Derivatives and zeros are the true values. Integrals and curve lengths are the values of the
# methods' own pieces in exact arithmetic (Simpson's rule; the arc through each piece's ends and
# midpoint), with the interval cut from the decimal bounds exactly, so that the test measures
# what rounding does; the printed comment gives how far those lie from the true values. Pieces
# narrower than 0.001 are within 1e-13 of the true value, which stands in for them.
import re

import mpmath as mp

mp.mp.prec = 200

FUNCTIONS = {
    "sin(x)": mp.sin,
    "cos(x)": mp.cos,
    "exp(x)": mp.exp,
    "ln(x)": mp.log,
    "sqrt(x)": mp.sqrt,
    "arctan(x)": mp.atan,
    "x^3-2*x+1": lambda x: x**3 - 2 * x + 1,
    "1/(1+x^2)": lambda x: 1 / (1 + x**2),
    "exp(-x^2)": lambda x: mp.exp(-x**2),
    "x*sin(x)": lambda x: x * mp.sin(x),
    "tan(x)": mp.tan,
    "sinh(x)": mp.sinh,
    "cosh(x)": mp.cosh,
    "x^5": lambda x: x**5,
    "2^x": lambda x: mp.power(2, x),
    "x^2": lambda x: x**2,
    "x": lambda x: x,
}

# Where each function is looked at: small points for all, large ones where the function's
# features grow with x as well.
SMALL = ["-3", "-1", "-0.5", "0", "0.3", "0.5", "1", "2", "3", "5", "10"]
LARGE = ["100", "1000", "1e5", "1e10"]
POSITIVE = ("ln(x)", "sqrt(x)")
GROWING = ("x^3-2*x+1", "1/(1+x^2)", "arctan(x)", "ln(x)", "sqrt(x)", "x^5", "x^2", "x")
LIMITED = {"exp(x)": 10, "sinh(x)": 10, "cosh(x)": 10, "2^x": 10, "tan(x)": 1.2, "x^5": 1000,
           "exp(-x^2)": 10}


def derivative_points(name):
    points = SMALL + (LARGE if name in GROWING else [])
    result = []
    for p in points:
        x = mp.mpf(p)
        if name in POSITIVE and x <= 0:
            continue
        if name in LIMITED and abs(x) > LIMITED[name]:
            continue
        result.append(p)
    return result


def simpson(f, a, b):
    m = (a + b) / 2
    return (b - a) / 6 * (f(a) + 4 * f(m) + f(b))


def arc(f, a, b):
    m = (a + b) / 2
    fa, fm, fb = f(a), f(m), f(b)
    ux, uy, vx, vy = m - a, fm - fa, b - m, fb - fm
    chord = mp.sqrt((b - a) ** 2 + (fb - fa) ** 2)
    cross = ux * vy - uy * vx
    if cross == 0:
        return chord
    sine = abs(cross) / mp.sqrt((ux**2 + uy**2) * (vx**2 + vy**2))
    return chord * mp.asin(sine) / sine


def pieces_sum(piece, f, lower, upper, width):
    lo, up, w = mp.mpf(lower), mp.mpf(upper), mp.mpf(width)
    count = int(mp.floor((up - lo) / w))
    total = mp.mpf(0)
    for i in range(1, count + 1):
        total += piece(f, lo + (i - 1) * w, lo + i * w)
    if lo + count * w < up:
        total += piece(f, lo + count * w, up)
    return total


def true_integral(f, lower, upper):
    return mp.quad(f, [mp.mpf(lower), mp.mpf(upper)])


def true_length(f, lower, upper):
    return mp.quad(lambda x: mp.sqrt(1 + mp.diff(f, x) ** 2), [mp.mpf(lower), mp.mpf(upper)])


INTERVAL_FUNCTIONS = ["sin(x)", "cos(x)", "exp(x)", "x^2", "x^3-2*x+1", "sqrt(x)", "ln(x)",
                      "1/(1+x^2)", "x", "exp(-x^2)", "arctan(x)"]
INTERVALS = [("0", "1"), ("1", "2"), ("-1", "1"), ("0.3", "0.301")]
WIDTHS = ["0.1", "0.01", "0.002", "0.001", "0.0005", "0.0001"]

NEWTON = [
    ("x^3-2*x-5", "2"), ("x*exp(x)-1", "1"), ("exp(-x)-x", "0.5"), ("x^4-3*x^2+1", "2"),
    ("x-1e15", "0"), ("x^2-2", "1"), ("cos(x)-x", "1"), ("exp(x)-2", "1"), ("sin(x)", "3"),
    ("x^3-x-1", "1.5"), ("tan(x)-x", "4.5"), ("x^2-612", "10"), ("x^5-x-1", "1"),
    ("2^x-10", "3"), ("sqrt(x)-3", "5"), ("arctan(x)", "0.5"), ("ln(x)-1", "2"),
    ("x^3-2*x+1", "0"), ("x^2-1e-6", "1"), ("1000*x-1", "0"),
]


def literal(value):
    return mp.nstr(value, 30, min_fixed=-mp.inf, max_fixed=mp.inf) + "L" if value != 0 else "0.0L"


def main():
    print("// Made by numeric_references.py with mpmath; do not edit by hand.")
    print("// Derivatives: function, point, order, value.")
    print("#define NIMBREL_DERIVATIVES \\")
    for name, f in FUNCTIONS.items():
        for p in derivative_points(name):
            for n in range(1, 8):
                value = mp.diff(f, mp.mpf(p), n)
                print(f'    {{"{name}", "{p}", {n}, {literal(value)}}}, \\')
    print()
    print("// Integrals (I) and curve lengths (L): function, from, to, width, value of the")
    print("// pieces, with the largest distance from the true value per width in the comment.")
    worst = {}
    print("#define NIMBREL_INTERVALS \\")
    for name in INTERVAL_FUNCTIONS:
        f = FUNCTIONS[name]
        for lower, upper in INTERVALS:
            if name in POSITIVE and mp.mpf(lower) <= 0:
                continue
            exact = {"I": true_integral(f, lower, upper), "L": true_length(f, lower, upper)}
            for width in WIDTHS:
                if mp.mpf(width) >= mp.mpf(upper) - mp.mpf(lower):
                    continue
                for kind, piece in (("I", simpson), ("L", arc)):
                    pieces = (mp.mpf(upper) - mp.mpf(lower)) / mp.mpf(width)
                    if mp.mpf(width) >= mp.mpf("0.001") or pieces <= 2:
                        value = pieces_sum(piece, f, lower, upper, width)
                        gap = abs(value - exact[kind]) / max(1, abs(exact[kind]))
                        worst[(kind, width)] = max(worst.get((kind, width), 0), gap)
                    else:
                        value = exact[kind]
                    print(f"    {{'{kind}', \"{name}\", \"{lower}\", \"{upper}\", \"{width}\", "
                          f"{literal(value)}}}, \\")
    print()
    for (kind, width), gap in sorted(worst.items()):
        print(f"// {kind} width {width}: pieces within {mp.nstr(gap, 3)} of the true value")
    print()
    print("// Newton's method from natural start values: function, start, zero.")
    print("#define NIMBREL_ZEROS \\")
    for name, start in NEWTON:
        expression = name.replace("^", "**").replace("ln(", "log(").replace("arctan(", "atan(")
        # Decimal numbers as written, not as binary doubles.
        expression = re.sub(r"(?<![\w.])(\d+(\.\d+)?(e-?\d+)?)", r"mpf('\1')", expression)
        f = lambda x, e=expression: eval(e, {"x": x, "exp": mp.exp, "log": mp.log,
                                             "sin": mp.sin, "cos": mp.cos, "tan": mp.tan,
                                             "sqrt": mp.sqrt, "atan": mp.atan,
                                             "mpf": mp.mpf})
        root = mp.findroot(f, mp.mpf(start), solver="newton")
        print(f'    {{"{name}", "{start}", {literal(root)}}}, \\')
    print()


main()
