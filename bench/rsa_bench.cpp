// RSA beside OpenSSL's libcrypto: the 1024-bit private-key operation
// (LockDigest, x^d mod n without the Chinese remainder shortcut) against
// BN_mod_exp with the same exponent and modulus, and 2048-bit key-pair
// generation against EVP_PKEY_keygen (what openssl genrsa runs).
#include <benchmark/benchmark.h>

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include "vaultcore/vaultcore.h"

namespace {

const CRSAKeyPair& key1024()
{
    static const CRSAKeyPair key(1024, 1);
    return key;
}

void Ours_LockDigest1024(benchmark::State& state)
{
    const CRSAKeyPair& key = key1024();
    unsigned char digest[20] = {1, 2, 3};
    CByteArray out;
    for (auto _ : state) {
        key.LockDigest(eSHA1, digest, out);
        benchmark::DoNotOptimize(out.GetData());
    }
}

void OpenSSL_BN_mod_exp1024(benchmark::State& state)
{
    const CRSAKeyPair& key = key1024();
    BIGNUM* n = BN_bin2bn(key.GetModulus(), 256, nullptr);
    BIGNUM* d = BN_bin2bn(key.GetPrivateExponent(), 256, nullptr);
    BIGNUM* x = BN_new();
    BIGNUM* r = BN_new();
    BN_CTX* ctx = BN_CTX_new();
    BN_rand_range(x, n);
    for (auto _ : state) {
        BN_mod_exp(r, x, d, n, ctx);
        benchmark::DoNotOptimize(r);
    }
    BN_CTX_free(ctx);
    BN_free(r);
    BN_free(x);
    BN_free(d);
    BN_free(n);
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

}  // namespace

BENCHMARK(Ours_LockDigest1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenSSL_BN_mod_exp1024)->Unit(benchmark::kMicrosecond);
// Key generation times vary a lot from key to key: medians over many runs.
BENCHMARK(Ours_KeyPair2048)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25)->ReportAggregatesOnly(true);
BENCHMARK(OpenSSL_Keygen2048)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
