// Certificates beside OpenSSL's libcrypto, on the same bytes: reading an
// 832-octet version 3 certificate (our generic decode, validation and
// conversion into the record with the SHA-1 digest of the signed part,
// against d2i_X509, which also digests the certificate while it caches its
// extensions), and verifying its 2048-bit SHA-1 signature against the
// issuer's key (CCertificate::IsSignatureOKFor against X509_verify).
#include <benchmark/benchmark.h>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vaultcore/pki/scoped_encoding.h"
#include "vaultcore/vaultcore.h"

namespace {

std::vector<unsigned char> testCertificate(const char* name)
{
    const std::string path = std::string(VC_SOURCE_DIR) + "/tests/data/x509/" + name;
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const std::vector<unsigned char>& endEntity()
{
    static const std::vector<unsigned char> der = testCertificate("ee_1024_sha1.der");  // signed by a 2048-bit CA
    return der;
}

const std::vector<unsigned char>& issuer()
{
    static const std::vector<unsigned char> der = testCertificate("ca_2048_sha1.der");
    return der;
}

void readCertificate(const std::vector<unsigned char>& der, CCertificate& record)
{
    CScopedEncoding encoding(der.data(), (unsigned long)der.size());
    CASN1_Certificate asn1(*encoding);
    asn1.SetDataTo(record);
}

void Ours_DecodeCertificate(benchmark::State& state)
{
    const std::vector<unsigned char>& der = endEntity();
    CCertificate record;
    for (auto _ : state) {
        readCertificate(der, record);
        benchmark::DoNotOptimize(record.m_cachedSHA1Digest);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)der.size());
}

// The three steps on their own.
void Ours_DecodeOnly(benchmark::State& state)
{
    const std::vector<unsigned char>& der = endEntity();
    for (auto _ : state) {
        CScopedEncoding encoding(der.data(), (unsigned long)der.size());
        CASN1_Certificate asn1;
        asn1.decodeFrom(*encoding);
        benchmark::DoNotOptimize(asn1.getComponentCount());
    }
}

void Ours_ValidateOnly(benchmark::State& state)
{
    const std::vector<unsigned char>& der = endEntity();
    CScopedEncoding encoding(der.data(), (unsigned long)der.size());
    CASN1_Certificate asn1;
    asn1.decodeFrom(*encoding);
    for (auto _ : state)
        benchmark::DoNotOptimize(CASN1_Certificate::isValid(&asn1, 0));
}

void Ours_ConvertOnly(benchmark::State& state)
{
    const std::vector<unsigned char>& der = endEntity();
    CScopedEncoding encoding(der.data(), (unsigned long)der.size());
    CASN1_Certificate asn1(*encoding);
    CCertificate record;
    for (auto _ : state) {
        asn1.SetDataTo(record);
        benchmark::DoNotOptimize(record.m_cachedSHA1Digest);
    }
}

void OpenSSL_d2i_X509(benchmark::State& state)
{
    const std::vector<unsigned char>& der = endEntity();
    for (auto _ : state) {
        const unsigned char* p = der.data();
        X509* x = d2i_X509(nullptr, &p, (long)der.size());
        benchmark::DoNotOptimize(x);
        X509_free(x);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)der.size());
}

void Ours_Verify2048(benchmark::State& state)
{
    CCertificate certificate, ca;
    readCertificate(endEntity(), certificate);
    readCertificate(issuer(), ca);
    CRSAPublicKey key;
    ca.SetDataTo(key);
    for (auto _ : state)
        benchmark::DoNotOptimize(certificate.IsSignatureOKFor(key));
}

// The usual call: the issuer's certificate given, its key made for each
// verification (and the operation prepared for it each time).
void Ours_Verify2048ByIssuerCertificate(benchmark::State& state)
{
    CCertificate certificate, ca;
    readCertificate(endEntity(), certificate);
    readCertificate(issuer(), ca);
    for (auto _ : state)
        benchmark::DoNotOptimize(certificate.IsSignatureOKFor(ca));
}

void OpenSSL_X509_verify2048(benchmark::State& state)
{
    const unsigned char* p = endEntity().data();
    X509* certificate = d2i_X509(nullptr, &p, (long)endEntity().size());
    p = issuer().data();
    X509* ca = d2i_X509(nullptr, &p, (long)issuer().size());
    EVP_PKEY* key = X509_get0_pubkey(ca);
    for (auto _ : state)
        benchmark::DoNotOptimize(X509_verify(certificate, key));
    X509_free(ca);
    X509_free(certificate);
}

}  // namespace

BENCHMARK(Ours_DecodeCertificate)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenSSL_d2i_X509)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_DecodeOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_ValidateOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_ConvertOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_Verify2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_Verify2048ByIssuerCertificate)->Unit(benchmark::kMicrosecond);
BENCHMARK(OpenSSL_X509_verify2048)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
