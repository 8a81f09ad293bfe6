#include "vaultcore/crypto/modular_inverse.h"

#include "vaultcore/crypto/crypto_exceptions.h"

namespace {
typedef __int128 i128;

// Numbers are held signed in limbs of 62 bits, so that a 2x2 matrix of
// 62-bit entries applied to two limbs fits 128 bits, and the division by
// 2^62 that follows each batch drops exactly one limb.
const int kRadixBits = 62;
const int64_t kLimbMask = ((int64_t)1 << kRadixBits) - 1;
// 4096 bits, a sign and headroom.
const int kMaxLimbs = 4096 / kRadixBits + 3;

// Every limb but the top one in [0, 2^62); the top one carries the sign.
struct Signed62 {
    int64_t v[kMaxLimbs];
};

// The transition of 62 division steps: after them, 2^62 * f' = u f + v g
// and 2^62 * g' = q f + r g.
struct Transition {
    int64_t u, v, q, r;
};

void fromLimbs(Signed62& out, const uint64_t* a, int n, int limbs)
{
    for (int i = 0; i < limbs; ++i) {
        const int bit = kRadixBits * i, word = bit / 64, shift = bit % 64;
        uint64_t w = word < n ? a[word] >> shift : 0;
        if (shift > 64 - kRadixBits && word + 1 < n)
            w |= a[word + 1] << (64 - shift);
        out.v[i] = (int64_t)(w & (uint64_t)kLimbMask);
    }
}

// For 0 <= a < 2^(64n).
void toLimbs(uint64_t* out, const Signed62& a, int n, int limbs)
{
    for (int i = 0; i < n; ++i)
        out[i] = 0;
    for (int i = 0; i < limbs; ++i) {
        const int bit = kRadixBits * i, word = bit / 64, shift = bit % 64;
        const uint64_t w = (uint64_t)a.v[i];
        if (word < n)
            out[word] |= w << shift;
        if (shift > 64 - kRadixBits && word + 1 < n)
            out[word + 1] |= w >> (64 - shift);
    }
}

bool isOne(const Signed62& a, int limbs)
{
    for (int i = 1; i < limbs; ++i)
        if (a.v[i])
            return false;
    return a.v[0] == 1;
}

// -1 is (2^62 - 1, ..., 2^62 - 1, -1).
bool isMinusOne(const Signed62& a, int limbs)
{
    for (int i = 0; i < limbs - 1; ++i)
        if (a.v[i] != kLimbMask)
            return false;
    return a.v[limbs - 1] == -1;
}

bool isZero(const Signed62& a, int limbs)
{
    for (int i = 0; i < limbs; ++i)
        if (a.v[i])
            return false;
    return true;
}

// a += sign * m.
void addMultiple(Signed62& a, const Signed62& m, int sign, int limbs)
{
    i128 c = 0;
    for (int i = 0; i < limbs - 1; ++i) {
        c += (i128)a.v[i] + (i128)sign * m.v[i];
        a.v[i] = (int64_t)c & kLimbMask;
        c >>= kRadixBits;
    }
    a.v[limbs - 1] = (int64_t)(c + a.v[limbs - 1] + (i128)sign * m.v[limbs - 1]);
}

// a in (-m, 2m) into [0, m).
void normalise(Signed62& a, const Signed62& m, int limbs)
{
    if (a.v[limbs - 1] < 0) {
        addMultiple(a, m, 1, limbs);
        return;
    }
    for (int i = limbs - 1; i >= 0; --i) {
        if (a.v[i] != m.v[i]) {
            if (a.v[i] > m.v[i])
                addMultiple(a, m, -1, limbs);
            return;
        }
    }
    addMultiple(a, m, -1, limbs);  // a == m
}

// 62 division steps on the low bits of f (odd) and g: with g even, (f, g)
// becomes (f, g / 2); with g odd and delta > 0, (g, (g - f) / 2); with g
// odd otherwise, (f, (g + f) / 2). The matrix rows double each step, so
// that they stay integers (entries are kept modulo 2^64, where they fit as
// signed numbers). A run of even steps is taken at once. So is a run of
// steps with delta <= 0: they add f to g exactly when g is odd, which adds
// w * f for the w = -g / f mod 2^k that clears the k low bits of g; k stops
// where delta could turn positive (1 - delta halvings), at the batch's end,
// and at 6 bits, for which f (f^2 - 2) is the inverse of f. A step with
// delta > 0 is (f, g) = (g, -f) followed by such a run, whose first bit
// makes the subtraction. Returns the new delta.
int64_t divisionSteps(int64_t delta, uint64_t f, uint64_t g, Transition& t)
{
    uint64_t u = 1, v = 0, q = 0, r = 1;
    int left = kRadixBits;
    for (;;) {
        const int zeros = __builtin_ctzll(g | (uint64_t)1 << left);
        g >>= zeros;
        u <<= zeros;
        v <<= zeros;
        delta += zeros;
        left -= zeros;
        if (left == 0)
            break;
        // g is odd.
        if (delta > 0) {
            delta = -delta;
            const uint64_t oldF = f, oldU = u, oldV = v;
            f = g;
            u = q;
            v = r;
            g = 0 - oldF;
            q = 0 - oldU;
            r = 0 - oldV;
        }
        int bits = left < 6 ? left : 6;
        if (1 - delta < bits)
            bits = (int)(1 - delta);
        const uint64_t w = (f * g * (f * f - 2)) & (((uint64_t)1 << bits) - 1);
        g += f * w;
        q += u * w;
        r += v * w;
    }
    t = {(int64_t)u, (int64_t)v, (int64_t)q, (int64_t)r};
    return delta;
}

// (f, g) = (u f + v g, q f + r g) / 2^62, exactly.
void applyToNumbers(Signed62& f, Signed62& g, const Transition& t, int limbs)
{
    i128 cf = (i128)t.u * f.v[0] + (i128)t.v * g.v[0];
    i128 cg = (i128)t.q * f.v[0] + (i128)t.r * g.v[0];
    cf >>= kRadixBits;
    cg >>= kRadixBits;
    for (int i = 1; i < limbs; ++i) {
        cf += (i128)t.u * f.v[i] + (i128)t.v * g.v[i];
        cg += (i128)t.q * f.v[i] + (i128)t.r * g.v[i];
        f.v[i - 1] = (int64_t)cf & kLimbMask;
        g.v[i - 1] = (int64_t)cg & kLimbMask;
        cf >>= kRadixBits;
        cg >>= kRadixBits;
    }
    f.v[limbs - 1] = (int64_t)cf;
    g.v[limbs - 1] = (int64_t)cg;
}

// The cofactors: (d, e) = (u d + v e, q d + r e) / 2^62 mod m, each made
// divisible by 2^62 by adding a multiple of m first; mInverse = m^-1 mod
// 2^62. d and e stay in [0, m).
void applyToCofactors(Signed62& d, Signed62& e, const Transition& t, const Signed62& m, uint64_t mInverse, int limbs)
{
    i128 cd = (i128)t.u * d.v[0] + (i128)t.v * e.v[0];
    i128 ce = (i128)t.q * d.v[0] + (i128)t.r * e.v[0];
    const int64_t md = (int64_t)((0 - (uint64_t)cd) * mInverse & (uint64_t)kLimbMask);
    const int64_t me = (int64_t)((0 - (uint64_t)ce) * mInverse & (uint64_t)kLimbMask);
    cd += (i128)md * m.v[0];
    ce += (i128)me * m.v[0];
    cd >>= kRadixBits;
    ce >>= kRadixBits;
    for (int i = 1; i < limbs; ++i) {
        cd += (i128)t.u * d.v[i] + (i128)t.v * e.v[i] + (i128)md * m.v[i];
        ce += (i128)t.q * d.v[i] + (i128)t.r * e.v[i] + (i128)me * m.v[i];
        d.v[i - 1] = (int64_t)cd & kLimbMask;
        e.v[i - 1] = (int64_t)ce & kLimbMask;
        cd >>= kRadixBits;
        ce >>= kRadixBits;
    }
    d.v[limbs - 1] = (int64_t)cd;
    e.v[limbs - 1] = (int64_t)ce;
    normalise(d, m, limbs);
    normalise(e, m, limbs);
}
}  // namespace

