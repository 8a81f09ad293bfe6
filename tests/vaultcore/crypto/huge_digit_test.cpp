#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "vaultcore/vaultcore.h"

#ifdef VC_HAVE_OPENSSL
#include <openssl/bn.h>
#include <openssl/err.h>
#endif

namespace {
CHugeDigit fromBytes(const std::vector<unsigned char>& bytes)
{
    CHugeDigit v;
    v.SetLength(CHugeDigit::kCapacity);
    v.Decode(bytes.data(), (unsigned short)bytes.size());
    return v;
}

std::vector<unsigned char> toBytes(const CHugeDigit& v)
{
    std::vector<unsigned char> out((size_t)v.Digits() * 4);
    if (!out.empty())
        v.Encode(out.data(), (unsigned short)out.size());
    size_t skip = 0;
    while (skip < out.size() && out[skip] == 0)
        ++skip;
    return std::vector<unsigned char>(out.begin() + (long)skip, out.end());
}

CHugeDigit word(unsigned long v)
{
    return CHugeDigit(v);
}

struct KillFlagGuard {
    ~KillFlagGuard()
    {
        ThreadKillFlag = 0;
        ThreadToKill = nullptr;
    }
};
}  // namespace

TEST(HugeDigit, ConstructionAndLengths)
{
    CHugeDigit fresh;
    EXPECT_EQ(fresh.GetLength(), 64);
    EXPECT_TRUE(fresh.Zero());
    EXPECT_EQ(fresh.Digits(), 0);
    EXPECT_EQ(fresh.Bits(), 0);
    fresh.DoCompact();
    EXPECT_EQ(fresh.GetLength(), 1);
    EXPECT_EQ(fresh[0], 0u);

    CHugeDigit padded(5, 7);
    EXPECT_EQ(padded.GetLength(), 5);
    EXPECT_EQ(padded.Digits(), 1);
    EXPECT_EQ(word(1).Bits(), 1);
    CHugeDigit big(2, 0);
    big[1] = 1;
    EXPECT_EQ(big.Bits(), 33);  // 2^32

    CHugeDigit grown(1ul);
    grown[3] = 0xDEADBEEF;  // stale word above the length
    grown.SetLength(5);
    EXPECT_EQ(grown[3], 0u);
    grown.SetLength(2);
    grown.Assign2Exp(40);
    EXPECT_EQ(grown[1], 1u << 8);
    EXPECT_EQ(grown.Bits(), 41);
    EXPECT_TRUE(word(6).EVEN());
    EXPECT_FALSE(word(7).EVEN());

    EXPECT_THROW(grown.SetLength(CHugeDigit::kCapacity + 1), CUnlockException*);
}

TEST(HugeDigit, DecodeAndEncode)
{
    std::vector<unsigned char> bytes(300);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (unsigned char)(i + 1);
    CHugeDigit fromAll;
    fromAll.Decode(bytes.data(), 256);
    EXPECT_EQ(fromAll.GetLength(), 64);
    EXPECT_EQ(fromAll[0], 0xFDFEFF00u);  // bytes 253, 254, 255, 256 (mod 256)

    // 300 bytes into 64 words: the first 44 bytes are ignored.
    CHugeDigit fromMore;
    fromMore.Decode(bytes.data(), 300);
    CHugeDigit fromTail;
    fromTail.Decode(bytes.data() + 44, 256);
    EXPECT_TRUE(IsEqual(fromMore, fromTail));

    // Encode writes exactly n bytes: the low ones of a longer value ...
    unsigned char low[128];
    fromTail.Encode(low, sizeof low);
    EXPECT_EQ(std::memcmp(low, bytes.data() + 300 - 128, 128), 0);
    // ... or zeros in front of a shorter one.
    unsigned char wide[8];
    std::memset(wide, 0xAA, sizeof wide);
    word(0x0102).Encode(wide, sizeof wide);
    const unsigned char expected[8] = {0, 0, 0, 0, 0, 0, 1, 2};
    EXPECT_EQ(std::memcmp(wide, expected, 8), 0);
    CHugeDigit zero;
    zero.Encode(wide, sizeof wide);
    EXPECT_EQ(std::memcmp(wide, "\0\0\0\0\0\0\0\0", 8), 0);

    const unsigned char number[] = {0x00, 0x00, 0x01, 0x80};
    EXPECT_EQ(___countBits(number, 4), 9);
    EXPECT_EQ(___countBits(number, 2), 0);
}

