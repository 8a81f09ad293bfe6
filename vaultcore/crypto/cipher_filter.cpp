#include "vaultcore/crypto/cipher_filter.h"

#include <cstring>

#include "vaultcore/crypto/secure_zero.h"

CCipherFilterNS::CCipherFilterNS(CCryptoProcessor& processor, CBufferedFilterNS& next, CProgress* progress,
                                 unsigned long capacity)
    : CBufferedFilterNS(capacity), m_processor(processor), m_next(next), m_progress(progress)
{
}

CCipherFilterNS::~CCipherFilterNS()
{
    vcSecureZero(m_pending);
    vcSecureZero(m_output);
    vcSecureZero(m_buffer);
}

void CCipherFilterNS::reset()
{
    CBufferedFilterNS::reset();
    vcSecureZero(m_pending);
    m_pending.SetSize(0);
}

void CCipherFilterNS::take(const unsigned char* data, unsigned long n)
{
    if (!n)
        return;
    const int old = m_pending.GetSize();
    m_pending.SetSize(old + (int)n);
    std::memcpy(m_pending.GetData() + old, data, n);
}

void CCipherFilterNS::drop(unsigned long n)
{
    if (n == 0)
        return;
    const unsigned long left = (unsigned long)m_pending.GetSize() - n;
    if (left)
        std::memmove(m_pending.GetData(), m_pending.GetData() + n, left);
    vcSecureZero(m_pending.GetData() + left, n);
    m_pending.SetSize((int)left);
}

void CEncryptFilterNS::process(int final, const unsigned char* data, unsigned long length)
{
    take(blockData(data), blockLength(data, length));
    const unsigned long pending = (unsigned long)m_pending.GetSize();
    const unsigned long b = m_processor.GetBlockSize();
    if (final) {
        m_processor.CheckPlaintextSize(pending);
        m_output.SetSize((int)m_processor.EncrFinalOutMaxSize(pending));
        const unsigned long n = m_processor.EncryptFinal(m_pending.GetData(), pending, m_output.GetData(), m_progress);
        drop(pending);
        m_next.write(m_output.GetData(), n);
        return;
    }
    const unsigned long whole = pending - pending % b;
    if (!whole)
        return;
    m_output.SetSize((int)whole);
    m_processor.EncryptBlock(m_pending.GetData(), whole, m_output.GetData(), m_progress);
    drop(whole);
    m_next.write(m_output.GetData(), whole);
}

void CDecryptFilterNS::process(int final, const unsigned char* data, unsigned long length)
{
    take(blockData(data), blockLength(data, length));
    const unsigned long pending = (unsigned long)m_pending.GetSize();
    const unsigned long b = m_processor.GetBlockSize();
    if (final) {
        m_processor.CheckCiphertextSize(pending);
        m_output.SetSize((int)m_processor.DecrFinalOutMaxSize(pending) + 1);
        const unsigned long n = m_processor.DecryptFinal(m_pending.GetData(), pending, m_output.GetData(), m_progress);
        drop(pending);
        m_next.write(m_output.GetData(), n);
        return;
    }
    // The last whole block stays behind: the final call needs it to find the
    // padding.
    if (pending <= b)
        return;
    const unsigned long whole = (pending - 1) / b * b;
    m_output.SetSize((int)whole);
    m_processor.DecryptBlock(m_pending.GetData(), whole, m_output.GetData(), m_progress);
    drop(whole);
    m_next.write(m_output.GetData(), whole);
}