bool variableTimeModInverse(uint64_t* out, const uint64_t* x, const uint64_t* m, int n)
{
    const int limbs = (64 * n + 2) / kRadixBits + 2;
    Signed62 f, g, d, e, modulus;
    fromLimbs(modulus, m, n, limbs);
    fromLimbs(f, m, n, limbs);
    fromLimbs(g, x, n, limbs);
    for (int i = 0; i < limbs; ++i)
        d.v[i] = e.v[i] = 0;
    e.v[0] = 1;
    // Newton's iteration: m^-1 mod 2^64, of which the low 62 bits serve.
    uint64_t mInverse = 1;
    for (int i = 0; i < 6; ++i)
        mInverse *= 2 - m[0] * mInverse;

    // f = d x and g = e x mod m throughout; g reaches 0 with f = +-gcd
    // within about 2.9 steps per bit, far below the bound kept for safety.
    const int maxBatches = 3 * 64 * n / kRadixBits + 4;
    int64_t delta = 1;
    for (int batch = 0; !isZero(g, limbs); ++batch) {
        if (batch == maxBatches)
            return false;
        vcPollKillThreadFlag();
        Transition t;
        delta = divisionSteps(delta, (uint64_t)f.v[0], (uint64_t)g.v[0], t);
        applyToNumbers(f, g, t, limbs);
        applyToCofactors(d, e, t, modulus, mInverse, limbs);
    }
    if (isMinusOne(f, limbs)) {
        // x^-1 = -d = m - d (d is not 0: x is invertible).
        for (int i = 0; i < limbs; ++i)
            d.v[i] = -d.v[i];
        addMultiple(d, modulus, 1, limbs);
    } else if (!isOne(f, limbs)) {
        return false;
    }
    toLimbs(out, d, n, limbs);
    return true;
}