TEST(HugeDigit, AddSubtractWidthRules)
{
    CHugeDigit wrapped = Subtract(word(1), word(2));
    EXPECT_EQ(wrapped.GetLength(), 1);
    EXPECT_EQ(wrapped[0], 0xFFFFFFFFu);

    CHugeDigit wide(3, 1);
    CHugeDigit wrapped3 = Subtract(wide, word(2));  // 2^96 - 1
    EXPECT_EQ(wrapped3.Digits(), 3);
    EXPECT_EQ(wrapped3.Bits(), 96);

    CHugeDigit carry = Add(word(0xFFFFFFFF), word(1));  // the carry makes a new word
    EXPECT_EQ(carry.Digits(), 2);
    EXPECT_EQ(carry[1], 1u);
    EXPECT_EQ(carry[0], 0u);
    CHugeDigit kept = Add(CHugeDigit(2, 0xFFFFFFFF), word(1));
    EXPECT_EQ(kept.Digits(), 2);
    EXPECT_EQ(kept[1], 1u);

    EXPECT_TRUE(Multiply(word(0), word(12345)).Zero());
    EXPECT_EQ(Multiply(word(0), word(1)).GetLength(), 1);
}

TEST(HugeDigit, DivisionEdgeCases)
{
    CHugeDigit q, r;
    CHugeDigit small = fromBytes({0x12, 0x34});
    CHugeDigit large = fromBytes(std::vector<unsigned char>(20, 0x77));
    DivMod(q, r, small, large);
    EXPECT_TRUE(q.Zero());
    EXPECT_TRUE(IsEqual(r, small));

    DivMod(q, r, large, large);
    EXPECT_TRUE(IsEqual(q, word(1)));
    EXPECT_TRUE(r.Zero());

    EXPECT_THROW(DivMod(q, r, large, word(0)), CUnlockException*);
    EXPECT_THROW(ModPower(word(2), word(3), word(0)), CUnlockException*);

    // Results may be written over an operand.
    CHugeDigit a = large;
    DivMod(a, r, a, fromBytes({0x01, 0x00, 0x00, 0x00, 0x01}));
    EXPECT_EQ(toBytes(Add(Multiply(a, fromBytes({1, 0, 0, 0, 1})), r)), toBytes(large));
}

TEST(HugeDigit, EstimateQuotientWordNeverOverestimates)
{
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        DWORD c = rng() | (i % 3 == 0 ? 0xFFFF0000u : 1u);
        DWORD hi = c ? rng() % c : 0;
        DWORD lo = rng();
        uint64_t exact = (((uint64_t)hi << 32) | lo) / c;
        DWORD estimate = EstimateQuotientWord(hi, lo, c);
        ASSERT_LE(estimate, exact) << hi << ":" << lo << " / " << c;
        ASSERT_GE(estimate + 2, exact) << hi << ":" << lo << " / " << c;
    }
}

