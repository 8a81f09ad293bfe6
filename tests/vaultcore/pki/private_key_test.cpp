// PKCS #1 private keys at the size limits (openssl's keys: the interop
// tests).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vaultcore/pki/pki_test_support.h"

namespace {

// Identifier, DER length and contents.
Bytes tlv(unsigned char tag, const Bytes& contents)
{
    Bytes out = {tag};
    const size_t n = contents.size();
    if (n < 0x80) {
        out.push_back((unsigned char)n);
    } else if (n < 0x100) {
        out.insert(out.end(), {0x81, (unsigned char)n});
    } else {
        out.insert(out.end(), {0x82, (unsigned char)(n >> 8), (unsigned char)n});
    }
    out.insert(out.end(), contents.begin(), contents.end());
    return out;
}

// An RSAPrivateKey of nine INTEGERs with the given numbers of clear octets
// (0x11 each), the version first.
Bytes keyOfSizes(const std::vector<size_t>& sizes, unsigned char version = 0)
{
    Bytes body = tlv(0x02, {version});
    for (size_t n : sizes) {
        const Bytes number = tlv(0x02, Bytes(n, 0x11));
        body.insert(body.end(), number.begin(), number.end());
    }
    return tlv(0x30, body);
}

const std::vector<size_t> kFitting = {256, 3, 256, 128, 128, 128, 128, 128};

CRSAPrivateKey keyOf(const Bytes& der)
{
    EncodingOf encoding(der);
    CRSAPrivateKey key;
    CASN1_PrivateKey(*encoding).SetDataTo(key);
    return key;
}

bool sameKey(const CRSAPrivateKey& a, const CRSAPrivateKey& b)
{
    return a.GetBits() == b.GetBits() && std::memcmp(a.GetModulus(), b.GetModulus(), 256) == 0 &&
           std::memcmp(a.GetPrivateExponent(), b.GetPrivateExponent(), 256) == 0 &&
           std::memcmp(a.GetCoefficient(), b.GetCoefficient(), 128) == 0;
}

TEST(PrivateKey, SizeLimits)
{
    auto with = [](size_t index, size_t n) {
        std::vector<size_t> sizes = kFitting;
        sizes[index] = n;
        return sizes;
    };
    const struct {
        const char* reason;
        Bytes der;
        bool valid;
        const char* conversion;  // the message of SetDataTo without validation
    } cases[] = {
        {"2048-bit numbers", keyOfSizes(kFitting), true, ""},
        {"modulus of 257 octets", keyOfSizes(with(0, 257)), true, "PribvateKey contents is not valid (invalid modulus)"},
        {"modulus of 258 octets", keyOfSizes(with(0, 258)), false, "PribvateKey contents is not valid (invalid modulus)"},
        {"public exponent of 257", keyOfSizes(with(1, 257)), true, "PrivateKey contents is not valid (invalid public exponent)"},
        {"private exponent of 257", keyOfSizes(with(2, 257)), true, "PrivateKey contents is not valid (invalid private exponent)"},
        {"prime1 of 130", keyOfSizes(with(3, 130)), false, "PrivateKey contents is not valid (invalid p)"},
        {"prime2 of 129", keyOfSizes(with(4, 129)), true, "PrivateKey contents is not valid (invalid q)"},
        {"exponent1 of 129", keyOfSizes(with(5, 129)), true, "PrivateKey contents is not valid (invalid d mod (p - 1))"},
        {"exponent2 of 129", keyOfSizes(with(6, 129)), true, "PrivateKey contents is not valid (invalid d mod (q - 1))"},
        {"coefficient of 129", keyOfSizes(with(7, 129)), true,
         "PrivateKey contents is not valid (invalid (inverse of q) mod p)"},
        {"version 1", keyOfSizes(kFitting, 1), false, ""},
        {"eight numbers", keyOfSizes({256, 3, 256, 128, 128, 128, 128}), false,
         "PrivateKey contents is not valid (invalid (inverse of q) mod p)"},
        {"ten numbers (other primes)", keyOfSizes({256, 3, 256, 128, 128, 128, 128, 128, 1}), false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::unique_ptr<CASN1Type> generic = decodeGeneric(c.der);
        ASSERT_TRUE(generic);
        EXPECT_EQ(CASN1_PrivateKey::isValid(generic.get(), 0) != 0, c.valid);
        // Converted without validation, a number that does not fit names
        // itself, and the key is left as it was.
        EncodingOf encoding(c.der);
        CASN1_PrivateKey unchecked;
        unchecked.decodeFrom(*encoding);
        CRSAPrivateKey key = keyOf(keyOfSizes(kFitting)), before = key;
        EXPECT_EQ(decodingFailure([&] { unchecked.SetDataTo(key); }), c.conversion);
        if (*c.conversion) {
            EXPECT_TRUE(sameKey(key, before));
        }
    }
    EXPECT_EQ(keyOf(keyOfSizes(kFitting)).GetBits(), 2045);  // 0x11 leads: three zero bits
}

}  // namespace
