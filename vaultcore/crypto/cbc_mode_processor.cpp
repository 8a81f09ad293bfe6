#include "vaultcore/crypto/cbc_mode_processor.h"

#include <cstring>

#include "vaultcore/crypto/secure_zero.h"

CCBC_ModeProcessor::CCBC_ModeProcessor(unsigned long blockSize) : m_dwBlockSize((DWORD)blockSize)
{
    m_feedback.SetSize((int)blockSize);
}

CCBC_ModeProcessor::~CCBC_ModeProcessor()
{
    vcSecureZero(m_feedback);
}

void CCBC_ModeProcessor::EncryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char* chain)
{
    for (DWORD i = 0; i < m_dwBlockSize; ++i)
        work[i] = (unsigned char)(in[i] ^ chain[i]);
}

void CCBC_ModeProcessor::EncryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    std::memmove(chain, work, m_dwBlockSize);
    std::memmove(out, work, m_dwBlockSize);
}

void CCBC_ModeProcessor::DecryptPreProcess(const unsigned char* in, unsigned char* work, unsigned char*)
{
    std::memmove(m_feedback.GetData(), in, m_dwBlockSize);
    std::memmove(work, in, m_dwBlockSize);
}

void CCBC_ModeProcessor::DecryptPostProcess(const unsigned char* work, unsigned char* out, unsigned char* chain)
{
    for (DWORD i = 0; i < m_dwBlockSize; ++i)
        out[i] = (unsigned char)(work[i] ^ chain[i]);
    std::memmove(chain, m_feedback.GetData(), m_dwBlockSize);
}
