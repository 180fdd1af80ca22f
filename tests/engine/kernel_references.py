#!/usr/bin/python3
# Writes KernelReferences.bin: reference values of the extended kernels (sin ... arccoth) at
# 200 bits with mpmath (Debian's python3-mpmath with gmpy2), for KernelAccuracyTest.cpp.
#   /usr/bin/python3 tests/engine/kernel_references.py tests/engine/KernelReferences.bin
#
# Most arguments are not stored: the file holds how to draw them, and the test draws the same
# ones with the same generator (splitmix64). Only computed arguments (the extended values
# nearest to multiples of pi/2, power's pairs near overflow, exact cases) are stored.
#
# Format, little-endian throughout:
#   8 bytes   "NKREF" 0 1 0
#   u32       pool size P, then P extended values of 10 bytes (u64 mantissa, u16 sign and
#             biased exponent): the stored arguments
#   u32       kernel count, then per kernel:
#     u8 name length, the name; u8 arity (1, or 2 for power); u32 block count, then per block:
#       u32 count N; u64 seed; per argument slot one recipe:
#         u8 0 (log): i32 e0, i32 e1, u8 sign (0 +, 1 -, 2 both): per value one draw for the
#            binary exponent e in e0..e1 (e0 + draw mod (e1 - e0 + 1)), one for the mantissa m
#            (draw | 2^63), and for sign 2 one for the sign (draw & 1 negative); value m 2^(e-63)
#         u8 1 (linear): i128 k0, u64 n, i32 s: one draw per value, (k0 + draw mod n) 2^s
#         u8 2 (pool): u32 offset: value i of the block is pool[offset + i], no draw
#       then N references of 4 bytes, one per value (slots drawn in order for each value).
#
# A reference is u32: the low 24 bits of its position on the ordered extended grid and, in the
# top byte, how far past that grid value the exact value lies, in 1/256 of the gap to the next.
# The grid position of x >= 0 is (biased exponent - 1) 2^63 + mantissa (the mantissa itself
# for subnormals), of -x minus that of x; +inf comes right after the largest finite value.
# The test completes the position from the computed value, which has to lie within 2^23
# positions of the reference, and checks the outcome against a double-precision value.
import struct
import sys

import mpmath as mp

mp.mp.prec = 200

MASK64 = (1 << 64) - 1
EMIN = -16382
TOP = 1 << 63
MAX_KEY = (32766 << 63) + (1 << 63) - 1


def splitmix(state):
    state = (state + 0x9E3779B97F4A7C15) & MASK64
    z = state
    z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
    z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
    return state, z ^ (z >> 31)


def grid(v):
    """The grid position at or below the exact value v and the rest in 1/256 of the gap."""
    sign, man, exp, bc = v._mpf_
    man = int(man)
    if man == 0:
        return 0, 0
    e = max(exp + bc - 1, EMIN)
    shift = exp - (e - 63)
    if shift >= 0:
        q, rem, den = man << shift, 0, 1
    else:
        q, rem, den = man >> -shift, man & ((1 << -shift) - 1), 1 << -shift
    key = (e - EMIN) * TOP + q
    if sign:
        if rem:
            key += 1
            rem = den - rem
        key = -key
    frac = (rem * 512 + den) // (2 * den)
    if frac == 256:
        key, frac = key + 1, 0
    return key, frac


def from_key(key):
    k = abs(key)
    if k < TOP:
        v = mp.ldexp(mp.mpf(k), EMIN - 63)
    else:
        e = (k >> 63) - 1 + EMIN
        v = mp.ldexp(mp.mpf(TOP | (k & (TOP - 1))), e - 63)
    return -v if key < 0 else v


def nearest(v):
    """The extended value nearest to v (ties away from the floor)."""
    key, frac = grid(v)
    return from_key(key + (1 if frac >= 128 else 0))


def ulp_step(x, steps):
    key, _ = grid(x)
    return from_key(key + steps)


