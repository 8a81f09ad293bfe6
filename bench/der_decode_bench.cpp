// Decoding a certificate: the generic DER decoder over the sample
// certificate against OpenSSL's d2i_X509 on the same octets.
#include <benchmark/benchmark.h>
#include <openssl/x509.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "vaultcore/vaultcore.h"

namespace {

const std::vector<unsigned char>& certificate()
{
    static const std::vector<unsigned char> bytes = [] {
        std::ifstream in(VC_SOURCE_DIR "/tests/data/der/sample_cert.der", std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

void BM_GenericDecode(benchmark::State& state)
{
    const std::vector<unsigned char>& der = certificate();
    for (auto _ : state) {
        CDEREncoding* encoding =
            new CDEREncoding(TRUE, const_cast<unsigned char*>(der.data()), der.size(), FALSE, FALSE);
        encoding->AddRef();
        std::unique_ptr<CASN1Type> value(___buildFromEncoding(*encoding));
        benchmark::DoNotOptimize(value.get());
        value.reset();
        encoding->Release();
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)der.size());
}
BENCHMARK(BM_GenericDecode);

void BM_OpenSSL_d2i_X509(benchmark::State& state)
{
    const std::vector<unsigned char>& der = certificate();
    for (auto _ : state) {
        const unsigned char* p = der.data();
        X509* x509 = d2i_X509(nullptr, &p, (long)der.size());
        benchmark::DoNotOptimize(x509);
        X509_free(x509);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)der.size());
}
BENCHMARK(BM_OpenSSL_d2i_X509);

}  // namespace

BENCHMARK_MAIN();
