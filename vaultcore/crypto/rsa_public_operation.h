#pragma once
// The RSA public-key operation, y = x^e mod n, prepared for one key: the
// Montgomery constants of n and e as limbs, derived once from the key's
// fields and kept with the key (CRSAPublicKey holds it). Library-internal.
//
// Kept and shared as prepared_operation.h describes.
#include <cstdint>
#include <memory>
#include <optional>

#include "vaultcore/crypto/montgomery.h"
#include "vaultcore/crypto/rsa_public_key.h"

class RsaPublicOperation {
public:
    // Whether the key's fields are those this operation was made from (and
    // the Montgomery rows chosen then are still allowed).
    bool matches(const CRSAPublicKey& key) const;

    // out = in^e mod n as k bytes, for the big-endian number in of `size`
    // bytes. Throws CUnlockException with `failure` on a number above n
    // (bytes in front of the last 256 must be zero) or a zero modulus.
    // `prepared` is the key's own slot: an operation made for other fields
    // is replaced by one for the key's.
    static void run(const CRSAPublicKey& key, std::shared_ptr<const RsaPublicOperation>& prepared,
                    const unsigned char* in, unsigned long size, unsigned char* out, const char* failure);

    explicit RsaPublicOperation(const CRSAPublicKey& key);
    RsaPublicOperation(const RsaPublicOperation&) = delete;
    RsaPublicOperation& operator=(const RsaPublicOperation&) = delete;

private:
    enum { kLimbs = CRSAPublicKey::kFieldSize / 8 };

    // y = x^e mod n for x <= n.
    void power(uint64_t* y, const uint64_t* x) const;

    unsigned char m_modulusField[CRSAPublicKey::kFieldSize];
    unsigned char m_exponentField[CRSAPublicKey::kFieldSize];
    bool m_mulx;
    uint64_t m_n[kLimbs];
    int m_nLimbs;  // significant limbs of n; 0 for a zero modulus
    // e, or e - 1 for an odd e: the last factor x then also takes the
    // result out of the Montgomery form.
    uint64_t m_e[kLimbs];
    int m_eBits;
    bool m_eOdd;
    // For an odd n above 2^32; the others take the generic power.
    std::optional<MontgomeryModulus> m_montgomery;
};