def pack_extended(x):
    key, frac = grid(x)
    assert frac == 0 and abs(key) <= MAX_KEY
    k = abs(key)
    if k < TOP:
        mantissa, biased = k, 0
    else:
        mantissa, biased = TOP | (k & (TOP - 1)), k >> 63
    return struct.pack("<QH", mantissa, biased | (0x8000 if key < 0 or x._mpf_[0] else 0))


class Pool:
    def __init__(self):
        self.values = []

    def add(self, values):
        offset = len(self.values)
        self.values.extend(values)
        return ("pool", offset, len(values))


def log_recipe(e0, e1, sign):
    return ("log", e0, e1, sign)


def lin_recipe(k0, n, s):
    assert 1 <= n < 1 << 64 and abs(k0) < 1 << 64 and abs(k0 + n - 1) < 1 << 64
    return ("lin", k0, n, s)


def lin_range(lo, hi, s):
    """Values k 2^s for lo <= k 2^s <= hi (lo, hi exact multiples of 2^s)."""
    k0 = int(mp.ldexp(lo, -s))
    k1 = int(mp.ldexp(hi, -s))
    return lin_recipe(k0, k1 - k0 + 1, s)


def draw(recipe, state, index):
    kind = recipe[0]
    if kind == "log":
        _, e0, e1, sign = recipe
        state, r = splitmix(state)
        e = e0 + r % (e1 - e0 + 1)
        state, r = splitmix(state)
        m = r | TOP
        negative = sign == 1
        if sign == 2:
            state, r = splitmix(state)
            negative = bool(r & 1)
        v = mp.ldexp(mp.mpf(m), e - 63)
        return state, (-v if negative else v)
    if kind == "lin":
        _, k0, n, s = recipe
        state, r = splitmix(state)
        return state, mp.ldexp(mp.mpf(k0 + r % n), s)
    return state, POOL.values[recipe[1] + index]


def pack_recipe(recipe):
    kind = recipe[0]
    if kind == "log":
        return struct.pack("<BiiB", 0, recipe[1], recipe[2], recipe[3])
    if kind == "lin":
        return struct.pack("<B", 1) + recipe[1].to_bytes(16, "little", signed=True) + struct.pack(
            "<Qi", recipe[2], recipe[3])
    return struct.pack("<BI", 2, recipe[1])


POOL = Pool()
LN_MAX = mp.log(from_key(MAX_KEY))
MAX_VALUE = from_key(MAX_KEY)
PI2 = mp.pi / 2


def pool_random(seed, count):
    state, out = seed, []
    for _ in range(count):
        state, r = splitmix(state)
        out.append(r)
    return out


def near_half_pi_multiples():
    values = []
    # Small multiples, a few ulps around each.
    for k in range(1, 1001):
        x = nearest(k * PI2)
        for j in range(-2, 3):
            values.append(ulp_step(x, j))
        values.append(-x)
    for k in range(1, 400, 2):
        x = nearest(k * mp.pi / 4)
        values.extend([ulp_step(x, -1), x, ulp_step(x, 1), -x])
    # Large multiples up to 2^62.
    for r in pool_random(0x5EED0001, 2000):
        e = 1 + r % 61
        k = (r >> 6) % (1 << e) + (1 << e)
        x = nearest(k * PI2)
        if x < 2**63:
            values.extend([ulp_step(x, -1), x, ulp_step(x, 1)])
    # The extended values closest to a multiple of pi/2 in each binade: the convergents and
    # semiconvergents p/q of (pi/2) 2^(63-e) with a 64-bit numerator p (p 2^(e-63) ~ q pi/2).
    for e in range(1, 63):
        a = PI2 * mp.ldexp(1, 63 - e)
        p_prev, p_cur = 0, 1
        found = []
        for _ in range(100):
            t = int(mp.floor(a))
            for j in range(max(1, t - 20), t + 1):
                m = p_prev + j * p_cur
                if TOP <= m < 1 << 64:
                    found.append(m)
            p_prev, p_cur = p_cur, t * p_cur + p_prev
            if p_cur >= 1 << 64 or a == t:
                break
            a = 1 / (a - t)
        for m in found[-6:]:
            x = mp.ldexp(mp.mpf(m), e - 63)
            values.extend([ulp_step(x, -1), x, ulp_step(x, 1), -x])
    values.extend([mp.mpf(0)])
    return values


