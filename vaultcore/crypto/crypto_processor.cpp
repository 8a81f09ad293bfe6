#include "vaultcore/crypto/crypto_processor.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/progress.h"
#include "vaultcore/crypto/secure_zero.h"

CCryptoProcessor::CCryptoProcessor(unsigned long blockSize, int mode, const unsigned char* iv)
    : m_nMode(mode), m_dwBlockSize((DWORD)blockSize)
{
    std::memset(m_feedback, 0, sizeof m_feedback);
    if (mode == 0) {
        m_initialVector.SetSize((int)blockSize);
        if (iv)
            std::memcpy(m_initialVector.GetData(), iv, blockSize);
        m_encryptChain.Copy(m_initialVector);
        m_decryptChain.Copy(m_initialVector);
    }
}

CCryptoProcessor::~CCryptoProcessor()
{
    vcSecureZero(m_initialVector);
    vcSecureZero(m_encryptChain);
    vcSecureZero(m_decryptChain);
    vcSecureZero(m_feedback, sizeof m_feedback);
}

unsigned long CCryptoProcessor::EncrFinalOutMaxSize(unsigned long n)
{
    return n - n % m_dwBlockSize + m_dwBlockSize;
}

unsigned long CCryptoProcessor::DecrFinalOutMaxSize(unsigned long n)
{
    return n ? n - 1 : 0;
}

unsigned long CCryptoProcessor::CountHints(unsigned long n, int final)
{
    return final ? (n + m_dwBlockSize) / m_dwBlockSize : n / m_dwBlockSize;
}

void CCryptoProcessor::CheckCiphertextSize(unsigned long n)
{
    if (n == 0 || n % m_dwBlockSize != 0)
        AfxThrowUnlockException(
            "CheckCiphertextSize - in_size = %d, m_block_size = %d, (in_size %% m_block_size) = %d!", (int)n,
            (int)m_dwBlockSize, (int)(n % m_dwBlockSize));
}

void CCryptoProcessor::CheckPlaintextSize(unsigned long)
{
}

void CCryptoProcessor::ResetEncryptionContext()
{
    m_encryptChain.Copy(m_initialVector);
}

void CCryptoProcessor::ResetDecryptionContext()
{
    m_decryptChain.Copy(m_initialVector);
}

void CCryptoProcessor::EncryptBlock(const unsigned char* in, unsigned long n, unsigned char* out,
                                    CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    unsigned char work[kMaxBlockSize];
    unsigned char cipher[kMaxBlockSize];
    for (unsigned long i = 0; i + b <= n; i += b) {
        if (m_nMode) {
            EncipherAlgorithm(in + i, out + i);
        } else {
            EncryptPreProcess(in + i, work, m_encryptChain.GetData());
            EncipherAlgorithm(work, cipher);
            EncryptPostProcess(cipher, out + i, m_encryptChain.GetData());
        }
        if (progress)
            progress->Hint(1);
    }
}

void CCryptoProcessor::DecryptBlock(const unsigned char* in, unsigned long n, unsigned char* out,
                                    CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    unsigned char work[kMaxBlockSize];
    unsigned char plain[kMaxBlockSize];
    for (unsigned long i = 0; i + b <= n; i += b) {
        if (m_nMode) {
            DecipherAlgorithm(in + i, out + i);
        } else {
            DecryptPreProcess(in + i, work, m_decryptChain.GetData());
            DecipherAlgorithm(work, plain);
            DecryptPostProcess(plain, out + i, m_decryptChain.GetData());
        }
        if (progress)
            progress->Hint(1);
    }
}

unsigned long CCryptoProcessor::EncryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                             CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    const unsigned long whole = n - n % b;
    EncryptBlock(in, whole, out, progress);
    unsigned char last[kMaxBlockSize];
    const unsigned long rest = n - whole;
    const unsigned char pad = (unsigned char)(b - rest);
    if (rest)
        std::memcpy(last, in + whole, rest);
    std::memset(last + rest, pad, b - rest);
    EncryptBlock(last, b, out + whole, progress);
    vcSecureZero(last, sizeof last);
    return whole + b;
}

unsigned long CCryptoProcessor::DecryptFinal(const unsigned char* in, unsigned long n, unsigned char* out,
                                             CProgress* progress)
{
    const unsigned long b = m_dwBlockSize;
    if (n == 0)
        AfxThrowUnlockException("DecryptFinal - in_size = 0!");
    if (n % b != 0)
        AfxThrowUnlockException("DecryptFinal - in_size is not multiple of m_block_size!\nin_size = %d, "
                                "m_block_size = %d, (in_size %% m_block_size) = %d!",
                                (int)n, (int)b, (int)(n % b));
    const unsigned long front = n - b;
    DecryptBlock(in, front, out, progress);
    unsigned char last[kMaxBlockSize];
    DecryptBlock(in + front, b, last, progress);
    const unsigned long pad = last[b - 1];
    if (pad < 1 || pad > b) {
        vcSecureZero(last, sizeof last);
        AfxThrowUnlockException("DecryptFinal - bad padding: pad_size = %d!", (int)pad);
    }
    for (unsigned long i = b - pad; i < b; ++i) {
        if (last[i] != pad) {
            const unsigned int bad = last[i];
            vcSecureZero(last, sizeof last);
            AfxThrowUnlockException("DecryptFinal - bad padding data (%x) !", bad);
        }
    }
    if (b - pad)
        std::memcpy(out + front, last, b - pad);
    vcSecureZero(last, sizeof last);
    return n - pad;
}

// The CBC hooks. Blocks of 8 bytes, the common case, move as one word.
namespace {

inline void xorBlock(const unsigned char* a, const unsigned char* b, unsigned char* out, unsigned long n)
{
    if (n == 8) {
        uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        x ^= y;
        std::memcpy(out, &x, 8);
        return;
    }
    for (unsigned long i = 0; i < n; ++i)
        out[i] = (unsigned char)(a[i] ^ b[i]);
}

inline void copyBlock(unsigned char* to, const unsigned char* from, unsigned long n)
{
    if (n == 8) {
        uint64_t x;
        std::memcpy(&x, from, 8);
        std::memcpy(to, &x, 8);
        return;
    }
    std::memmove(to, from, n);
}

}  // namespace

void CCryptoProcessor::EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain)
{
    xorBlock(in, chain, work, m_dwBlockSize);
}

void CCryptoProcessor::EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    copyBlock(chain, work, m_dwBlockSize);
    copyBlock(out, work, m_dwBlockSize);
}

void CCryptoProcessor::DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char*)
{
    copyBlock(m_feedback, in, m_dwBlockSize);
    copyBlock(work, in, m_dwBlockSize);
}

void CCryptoProcessor::DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    xorBlock(work, chain, out, m_dwBlockSize);
    copyBlock(chain, m_feedback, m_dwBlockSize);
}
