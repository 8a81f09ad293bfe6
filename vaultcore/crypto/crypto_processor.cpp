#include "vaultcore/crypto/crypto_processor.h"

#include <cstring>

#include "vaultcore/crypto/crypto_exceptions.h"
#include "vaultcore/crypto/progress.h"

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

static void wipe(CByteArray& bytes)
{
    if (bytes.GetSize() > 0)
        std::memset(bytes.GetData(), 0, (size_t)bytes.GetSize());
}

CCryptoProcessor::~CCryptoProcessor()
{
    wipe(m_initialVector);
    wipe(m_encryptChain);
    wipe(m_decryptChain);
    std::memset(m_feedback, 0, sizeof m_feedback);
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
    std::memset(last, 0, sizeof last);
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
        std::memset(last, 0, sizeof last);
        AfxThrowUnlockException("DecryptFinal - bad padding: pad_size = %d!", (int)pad);
    }
    for (unsigned long i = b - pad; i < b; ++i) {
        if (last[i] != pad) {
            const unsigned int bad = last[i];
            std::memset(last, 0, sizeof last);
            AfxThrowUnlockException("DecryptFinal - bad padding data (%x) !", bad);
        }
    }
    std::memcpy(out + front, last, b - pad);
    std::memset(last, 0, sizeof last);
    return n - pad;
}

void CCryptoProcessor::EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain)
{
    for (unsigned long i = 0; i < m_dwBlockSize; ++i)
        work[i] = (unsigned char)(in[i] ^ chain[i]);
}

void CCryptoProcessor::EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    std::memcpy(chain, work, m_dwBlockSize);
    if (out != work)
        std::memcpy(out, work, m_dwBlockSize);
}

void CCryptoProcessor::DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char*)
{
    std::memcpy(m_feedback, in, m_dwBlockSize);
    if (work != in)
        std::memcpy(work, in, m_dwBlockSize);
}

void CCryptoProcessor::DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    for (unsigned long i = 0; i < m_dwBlockSize; ++i)
        out[i] = (unsigned char)(work[i] ^ chain[i]);
    std::memcpy(chain, m_feedback, m_dwBlockSize);
}
