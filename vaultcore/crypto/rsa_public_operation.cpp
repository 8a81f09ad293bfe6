#include "vaultcore/crypto/rsa_public_operation.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/huge_digit.h"
#include "vaultcore/crypto/prepared_operation.h"

namespace {

// -1, 0, 1 comparing n-limb a and b.
int compareLimbs(const uint64_t* a, const uint64_t* b, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace

RsaPublicOperation::RsaPublicOperation(const CRSAPublicKey& key)
    : m_mulx(g_montgomeryMulxAllowed.load(std::memory_order_relaxed))
{
    std::memcpy(m_modulusField, key.GetModulus(), sizeof m_modulusField);
    std::memcpy(m_exponentField, key.GetExponent(), sizeof m_exponentField);
    limbsFromBigEndian(m_n, kLimbs, m_modulusField, sizeof m_modulusField);
    limbsFromBigEndian(m_e, kLimbs, m_exponentField, sizeof m_exponentField);
    m_nLimbs = (limbsBitLength(m_n, kLimbs) + 63) / 64;
    m_eOdd = (m_e[0] & 1) != 0;
    m_e[0] &= ~(uint64_t)m_eOdd;
    m_eBits = limbsBitLength(m_e, kLimbs);
    if ((m_n[0] & 1) && limbsBitLength(m_n, kLimbs) > 32)
        m_montgomery.emplace(m_n, m_nLimbs, kPublic);
}

bool RsaPublicOperation::matches(const CRSAPublicKey& key) const
{
    return m_mulx == g_montgomeryMulxAllowed.load(std::memory_order_relaxed) &&
           std::memcmp(m_modulusField, key.GetModulus(), sizeof m_modulusField) == 0 &&
           std::memcmp(m_exponentField, key.GetExponent(), sizeof m_exponentField) == 0;
}

void RsaPublicOperation::power(uint64_t* y, const uint64_t* x) const
{
    std::memset(y, 0, kLimbs * sizeof(uint64_t));
    if (!m_montgomery) {
        CHugeDigit base, exponent, modulus;
        hugeDigitFromLimbs(base, x, kLimbs);
        hugeDigitFromLimbs(exponent, m_e, kLimbs);
        if (m_eOdd)
            exponent = Add(exponent, CHugeDigit(1ul));
        hugeDigitFromLimbs(modulus, m_n, kLimbs);
        limbsFromHugeDigit(y, kLimbs, ModPower(base, exponent, modulus));
        return;
    }
    const MontgomeryModulus& mod = *m_montgomery;
    uint64_t base[kLimbs] = {}, acc[kLimbs];
    // x = n is x = 0.
    if (compareLimbs(x, m_n, kLimbs) != 0)
        std::memcpy(base, x, sizeof base);
    mod.toMontgomery(acc, base);
    mod.power(acc, acc, m_e, kLimbs, m_eBits);
    if (m_eOdd)
        mod.multiply(y, acc, base);
    else
        mod.fromMontgomery(y, acc);
}

void RsaPublicOperation::run(const CRSAPublicKey& key, std::shared_ptr<const RsaPublicOperation>& prepared,
                             const unsigned char* in, unsigned long size, unsigned char* out, const char* failure)
{
    while (size > CRSAPublicKey::kFieldSize && *in == 0) {
        ++in;
        --size;
    }
    if (size > CRSAPublicKey::kFieldSize)
        AfxThrowUnlockException("%s", failure);
    const std::shared_ptr<const RsaPublicOperation> operation = preparedOperation(key, prepared);
    uint64_t x[kLimbs], y[kLimbs];
    limbsFromBigEndian(x, kLimbs, in, size);
    if (operation->m_nLimbs == 0 || compareLimbs(x, operation->m_n, kLimbs) > 0)
        AfxThrowUnlockException("%s", failure);
    operation->power(y, x);
    bigEndianFromLimbs(out, key.RsaOutputSize(), y, kLimbs);
}