TEST(HugeDigit, SmallFactorsAndPrimality)
{
    const struct {
        unsigned long value;
        bool smallFactor;
        bool probablePrime;
    } cases[] = {
        {3, true, false},   {33, true, false},  {47, true, false},  {53, false, true},
        {341, true, false}, {561, true, false}, {65537, false, true}, {2047, true, false},  // 23 * 89
        {49, true, false},  {2809, false, false}, {3127, false, false},                   // 53^2, 53 * 59
    };
    for (const auto& c : cases) {
        EXPECT_EQ((bool)word(c.value).HasSmallPrimesFactor(), c.smallFactor) << c.value;
        EXPECT_EQ((bool)word(c.value).IsProbablePrime(), c.probablePrime) << c.value;
    }
    CHugeDigit mersenne61(2, 0);  // 2^61 - 1
    mersenne61[0] = 0xFFFFFFFF;
    mersenne61[1] = 0x1FFFFFFF;
    EXPECT_TRUE(mersenne61.IsProbablePrime());
    // 2^67 - 1 = 193707721 * 761838257287 is a base-2 pseudoprime with no
    // small factor: the one Fermat round lets it through.
    CHugeDigit mersenne67(3, 0);
    mersenne67.Assign2Exp(67);
    mersenne67 = Subtract(mersenne67, word(1));
    EXPECT_TRUE(mersenne67.IsProbablePrime());
    // An even modulus takes the plain exponentiation path.
    EXPECT_FALSE(word(1024).PassedFermatTest());
}

#ifdef VC_HAVE_OPENSSL
namespace {
struct Bn {
    BIGNUM* bn = BN_new();
    ~Bn() { BN_free(bn); }
    std::vector<unsigned char> bytes() const
    {
        std::vector<unsigned char> out((size_t)BN_num_bytes(bn));
        BN_bn2bin(bn, out.data());
        return out;
    }
    void set(const std::vector<unsigned char>& b) { BN_bin2bn(b.data(), (int)b.size(), bn); }
};

std::vector<unsigned char> randomBytes(std::mt19937& rng, size_t maxBytes)
{
    std::vector<unsigned char> out(1 + rng() % maxBytes);
    for (auto& b : out)
        b = (unsigned char)rng();
    // Runs of 0x00 and 0xFF words find carry and estimate faults.
    if (rng() % 4 == 0)
        for (size_t i = 1; i < out.size() && i < 9; ++i)
            out[i] = rng() % 2 ? 0xFF : 0x00;
    return out;
}
}  // namespace

TEST(HugeDigit, ArithmeticAgreesWithOpenSSL)
{
    std::mt19937 rng(11);
    BN_CTX* ctx = BN_CTX_new();
    for (int round = 0; round < 1500; ++round) {
        auto ab = randomBytes(rng, 140), bb = randomBytes(rng, round % 2 ? 70 : 140);
        Bn a, b, q, r, p, s;
        a.set(ab);
        b.set(bb);
        CHugeDigit ha = fromBytes(ab), hb = fromBytes(bb);
        ha.DoCompact();
        hb.DoCompact();

        BN_mul(p.bn, a.bn, b.bn, ctx);
        ASSERT_EQ(toBytes(Multiply(ha, hb)), p.bytes()) << round;
        BN_add(s.bn, a.bn, b.bn);
        ASSERT_EQ(toBytes(Add(ha, hb)), s.bytes()) << round;
        if (BN_is_zero(b.bn))
            continue;
        BN_div(q.bn, r.bn, a.bn, b.bn, ctx);
        CHugeDigit hq, hr;
        DivMod(hq, hr, ha, hb);
        ASSERT_EQ(toBytes(hq), q.bytes()) << round;
        ASSERT_EQ(toBytes(hr), r.bytes()) << round;
        if (BN_cmp(a.bn, b.bn) >= 0) {
            BN_sub(s.bn, a.bn, b.bn);
            ASSERT_EQ(toBytes(Subtract(ha, hb)), s.bytes()) << round;
        }
        Bn g;
        BN_gcd(g.bn, a.bn, b.bn, ctx);
        ASSERT_EQ(toBytes(Gcd(ha, hb)), g.bytes()) << round;
    }
    BN_CTX_free(ctx);
}

