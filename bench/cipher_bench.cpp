// Block-cipher throughput in CBC mode, ours next to OpenSSL's libcrypto
// (EVP, legacy provider for DES and RC2), on the same 16 KiB buffer.
#include <benchmark/benchmark.h>

#include <memory>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {

const size_t kBuffer = 16 * 1024;
const unsigned char kKey[24] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98,
                                0x76, 0x54, 0x32, 0x10, 0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67};
const unsigned char kIV[8] = {1, 2, 3, 4, 5, 6, 7, 8};

struct Providers {
    Providers()
    {
        legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        deflt = OSSL_PROVIDER_load(nullptr, "default");
    }
    OSSL_PROVIDER* legacy;
    OSSL_PROVIDER* deflt;
};

void loadProviders()
{
    static Providers providers;
}

std::unique_ptr<CCryptoProcessor> ours(const char* name)
{
    std::string n(name);
    if (n == "des-cbc") {
        CDESkey k;
        k.Set(kKey, 8);
        return std::make_unique<CDESAlgorithm>(k, 0, kIV);
    }
    if (n == "des-ede3-cbc") {
        CTripleDESkey k;
        k.Set(kKey, 24);
        return std::make_unique<CTripleDESAlgorithm>(k, 0, kIV);
    }
    CRC2key k(128);
    k.Set(kKey, 16);
    return std::make_unique<CRC2Algorithm>(k, 0, kIV);
}

void Ours(benchmark::State& state, const char* name, bool decrypt)
{
    auto p = ours(name);
    std::vector<unsigned char> buf(kBuffer, 0x5a);
    for (auto _ : state) {
        if (decrypt)
            p->DecryptBlock(buf.data(), kBuffer, buf.data(), nullptr);
        else
            p->EncryptBlock(buf.data(), kBuffer, buf.data(), nullptr);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)kBuffer);
}

void OpenSSL(benchmark::State& state, const char* name, bool decrypt)
{
    loadProviders();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
    if (!cipher) {
        state.SkipWithError("cipher not available");
        return;
    }
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex2(ctx, cipher, kKey, kIV, decrypt ? 0 : 1, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::vector<unsigned char> in(kBuffer, 0x5a), out(kBuffer + 16);
    int len = 0;
    for (auto _ : state) {
        EVP_CipherUpdate(ctx, out.data(), &len, in.data(), (int)kBuffer);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)kBuffer);
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
}

}  // namespace

BENCHMARK_CAPTURE(Ours, des_cbc_encrypt, "des-cbc", false);
BENCHMARK_CAPTURE(OpenSSL, des_cbc_encrypt, "des-cbc", false);
BENCHMARK_CAPTURE(Ours, des_cbc_decrypt, "des-cbc", true);
BENCHMARK_CAPTURE(OpenSSL, des_cbc_decrypt, "des-cbc", true);
BENCHMARK_CAPTURE(Ours, des_ede3_cbc_encrypt, "des-ede3-cbc", false);
BENCHMARK_CAPTURE(OpenSSL, des_ede3_cbc_encrypt, "des-ede3-cbc", false);
BENCHMARK_CAPTURE(Ours, des_ede3_cbc_decrypt, "des-ede3-cbc", true);
BENCHMARK_CAPTURE(OpenSSL, des_ede3_cbc_decrypt, "des-ede3-cbc", true);
BENCHMARK_CAPTURE(Ours, rc2_cbc_encrypt, "rc2-cbc", false);
BENCHMARK_CAPTURE(OpenSSL, rc2_cbc_encrypt, "rc2-cbc", false);
BENCHMARK_CAPTURE(Ours, rc2_cbc_decrypt, "rc2-cbc", true);
BENCHMARK_CAPTURE(OpenSSL, rc2_cbc_decrypt, "rc2-cbc", true);

BENCHMARK_MAIN();
