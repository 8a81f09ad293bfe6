#include "vaultcore/crypto/triple_des_algorithm.h"

#include <cstring>

#include "vaultcore/crypto/des_core.h"
#include "vaultcore/crypto/secure_zero.h"

CTripleDESAlgorithm::CTripleDESAlgorithm(const CTripleDESkey& key, int mode, const unsigned char* iv)
    : CDESAlgorithm(mode, iv)
{
    unsigned char k[24] = {0};
    std::memcpy(k, key.Data(), key.Size() < 24 ? key.Size() : 24);
    des_core::keySchedule(k, m_encryptKeys, m_decryptKeys);
    des_core::keySchedule(k + 8, m_encryptKeys2, m_decryptKeys2);
    des_core::keySchedule(k + 16, m_encryptKeys3, m_decryptKeys3);
    vcSecureZero(k, sizeof k);
}

CTripleDESAlgorithm::~CTripleDESAlgorithm()
{
    vcSecureZero(m_encryptKeys2, sizeof m_encryptKeys2);
    vcSecureZero(m_decryptKeys2, sizeof m_decryptKeys2);
    vcSecureZero(m_encryptKeys3, sizeof m_encryptKeys3);
    vcSecureZero(m_decryptKeys3, sizeof m_decryptKeys3);
}

// The permutations between the three passes cancel out, so only the first
// initial and the last final permutation are applied.
void CTripleDESAlgorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    DWORD l = des_core::loadBE(in), r = des_core::loadBE(in + 4);
    des_core::initialPermutation(l, r);
    des_core::rounds(l, r, m_encryptKeys);
    des_core::rounds(l, r, m_decryptKeys2);
    des_core::rounds(l, r, m_encryptKeys3);
    des_core::finalPermutation(l, r);
    des_core::storeBE(out, l);
    des_core::storeBE(out + 4, r);
}

void CTripleDESAlgorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    DWORD l = des_core::loadBE(in), r = des_core::loadBE(in + 4);
    des_core::initialPermutation(l, r);
    des_core::rounds(l, r, m_decryptKeys3);
    des_core::rounds(l, r, m_encryptKeys2);
    des_core::rounds(l, r, m_decryptKeys);
    des_core::finalPermutation(l, r);
    des_core::storeBE(out, l);
    des_core::storeBE(out + 4, r);
}