TEST(HugeDigit, ModPowerAndModInverseAgreeWithOpenSSL)
{
    std::mt19937 rng(13);
    BN_CTX* ctx = BN_CTX_new();
    for (int round = 0; round < 400; ++round) {
        size_t modBytes = round < 100 ? 1 + rng() % 16 : (round < 300 ? 1 + rng() % 130 : 128 + rng() % 130);
        auto mb = randomBytes(rng, modBytes);
        if (round % 3 == 0)
            mb.back() |= 1;  // odd: the Montgomery path
        else if (round % 3 == 1)
            mb.back() &= 0xFE;  // even: the plain path
        auto bb = randomBytes(rng, modBytes + 8), eb = randomBytes(rng, round % 5 == 0 ? 4 : modBytes);
        Bn m, b, e, r, inv;
        m.set(mb);
        b.set(bb);
        e.set(eb);
        if (BN_is_zero(m.bn))
            continue;
        CHugeDigit hm = fromBytes(mb), hb = fromBytes(bb), he = fromBytes(eb);
        BN_mod_exp(r.bn, b.bn, e.bn, m.bn, ctx);
        ASSERT_EQ(toBytes(ModPower(hb, he, hm)), r.bytes()) << round;
        if (round % 4 == 0) {  // the portable Montgomery rows too
            BOOL old = CHugeDigit::AllowMulxInstructions(FALSE);
            CHugeDigit portable = ModPower(hb, he, hm);
            CHugeDigit::AllowMulxInstructions(old);
            ASSERT_EQ(toBytes(portable), r.bytes()) << round;
        }
        BN_mod_mul(r.bn, b.bn, e.bn, m.bn, ctx);
        ASSERT_EQ(toBytes(ModMultiply(hb, he, hm)), r.bytes()) << round;
        if (BN_mod_inverse(inv.bn, b.bn, m.bn, ctx)) {
            ASSERT_EQ(toBytes(ModInverse(hb, hm)), inv.bytes()) << round;
        } else {
            ERR_clear_error();
            ASSERT_TRUE(ModInverse(hb, hm).Zero()) << round;
        }
    }
    BN_CTX_free(ctx);
}

TEST(HugeDigit, ModPowerAgreesWithOpenSSLAtKeySizes)
{
    // Moduli of exactly the sizes with their own unrolled Montgomery rows,
    // and their neighbours, on both row implementations.
    std::mt19937 rng(17);
    BN_CTX* ctx = BN_CTX_new();
    for (int limbs : {7, 8, 9, 12, 16, 17, 24, 32, 48, 64}) {
        std::vector<unsigned char> mb((size_t)limbs * 8), bb((size_t)limbs * 8), eb(24);
        for (auto* v : {&mb, &bb, &eb})
            for (auto& x : *v)
                x = (unsigned char)rng();
        mb[0] |= 0x80;
        mb.back() |= 1;
        Bn m, b, e, r;
        m.set(mb);
        b.set(bb);
        e.set(eb);
        BN_mod_exp(r.bn, b.bn, e.bn, m.bn, ctx);
        CHugeDigit hm = fromBytes(mb), hb = fromBytes(bb), he = fromBytes(eb);
        EXPECT_EQ(toBytes(ModPower(hb, he, hm)), r.bytes()) << limbs;
        BOOL old = CHugeDigit::AllowMulxInstructions(FALSE);
        EXPECT_EQ(toBytes(ModPower(hb, he, hm)), r.bytes()) << limbs;
        CHugeDigit::AllowMulxInstructions(old);
    }
    BN_CTX_free(ctx);
}

