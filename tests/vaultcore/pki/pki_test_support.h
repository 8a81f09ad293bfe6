#pragma once
// Helpers of the certificate tests: the test data folder, certificates
// decoded into records, and PKCS #1 private keys read from openssl's PEM.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "support/der_helpers.h"
#include "support/shell_command.h"
#include "vaultcore/vaultcore.h"

inline std::string x509Data(const std::string& name)
{
    return std::string(VC_TEST_DATA) + "/x509/" + name;
}

// Decodes, validates and converts; the decoding exception propagates.
inline CCertificate certificateOf(const Bytes& der)
{
    EncodingOf encoding(der);
    CASN1_Certificate asn1(*encoding);
    CCertificate record;
    asn1.SetDataTo(record);
    return record;
}

inline Bytes derOf(const CCertificate& record)
{
    CByteArray bytes;
    CASN1_Certificate(record).encodeTo(bytes);
    return Bytes(bytes.GetData(), bytes.GetData() + bytes.GetSize());
}

// The DER inside PEM armour (the first block).
inline Bytes pemBody(const std::string& pem)
{
    const std::string begin = "-----BEGIN", end = "-----END";
    size_t from = pem.find('\n', pem.find(begin)) + 1, to = pem.find(end);
    Bytes out;
    unsigned value = 0;
    int bits = 0;
    for (size_t i = from; i < to; ++i) {
        const char c = pem[i];
        int digit = c >= 'A' && c <= 'Z' ? c - 'A' : c >= 'a' && c <= 'z' ? c - 'a' + 26
                  : c >= '0' && c <= '9' ? c - '0' + 52 : c == '+' ? 62 : c == '/' ? 63 : -1;
        if (digit < 0)
            continue;
        value = (value << 6) | (unsigned)digit;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back((unsigned char)(value >> bits));
        }
    }
    return out;
}

// RSAPrivateKey ::= SEQUENCE { version, n, e, d, p, q, dP, dQ, qInv } (RFC 8017 A.1.2)
inline CRSAPrivateKey privateKeyOf(const Bytes& der)
{
    std::unique_ptr<CASN1Type> decoded = decodeGeneric(der);
    auto& sequence = dynamic_cast<CASN1_CONSTRUCTED_TYPE&>(*decoded);
    auto number = [&](int i) { return static_cast<CASN1_INTEGER*>(sequence.getComponentAt(i)); };
    CRSAPrivateKey key;
    unsigned char modulus[256];
    ___placeRightAligned(modulus, 256, number(1)->contentsData(), number(1)->contentsLength());
    EXPECT_TRUE(key.SetPublicKey(___countBits(modulus, 256), number(1)->contentsData(), number(1)->contentsLength(),
                                 number(2)->contentsData(), number(2)->contentsLength()));
    EXPECT_TRUE(key.SetPrivateKey(number(3)->contentsData(), number(3)->contentsLength(), number(4)->contentsData(),
                                  number(4)->contentsLength(), number(5)->contentsData(), number(5)->contentsLength(),
                                  number(6)->contentsData(), number(6)->contentsLength(), number(7)->contentsData(),
                                  number(7)->contentsLength(), number(8)->contentsData(), number(8)->contentsLength()));
    return key;
}

inline CRSAPrivateKey privateKeyFile(const std::string& path)
{
    Bytes pem = readFileBytes(path);
    return privateKeyOf(pemBody(std::string(pem.begin(), pem.end())));
}

inline void writeFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

// A certification request's signature checked with the key it carries, as
// a host does (SHA-1 with RSA).
inline bool requestSignatureVerifies(const CASN1_CertificationRequest& request)
{
    const CASN1_CertificationRequestInfo& info = request.get_certificationRequestInfo();
    CRSAPublicKey key;
    info.get_subjectPublicKeyInfo().SetDataTo(key);
    unsigned char expected[20], unlocked[20];
    ___digestOfEncoding(info, eSHA1, expected);
    CByteArray signature;
    request.get_signature().GetClearData(signature, TRUE);
    key.UnlockDigest(eSHA1, signature, unlocked, (unsigned short)request.get_signature().m_dwBits);
    return std::memcmp(expected, unlocked, 20) == 0;
}
