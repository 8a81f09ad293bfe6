#include "vaultcore/crypto/rc5_algorithm.h"

#include <algorithm>
#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/secure_zero.h"

namespace {

// The magic constants Pw = Odd((e - 2) * 2^w) and Qw = Odd((phi - 1) * 2^w).
template <class W>
struct Magic;
template <>
struct Magic<uint8_t> {
    static constexpr uint8_t P = 0xB7, Q = 0x9F;
};
template <>
struct Magic<uint16_t> {
    static constexpr uint16_t P = 0xB7E1, Q = 0x9E37;
};
template <>
struct Magic<uint32_t> {
    static constexpr uint32_t P = 0xB7E15163, Q = 0x9E3779B9;
};
template <>
struct Magic<uint64_t> {
    static constexpr uint64_t P = 0xB7E151628AED2A6BULL, Q = 0x9E3779B97F4A7C15ULL;
};

template <class W>
inline W rotl(W x, uint64_t s)
{
    const unsigned bits = 8 * sizeof(W);
    const unsigned n = (unsigned)(s & (bits - 1));
    return n ? (W)((W)(x << n) | (W)(x >> (bits - n))) : x;
}

template <class W>
inline W rotr(W x, uint64_t s)
{
    const unsigned bits = 8 * sizeof(W);
    const unsigned n = (unsigned)(s & (bits - 1));
    return n ? (W)((W)(x >> n) | (W)(x << (bits - n))) : x;
}

template <class W>
inline W load(const unsigned char* p)
{
    W v = 0;
    for (int i = (int)sizeof(W) - 1; i >= 0; --i)
        v = (W)((v << 8) | p[i]);
    return v;
}

template <class W>
inline void store(unsigned char* p, W v)
{
    for (size_t i = 0; i < sizeof(W); ++i, v = (W)(v >> 8))
        p[i] = (unsigned char)v;
}

template <class W>
void expand(const unsigned char* key, unsigned long b, unsigned long rounds, std::vector<uint64_t>& out)
{
    const unsigned long u = sizeof(W);
    const unsigned long c = b ? (b + u - 1) / u : 1;
    const unsigned long t = 2 * rounds + 2;
    std::vector<W> L(c, 0);
    for (unsigned long i = b; i-- > 0;)
        L[i / u] = (W)((W)(L[i / u] << 8) + key[i]);
    std::vector<W> S(t);
    S[0] = Magic<W>::P;
    for (unsigned long i = 1; i < t; ++i)
        S[i] = (W)(S[i - 1] + Magic<W>::Q);
    W A = 0, B = 0;
    unsigned long i = 0, j = 0;
    for (unsigned long k = 0; k < 3 * std::max(t, c); ++k) {
        A = S[i] = rotl<W>((W)(S[i] + A + B), 3);
        B = L[j] = rotl<W>((W)(L[j] + A + B), (uint64_t)(W)(A + B));
        i = (i + 1) % t;
        j = (j + 1) % c;
    }
    out.assign(S.begin(), S.end());
    vcSecureZero(L.data(), L.size() * sizeof L[0]);
    vcSecureZero(S.data(), S.size() * sizeof S[0]);
}

template <class W>
void encryptBlock(const std::vector<uint64_t>& S, unsigned long rounds, const unsigned char* in, unsigned char* out)
{
    W A = (W)(load<W>(in) + (W)S[0]);
    W B = (W)(load<W>(in + sizeof(W)) + (W)S[1]);
    for (unsigned long k = 1; k <= rounds; ++k) {
        A = (W)(rotl<W>((W)(A ^ B), B) + (W)S[2 * k]);
        B = (W)(rotl<W>((W)(B ^ A), A) + (W)S[2 * k + 1]);
    }
    store<W>(out, A);
    store<W>(out + sizeof(W), B);
}

template <class W>
void decryptBlock(const std::vector<uint64_t>& S, unsigned long rounds, const unsigned char* in, unsigned char* out)
{
    W A = load<W>(in);
    W B = load<W>(in + sizeof(W));
    for (unsigned long k = rounds; k >= 1; --k) {
        B = (W)(rotr<W>((W)(B - (W)S[2 * k + 1]), A) ^ A);
        A = (W)(rotr<W>((W)(A - (W)S[2 * k]), B) ^ B);
    }
    store<W>(out, (W)(A - (W)S[0]));
    store<W>(out + sizeof(W), (W)(B - (W)S[1]));
}

unsigned long sanitizedBlockSize(unsigned long blockSize)
{
    return CRC5PadAlgorithm::IsValidBlockSize(blockSize) ? blockSize : 8;
}

}  // namespace