TEST(HugeDigit, ModPowerOnEdgeOperandsAtKeyPrimeSizes)
{
    // The prime sizes of 1024- and 2048-bit keys have products of their
    // own: moduli at the ends of the limb count (all ones, just above a
    // limb boundary, top bit alone), bases at the ends of the residues and
    // exponents that keep products near m or near 0, against OpenSSL, with
    // and without MULX.
    std::mt19937 rng(23);
    BN_CTX* ctx = BN_CTX_new();
    for (int limbs : {8, 16}) {
        const int bits = 64 * limbs;
        std::vector<Bn> moduli(5);
        BN_set_bit(moduli[0].bn, bits);
        BN_sub_word(moduli[0].bn, 1);  // R - 1
        BN_set_bit(moduli[1].bn, bits - 64);
        BN_add_word(moduli[1].bn, 1);  // the least of the limb count
        BN_set_bit(moduli[2].bn, bits - 1);
        BN_add_word(moduli[2].bn, 1);
        BN_rand(moduli[3].bn, bits, BN_RAND_TOP_ONE, BN_RAND_BOTTOM_ODD);
        std::vector<unsigned char> runs((size_t)bits / 8, 0xFF);
        for (size_t i = 8; i < runs.size() - 8; i += 16)
            std::memset(&runs[i], 0, 8);
        runs.back() = 0x01;
        moduli[4].set(runs);
        for (Bn& m : moduli) {
            std::vector<Bn> bases(6);
            BN_zero(bases[0].bn);
            BN_one(bases[1].bn);
            BN_sub(bases[2].bn, m.bn, BN_value_one());  // m - 1
            BN_copy(bases[3].bn, bases[2].bn);
            BN_sub_word(bases[3].bn, 1);
            BN_set_bit(bases[4].bn, bits - 1);  // near R, reduced
            BN_mod(bases[4].bn, bases[4].bn, m.bn, ctx);
            BN_rand_range(bases[5].bn, m.bn);
            std::vector<Bn> exponents(5);
            BN_one(exponents[0].bn);
            BN_set_word(exponents[1].bn, 2);
            BN_set_word(exponents[2].bn, 65537);
            BN_sub(exponents[3].bn, m.bn, BN_value_one());
            BN_rand(exponents[4].bn, bits, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY);
            for (size_t b = 0; b < bases.size(); ++b) {
                for (size_t e = 0; e < exponents.size(); ++e) {
                    Bn expected;
                    BN_mod_exp(expected.bn, bases[b].bn, exponents[e].bn, m.bn, ctx);
                    const CHugeDigit hm = fromBytes(m.bytes()), hb = fromBytes(bases[b].bytes()),
                                     he = fromBytes(exponents[e].bytes());
                    for (BOOL mulx : {TRUE, FALSE}) {
                        BOOL old = CHugeDigit::AllowMulxInstructions(mulx);
                        const CHugeDigit result = ModPower(hb, he, hm);
                        CHugeDigit::AllowMulxInstructions(old);
                        ASSERT_EQ(toBytes(result), expected.bytes())
                            << limbs << " limbs, modulus " << (&m - &moduli[0]) << ", base " << b << ", exponent "
                            << e << ", mulx " << mulx;
                    }
                }
            }
        }
    }
    BN_CTX_free(ctx);
}
#endif

TEST(HugeDigit, LongModPowerStopsOnlyOnTheNamedThread)
{
    KillFlagGuard guard;
    std::vector<unsigned char> mb(128, 0xC5), eb(128, 0x9B);
    mb.back() |= 1;
    CHugeDigit m = fromBytes(mb), e = fromBytes(eb);

    std::atomic<CWinThread*> workerThread{nullptr};
    std::atomic<int> outcome{0};  // 1: killed, 2: finished
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        workerThread = AfxGetThread();
        try {
            CHugeDigit b(3ul);
            while (!stop)
                b = ModPower(b, e, m);
            outcome = 2;
        } catch (CKillThreadException* ex) {
            ex->Delete();
            outcome = 1;
        }
    });
    while (!workerThread)
        std::this_thread::yield();

    // Named: some third thread. The worker keeps going, and so do we.
    CWinThread* other = nullptr;
    std::thread third([&] { other = AfxGetThread(); });
    third.join();
    ThreadToKill = other;
    ThreadKillFlag = 1;
    EXPECT_NO_THROW(ModPower(word(3), word(1000), m) );
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(outcome.load(), 0);

    ThreadToKill = workerThread;
    // A worker that ignored the request would run on: stop it after a
    // generous wait so that the failure shows instead of a hang.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (outcome == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    worker.join();
    EXPECT_EQ(outcome.load(), 1);
}