def exact_powers_of_ten():
    return [mp.mpf(10) ** k for k in range(0, 28)] + [mp.ldexp(1, k) for k in range(-200, 201)]


def power_near_range_edges():
    pairs = []
    randoms = pool_random(0x5EED0002, 3000)
    top = mp.log(MAX_VALUE, 2)
    bottom = mp.mpf(EMIN)
    for i, r in enumerate(randoms):
        e = 1 + r % 100
        a = mp.ldexp(mp.mpf((r >> 8) | TOP), e - 63)
        if i % 2:
            a = 1 / a
            a = nearest(a)
        la = mp.log(a, 2)
        delta = mp.ldexp(mp.mpf((r >> 20) % 4096), -22)
        if i % 3 == 2:
            target = bottom + delta
        else:
            target = top - delta
        b = target / la
        # Toward zero, so that the result stays inside the range.
        bx = nearest(b)
        if abs(bx) > abs(b):
            bx = ulp_step(bx, -1 if b > 0 else 1)
        pairs.append((a, bx))
    return pairs


def reference_power(a, b):
    if b == mp.floor(b):
        r = mp.power(abs(a), b)
        return -r if a < 0 and int(b) % 2 else r
    assert a > 0
    return mp.power(a, b)


TINY = -13288  # 2^-13288 ~ 1e-4000
EXP_S = -50  # spacing of the extended values in [8192, 16384)


def exp_blocks():
    top_k = int(mp.floor(mp.ldexp(LN_MAX, -EXP_S)))
    normal_k = int(mp.floor(mp.ldexp(mp.log(mp.ldexp(1, EMIN)), -EXP_S)))
    bottom_k = int(mp.ceil(mp.ldexp(mp.mpf(-11399), -EXP_S)))
    return [
        (8000, [log_recipe(TINY, -34, 2)]),
        (40000, [log_recipe(-33, 12, 2)]),
        (20000, [lin_recipe(1 << 63, top_k - (1 << 63) + 1, EXP_S)]),
        (20000, [lin_recipe(bottom_k, -(1 << 63) - bottom_k + 1, EXP_S)]),
        (4000, [lin_recipe(top_k - 3999, 4000, EXP_S)]),
        (4000, [lin_recipe(normal_k - 2000, 4000, EXP_S)]),
        (2000, [lin_recipe(bottom_k, 2000, EXP_S)]),
        (2000, [lin_recipe(-100 * 2**10, 200 * 2**10 + 1, -10)]),
    ]


def near_one(count_wide, count_close):
    # Below 1 the spacing is 2^-64, above it 2^-63.
    return [
        (count_wide, [lin_recipe((1 << 64) - (1 << 54), 1 << 54, -64)]),
        (count_wide, [lin_recipe(TOP + 1, 1 << 53, -63)]),
        (count_close, [lin_recipe((1 << 64) - (1 << 20), 1 << 20, -64)]),
        (count_close, [lin_recipe(TOP + 1, 1 << 20, -63)]),
    ]


EXACT = []


def logarithm_blocks(scale):
    if not EXACT:
        EXACT.append(POOL.add(exact_powers_of_ten()))
    exact = EXACT[0]
    return [
        (40 * scale, [log_recipe(EMIN, 16383, 0)]),
        (20 * scale, [log_recipe(-20, 20, 0)]),
        (2 * scale, [lin_recipe(1, TOP - 1, EMIN - 63)]),
        (exact[2], [exact]),
    ] + near_one(15 * scale, 5 * scale)


def trigonometric_blocks(near):
    return [
        (10000, [log_recipe(TINY, -33, 2)]),
        (30000, [log_recipe(-32, 10, 2)]),
        (20000, [lin_recipe(-8 << 59, (16 << 59) + 1, -59)]),
        (25000, [log_recipe(11, 62, 2)]),
        (near[2], [near]),
    ]


