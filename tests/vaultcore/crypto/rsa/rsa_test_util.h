#pragma once
// Helpers of the RSA tests: keys made by openssl genrsa, read into our key
// classes through libcrypto, and files for the openssl command.
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#ifdef VC_HAVE_OPENSSL
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#endif

#include "vaultcore/vaultcore.h"

using Bytes = std::vector<unsigned char>;

inline std::string hexOf(const unsigned char* p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline std::string hexOf(const Bytes& b)
{
    return hexOf(b.data(), b.size());
}

inline std::string hexOf(const CByteArray& b)
{
    return hexOf(b.GetData(), (size_t)b.GetSize());
}

inline void writeBytes(const std::string& path, const unsigned char* p, size_t n)
{
    std::ofstream out(path, std::ios::binary);
    out.write((const char*)p, (std::streamsize)n);
}

inline Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool run(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/vc_rsaXXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf " + m_path).c_str()); }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

#ifdef VC_HAVE_OPENSSL
inline Bytes bnBytes(EVP_PKEY* key, const char* name)
{
    BIGNUM* bn = nullptr;
    if (!EVP_PKEY_get_bn_param(key, name, &bn))
        return Bytes();
    Bytes out((size_t)BN_num_bytes(bn));
    BN_bn2bin(bn, out.data());
    BN_free(bn);
    return out;
}

// Reads a PEM private key written by openssl into key; false on failure.
inline bool loadOpensslKey(const std::string& pemPath, CRSAPrivateKey& key)
{
    FILE* f = std::fopen(pemPath.c_str(), "r");
    if (!f)
        return false;
    EVP_PKEY* pkey = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    if (!pkey)
        return false;
    const Bytes n = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_N), e = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_E),
                d = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_D), p = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_FACTOR1),
                q = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_FACTOR2), dp = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_EXPONENT1),
                dq = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_EXPONENT2),
                qi = bnBytes(pkey, OSSL_PKEY_PARAM_RSA_COEFFICIENT1);
    const int bits = EVP_PKEY_get_bits(pkey);
    EVP_PKEY_free(pkey);
    return key.SetPublicKey((unsigned short)bits, n.data(), n.size(), e.data(), e.size()) &&
           key.SetPrivateKey(d.data(), d.size(), p.data(), p.size(), q.data(), q.size(), dp.data(), dp.size(),
                             dq.data(), dq.size(), qi.data(), qi.size());
}

#endif

template <class F>
bool throwsUnlock(F f)
{
    try {
        f();
    } catch (CUnlockException* e) {
        e->Delete();
        return true;
    }
    return false;
}
