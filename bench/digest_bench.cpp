// Digest throughput of MD5, SHA-1 and MD2 against OpenSSL's libcrypto on
// the same buffers in the same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <vector>

#include "vaultcore/vaultcore.h"

namespace {
std::vector<unsigned char> input(size_t n)
{
    std::vector<unsigned char> data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = (unsigned char)(i * 131 + 7);
    return data;
}

template <class Maker>
void ours(benchmark::State& state)
{
    std::vector<unsigned char> data = input((size_t)state.range(0));
    unsigned char out[20];
    for (auto _ : state) {
        Maker maker;
        maker.UpdateBlock(data.data(), (int)data.size(), nullptr, 1, 1);
        maker.GetCurrentDigest(out);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}

void openssl(benchmark::State& state, const EVP_MD* md)
{
    std::vector<unsigned char> data = input((size_t)state.range(0));
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, md, nullptr);
        EVP_DigestUpdate(ctx, data.data(), data.size());
        EVP_DigestFinal_ex(ctx, out, &length);
        benchmark::DoNotOptimize(out);
    }
    EVP_MD_CTX_free(ctx);
    state.SetBytesProcessed((int64_t)state.iterations() * state.range(0));
}

void BM_MD5_vaultcore(benchmark::State& state)
{
    ours<CMD5DigestMaker>(state);
}
void BM_MD5_openssl(benchmark::State& state)
{
    openssl(state, EVP_md5());
}
void BM_SHA1_vaultcore(benchmark::State& state)
{
    ours<CSHA1DigestMaker>(state);
}
void BM_SHA1_vaultcore_portable(benchmark::State& state)
{
    BOOL old = CSHA1DigestMaker::AllowShaInstructions(FALSE);
    ours<CSHA1DigestMaker>(state);
    CSHA1DigestMaker::AllowShaInstructions(old);
}
void BM_SHA1_openssl(benchmark::State& state)
{
    openssl(state, EVP_sha1());
}
void BM_MD2_vaultcore(benchmark::State& state)
{
    ours<CMD2DigestMaker>(state);
}
}  // namespace

BENCHMARK(BM_MD5_vaultcore)->Arg(1 << 20)->Arg(1024);
BENCHMARK(BM_MD5_openssl)->Arg(1 << 20)->Arg(1024);
BENCHMARK(BM_SHA1_vaultcore)->Arg(1 << 20)->Arg(1024);
BENCHMARK(BM_SHA1_vaultcore_portable)->Arg(1 << 20);
BENCHMARK(BM_SHA1_openssl)->Arg(1 << 20)->Arg(1024);
BENCHMARK(BM_MD2_vaultcore)->Arg(1 << 16);

BENCHMARK_MAIN();
