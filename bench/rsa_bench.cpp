// RSA beside OpenSSL's libcrypto, on the same keys: the private-key
// operation (LockDigest: a SHA-1 DigestInfo in a PKCS #1 v1.5 block of type
// 1, signed) against EVP_PKEY_sign with PKCS #1 padding, which runs
// OpenSSL's RSA private operation with the Chinese remainder theorem,
// blinding and its own check with the public exponent, at 1024 and 2048
// bits; the same signature from d alone (a key without its primes); and
// 2048-bit key-pair generation against EVP_PKEY_keygen (what openssl genrsa
// runs).
#include <benchmark/benchmark.h>

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {

const CRSAKeyPair& keyOf(int bits)
{
    static std::map<int, CRSAKeyPair*> keys;
    CRSAKeyPair*& key = keys[bits];
    if (!key)
        key = new CRSAKeyPair((unsigned short)bits, 1);
    return *key;
}

// The same key without p, q, dP, dQ and qInv.
const CRSAPrivateKey& keyWithoutPrimesOf(int bits)
{
    static std::map<int, CRSAPrivateKey*> keys;
    CRSAPrivateKey*& key = keys[bits];
    if (!key) {
        key = new CRSAPrivateKey(keyOf(bits));
        const unsigned char zero = 0;
        key->SetPrivateKey(keyOf(bits).GetPrivateExponent(), CRSAPublicKey::kFieldSize, &zero, 1, &zero, 1, &zero, 1,
                           &zero, 1, &zero, 1);
    }
    return *key;
}

BIGNUM* bn(const unsigned char* p, int n)
{
    return BN_bin2bn(p, n, nullptr);
}

// Our key as an OpenSSL key with every CRT component.
EVP_PKEY* opensslKeyOf(const CRSAPrivateKey& key)
{
    const int f = CRSAPublicKey::kFieldSize, h = CRSAPublicKey::kPrimeFieldSize;
    BIGNUM* numbers[] = {bn(key.GetModulus(), f),         bn(key.GetExponent(), f),
                         bn(key.GetPrivateExponent(), f), bn(key.GetPrime(0), h),
                         bn(key.GetPrime(1), h),          bn(key.GetPrimeExponent(0), h),
                         bn(key.GetPrimeExponent(1), h),  bn(key.GetCoefficient(), h)};
    const char* names[] = {OSSL_PKEY_PARAM_RSA_N,         OSSL_PKEY_PARAM_RSA_E,
                           OSSL_PKEY_PARAM_RSA_D,         OSSL_PKEY_PARAM_RSA_FACTOR1,
                           OSSL_PKEY_PARAM_RSA_FACTOR2,   OSSL_PKEY_PARAM_RSA_EXPONENT1,
                           OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1};
    OSSL_PARAM_BLD* build = OSSL_PARAM_BLD_new();
    for (int i = 0; i < 8; ++i)
        OSSL_PARAM_BLD_push_BN(build, names[i], numbers[i]);
    OSSL_PARAM* params = OSSL_PARAM_BLD_to_param(build);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    EVP_PKEY* pkey = nullptr;
    EVP_PKEY_fromdata_init(ctx);
    EVP_PKEY_fromdata(ctx, &pkey, EVP_PKEY_KEYPAIR, params);
    EVP_PKEY_CTX_free(ctx);
    OSSL_PARAM_free(params);
    OSSL_PARAM_BLD_free(build);
    for (BIGNUM* n : numbers)
        BN_free(n);
    return pkey;
}

const unsigned char kDigest[20] = {0xa9, 0x99, 0x3e, 0x36, 0x47, 0x06, 0x81, 0x6a, 0xba, 0x3e,
                                   0x25, 0x71, 0x78, 0x50, 0xc2, 0x6c, 0x9c, 0xd0, 0xd8, 0x9d};

void Ours_LockDigest(benchmark::State& state, const CRSAPrivateKey& key)
{
    CByteArray out;
    for (auto _ : state) {
        key.LockDigest(eSHA1, kDigest, out);
        benchmark::DoNotOptimize(out.GetData());
    }
}

void Ours_Sign(benchmark::State& state)
{
    Ours_LockDigest(state, keyOf((int)state.range(0)));
}

void Ours_SignWithoutPrimes(benchmark::State& state)
{
    Ours_LockDigest(state, keyWithoutPrimesOf((int)state.range(0)));
}

void OpenSSL_Sign(benchmark::State& state)
{
    const CRSAKeyPair& key = keyOf((int)state.range(0));
    EVP_PKEY* pkey = opensslKeyOf(key);
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(pkey, nullptr);
    EVP_PKEY_sign_init(ctx);
    EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING);
    EVP_PKEY_CTX_set_signature_md(ctx, EVP_sha1());
    unsigned char sig[256];
    // The signatures must agree, or the comparison means nothing.
    CByteArray ours;
    key.LockDigest(eSHA1, kDigest, ours);
    size_t length = sizeof sig;
    if (EVP_PKEY_sign(ctx, sig, &length, kDigest, sizeof kDigest) != 1 || length != (size_t)ours.GetSize() ||
        std::memcmp(sig, ours.GetData(), length) != 0)
        state.SkipWithError("OpenSSL's signature differs from ours");
    for (auto _ : state) {
        length = sizeof sig;
        EVP_PKEY_sign(ctx, sig, &length, kDigest, sizeof kDigest);
        benchmark::DoNotOptimize(sig);
    }
    EVP_PKEY_CTX_free(ctx);
    EVP_PKEY_free(pkey);
}

void Ours_KeyPair2048(benchmark::State& state)
{
    for (auto _ : state) {
        CRSAKeyPair pair(2048, 1);
        benchmark::DoNotOptimize(pair.GetModulus());
    }
}

void OpenSSL_Keygen2048(benchmark::State& state)
{
    for (auto _ : state) {
        EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr);
        EVP_PKEY_keygen_init(ctx);
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, 2048);
        EVP_PKEY* pkey = nullptr;
        EVP_PKEY_keygen(ctx, &pkey);
        benchmark::DoNotOptimize(pkey);
        EVP_PKEY_free(pkey);
        EVP_PKEY_CTX_free(ctx);
    }
}

double minimum(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

// Ours and OpenSSL's alternate, each repeated, so that a change of machine
// load hits both; the minimum of the repetitions is the least disturbed.
#define VC_SIGN_BENCHMARK(name, bits)                                                                      \
    BENCHMARK(name)->Arg(bits)->Unit(benchmark::kMicrosecond)->Repetitions(8)->ReportAggregatesOnly(true) \
        ->ComputeStatistics("min", minimum)

}  // namespace

VC_SIGN_BENCHMARK(Ours_Sign, 1024);
VC_SIGN_BENCHMARK(OpenSSL_Sign, 1024);
VC_SIGN_BENCHMARK(Ours_Sign, 2048);
VC_SIGN_BENCHMARK(OpenSSL_Sign, 2048);
VC_SIGN_BENCHMARK(Ours_SignWithoutPrimes, 1024);
VC_SIGN_BENCHMARK(Ours_SignWithoutPrimes, 2048);
// Key generation times vary a lot from key to key: medians over many runs.
BENCHMARK(Ours_KeyPair2048)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25)->ReportAggregatesOnly(true);
BENCHMARK(OpenSSL_Keygen2048)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