CRC5PadAlgorithm::CRC5PadAlgorithm(const CRC5key& key, unsigned long rounds, unsigned long blockSize, int mode,
                                   const unsigned char* iv)
    : CCryptoProcessor(sanitizedBlockSize(blockSize), mode, iv), m_dwRounds((DWORD)rounds)
{
    if (!IsValidBlockSize(blockSize))
        AfxThrowUnlockException("CRC5PadAlgorithm - invalid block size %d!", (int)blockSize);
    if (!IsValidRounds(rounds))
        AfxThrowUnlockException("CRC5PadAlgorithm - invalid number of rounds %d!", (int)rounds);
    // The key length is limited to 255 bytes like the key's own check.
    const unsigned long b = std::min<unsigned long>(key.Size(), 255);
    switch (blockSize) {
    case 2:
        expand<uint8_t>(key.Data(), b, rounds, m_S);
        m_encrypt = encryptBlock<uint8_t>;
        m_decrypt = decryptBlock<uint8_t>;
        break;
    case 4:
        expand<uint16_t>(key.Data(), b, rounds, m_S);
        m_encrypt = encryptBlock<uint16_t>;
        m_decrypt = decryptBlock<uint16_t>;
        break;
    case 8:
        expand<uint32_t>(key.Data(), b, rounds, m_S);
        m_encrypt = encryptBlock<uint32_t>;
        m_decrypt = decryptBlock<uint32_t>;
        break;
    default:
        expand<uint64_t>(key.Data(), b, rounds, m_S);
        m_encrypt = encryptBlock<uint64_t>;
        m_decrypt = decryptBlock<uint64_t>;
        break;
    }
}

CRC5PadAlgorithm::~CRC5PadAlgorithm()
{
    vcSecureZero(m_S.data(), m_S.size() * sizeof m_S[0]);
}

void CRC5PadAlgorithm::EncipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    m_encrypt(m_S, m_dwRounds, in, out);
}

void CRC5PadAlgorithm::DecipherAlgorithm(const unsigned char* in, unsigned char* out)
{
    m_decrypt(m_S, m_dwRounds, in, out);
}

CRC5Algorithm::CRC5Algorithm(const CRC5key& key, unsigned long rounds, unsigned long blockSize, int mode,
                             const unsigned char* iv)
    : CRC5PadAlgorithm(key, rounds, blockSize, mode, iv)
{
}

unsigned long CRC5Algorithm::EncryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                          CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    if (n % b != 0)
        AfxThrowUnlockException("CRC5Algorithm::EncryptFinal - in_size is not multiple of m_block_size!\n"
                                "in_size = %d, m_block_size = %d, (in_size %% m_block_size) = %d!",
                                (int)n, (int)b, (int)(n % b));
    EncryptBlock(in, n, out, progress);
    return n;
}

unsigned long CRC5Algorithm::DecryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                          CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    if (n == 0)
        AfxThrowUnlockException("CRC5Algorithm::DecryptFinal - in_size = 0!");
    if (n % b != 0)
        AfxThrowUnlockException("CRC5Algorithm::DecryptFinal - in_size is not multiple of m_block_size!\n"
                                "in_size = %d, m_block_size = %d, (in_size %% m_block_size) = %d!",
                                (int)n, (int)b, (int)(n % b));
    DecryptBlock(in, n, out, progress);
    return n;
}

void CRC5Algorithm::CheckPlaintextSize(unsigned long n)
{
    const unsigned long b = m_dwBlockSize;
    if (n % b != 0)
        AfxThrowUnlockException(
            "CRC5Algorithm::CheckPlaintextSize - in_size = %d, m_block_size = %d, (in_size %% m_block_size) = %d!",
            (int)n, (int)b, (int)(n % b));
}
