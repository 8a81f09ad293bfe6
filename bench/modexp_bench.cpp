// 1024-bit modular exponentiation with a full-size exponent: CHugeDigit's
// ModPower (also through PassedFermatTest) against OpenSSL's BN_mod_exp on
// the same numbers.
#include <benchmark/benchmark.h>
#include <openssl/bn.h>

#include <random>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {
struct Numbers {
    std::vector<unsigned char> base, exponent, modulus;
    Numbers()
    {
        std::mt19937 rng(1024);
        base.resize(128);
        exponent.resize(128);
        modulus.resize(128);
        for (size_t i = 0; i < 128; ++i) {
            base[i] = (unsigned char)rng();
            exponent[i] = (unsigned char)rng();
            modulus[i] = (unsigned char)rng();
        }
        modulus[0] |= 0x80;  // a full 1024 bits
        exponent[0] |= 0x80;
        modulus[127] |= 1;  // odd, like an RSA modulus
        base[0] &= 0x7F;    // below the modulus
    }
};

const Numbers& numbers()
{
    static Numbers n;
    return n;
}

CHugeDigit huge(const std::vector<unsigned char>& bytes)
{
    CHugeDigit v;
    v.Decode(bytes.data(), (unsigned short)bytes.size());
    return v;
}

void BM_ModPower1024_vaultcore(benchmark::State& state)
{
    CHugeDigit b = huge(numbers().base), e = huge(numbers().exponent), m = huge(numbers().modulus);
    for (auto _ : state) {
        CHugeDigit r = ModPower(b, e, m);
        benchmark::DoNotOptimize(r.m_digits[0]);
    }
}

void BM_ModPower1024_vaultcore_portable(benchmark::State& state)
{
    BOOL old = CHugeDigit::AllowMulxInstructions(FALSE);
    BM_ModPower1024_vaultcore(state);
    CHugeDigit::AllowMulxInstructions(old);
}

void BM_FermatTest1024_vaultcore(benchmark::State& state)
{
    CHugeDigit m = huge(numbers().modulus);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.PassedFermatTest());
}

void BM_ModExp1024_openssl(benchmark::State& state)
{
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *b = BN_bin2bn(numbers().base.data(), 128, nullptr), *e = BN_bin2bn(numbers().exponent.data(), 128, nullptr),
           *m = BN_bin2bn(numbers().modulus.data(), 128, nullptr), *r = BN_new();
    for (auto _ : state)
        benchmark::DoNotOptimize(BN_mod_exp(r, b, e, m, ctx));
    BN_free(b);
    BN_free(e);
    BN_free(m);
    BN_free(r);
    BN_CTX_free(ctx);
}

void BM_FermatTest1024_openssl(benchmark::State& state)
{
    BN_CTX* ctx = BN_CTX_new();
    BIGNUM *m = BN_bin2bn(numbers().modulus.data(), 128, nullptr), *two = BN_new(), *r = BN_new();
    BN_set_word(two, 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(BN_mod_exp(r, two, m, m, ctx));
    BN_free(m);
    BN_free(two);
    BN_free(r);
    BN_CTX_free(ctx);
}
}  // namespace

BENCHMARK(BM_ModPower1024_vaultcore)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModPower1024_vaultcore_portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModExp1024_openssl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FermatTest1024_vaultcore)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FermatTest1024_openssl)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