def hyperbolic_blocks(edge):
    edge_k = int(mp.floor(mp.ldexp(edge, -EXP_S)))
    exp_k = int(mp.floor(mp.ldexp(LN_MAX, -EXP_S)))
    return [
        (500, [log_recipe(TINY, -33, 2)]),
        (1500, [log_recipe(-32, 12, 2)]),
        (500, [lin_recipe(1 << 63, edge_k - (1 << 63) + 1, EXP_S)]),
        (500, [lin_recipe(-edge_k, edge_k - (1 << 63) + 1, EXP_S)]),
        (500, [lin_recipe(edge_k - 999, 1000, EXP_S)]),
        (500, [lin_recipe(-edge_k, 1000, EXP_S)]),
        # Beyond ln(max), where e^|x| overflows but the result does not.
        (250, [lin_recipe(exp_k + 1, edge_k - exp_k, EXP_S)]),
        (250, [lin_recipe(-edge_k, edge_k - exp_k, EXP_S)]),
    ]


def inverse_sine_blocks():
    exact = POOL.add([mp.mpf(v) for v in (0, 1, -1, 0.5, -0.5)])
    return [
        (1500, [lin_recipe(-TOP, (1 << 64) - 1, -63)]),
        (1000, [log_recipe(TINY, -2, 2)]),
        (500, [lin_recipe((1 << 64) - (1 << 40), 1 << 40, -64)]),
        (500, [lin_recipe(-(1 << 64) + 1, 1 << 40, -64)]),
        (250, [lin_recipe((1 << 64) - (1 << 12), 1 << 12, -64)]),
        (250, [lin_recipe(-(1 << 64) + 1, 1 << 12, -64)]),
        (exact[2], [exact]),
    ]


def power_blocks():
    edges = power_near_range_edges()
    bases = POOL.add([a for a, _ in edges])
    exponents = POOL.add([b for _, b in edges])
    integer = lin_recipe(-20, 41, 0)
    return [
        (37000, [log_recipe(-64, 63, 0), lin_recipe(-64 << 56, (128 << 56) + 1, -56)]),
        (10000, [log_recipe(-1000, 999, 0), lin_recipe(-16 << 58, (32 << 58) + 1, -58)]),
        (5000, [lin_recipe((1 << 64) - (1 << 54), 1 << 54, -64), log_recipe(0, 20, 2)]),
        (5000, [lin_recipe(TOP + 1, 1 << 53, -63), log_recipe(0, 20, 2)]),
        (20000, [log_recipe(-800, 799, 2), integer]),
        (5000, [lin_recipe(1, 1000, 0), integer]),
        (3000, [lin_recipe(-1000, 1000, 0), integer]),
        (4000, [log_recipe(EMIN, 16383, 0), lin_recipe(1, 1, -1)]),
        (4000, [log_recipe(-8000, 7999, 2), lin_recipe(2, 1, 0)]),
        (4000, [log_recipe(-5000, 4999, 2), lin_recipe(3, 1, 0)]),
        (len(edges), [bases, exponents]),
    ]


def kernels():
    near = POOL.add(near_half_pi_multiples())
    sinh_edge = mp.asinh(MAX_VALUE)
    return [
        ("sin", mp.sin, trigonometric_blocks(near)),
        ("cos", mp.cos, trigonometric_blocks(near)),
        ("tan", mp.tan, trigonometric_blocks(near)),
        ("exp", mp.exp, exp_blocks()),
        ("ln", mp.log, logarithm_blocks(1000)),
        ("log", mp.log10, logarithm_blocks(40)),
        ("ld", lambda x: mp.log(x, 2), logarithm_blocks(40)),
        ("sqrt", mp.sqrt, [
            (2500, [log_recipe(EMIN, 16383, 0)]),
            (1000, [log_recipe(-20, 20, 0)]),
            (300, [lin_recipe(1, TOP - 1, EMIN - 63)]),
            (200, [lin_recipe(1, 10**6, 0)]),
        ]),
        ("arctan", mp.atan, [
            (10000, [log_recipe(TINY, -33, 2)]),
            (50000, [log_recipe(-32, 32, 2)]),
            (20000, [lin_recipe(-4 << 60, (8 << 60) + 1, -60)]),
            (15000, [log_recipe(33, 16383, 2)]),
            (1000, [lin_recipe((1 << 64) - (1 << 30), 1 << 30, -64)]),
            (1000, [lin_recipe(TOP + 1, 1 << 30, -63)]),
            (1000, [lin_recipe(-(1 << 64) + 1, 1 << 30, -64)]),
            (1000, [lin_recipe(-TOP - (1 << 30), 1 << 30, -63)]),
        ]),
        ("arcsin", mp.asin, inverse_sine_blocks()),
        ("arccos", mp.acos, inverse_sine_blocks()),
        ("sinh", mp.sinh, hyperbolic_blocks(sinh_edge)),
        ("cosh", mp.cosh, hyperbolic_blocks(mp.acosh(MAX_VALUE))),
        ("tanh", mp.tanh, [
            (500, [log_recipe(TINY, -33, 2)]),
            (1500, [log_recipe(-32, 4, 2)]),
            (1500, [lin_recipe(-25 << 58, (50 << 58) + 1, -58)]),
            (500, [log_recipe(5, 16383, 2)]),
        ]),
        ("power", reference_power, power_blocks()),
        ("coth", mp.coth, [
            (500, [log_recipe(TINY, -33, 2)]),
            (1500, [log_recipe(-32, 4, 2)]),
            (1500, [lin_recipe(-25 << 58, (50 << 58) + 1, -58)]),
            (500, [log_recipe(5, 16383, 2)]),
        ]),
        ("arcsinh", mp.asinh, [
            (500, [log_recipe(TINY, -33, 2)]),
            (1500, [log_recipe(-32, 12, 2)]),
            (500, [log_recipe(13, 16383, 2)]),
        ]),
        ("arccosh", mp.acosh, [
            (500, [lin_recipe(TOP + 1, 1 << 53, -63)]),
            (500, [lin_recipe(TOP + 1, 1 << 20, -63)]),
            (1500, [log_recipe(0, 12, 0)]),
            (500, [log_recipe(13, 16383, 0)]),
        ]),
        ("arctanh", mp.atanh, [
            (500, [log_recipe(TINY, -33, 2)]),
            (1500, [log_recipe(-32, -1, 2)]),
            (500, [lin_recipe((1 << 64) - (1 << 40), 1 << 40, -64)]),
            (500, [lin_recipe(-(1 << 64) + 1, 1 << 40, -64)]),
        ]),
        ("arccoth", mp.acoth, [
            (1500, [log_recipe(0, 16383, 2)]),
            (500, [lin_recipe(TOP + 1, 1 << 40, -63)]),
            (500, [lin_recipe(-TOP - (1 << 40), 1 << 40, -63)]),
        ]),
    ]


def main():
    out_path = sys.argv[1]
    table = kernels()
    body = bytearray()
    body += struct.pack("<I", len(table))
    for index, (name, function, blocks) in enumerate(table):
        arity = len(blocks[0][1])
        body += struct.pack("<B", len(name)) + name.encode() + struct.pack("<BI", arity, len(blocks))
        for number, (count, recipes) in enumerate(blocks):
            seed = (index + 1) << 32 | number
            body += struct.pack("<IQ", count, seed)
            for recipe in recipes:
                body += pack_recipe(recipe)
            state = seed
            for i in range(count):
                args = []
                for recipe in recipes:
                    state, v = draw(recipe, state, i)
                    args.append(v)
                value = function(*args)
                key, frac = grid(value)
                assert abs(key) <= MAX_KEY and (frac == 0 or abs(key) < MAX_KEY), (name, args)
                body += struct.pack("<I", (key & 0xFFFFFF) | frac << 24)
        print(f"{name}: {sum(b[0] for b in blocks)} references", file=sys.stderr)
    head = b"NKREF\x00\x01\x00" + struct.pack("<I", len(POOL.values))
    head += b"".join(pack_extended(v) for v in POOL.values)
    with open(out_path, "wb") as f:
        f.write(head + bytes(body))


if __name__ == "__main__":
    main()
