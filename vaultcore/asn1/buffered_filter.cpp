#include "vaultcore/asn1/buffered_filter.h"

#include <cstring>

CBufferedFilterNS::CBufferedFilterNS(unsigned long capacity) : m_dwCapacity(capacity ? capacity : 1)
{
    m_buffer.SetSize((int)m_dwCapacity);
}

void CBufferedFilterNS::reset()
{
    m_dwTotal = 0;
    m_dwFill = 0;
    std::memset(m_buffer.GetData(), 0, m_dwCapacity);
}

void CBufferedFilterNS::write(const unsigned char* data, unsigned long n)
{
    m_dwTotal += n;
    if (m_dwFill > 0) {
        unsigned long take = m_dwCapacity - m_dwFill < n ? m_dwCapacity - m_dwFill : n;
        std::memcpy(m_buffer.GetData() + m_dwFill, data, take);
        m_dwFill += take;
        data += take;
        n -= take;
        if (m_dwFill < m_dwCapacity)
            return;
        process(0, nullptr, 0);
        m_dwFill = 0;
    }
    while (n >= m_dwCapacity) {
        process(0, data, m_dwCapacity);
        data += m_dwCapacity;
        n -= m_dwCapacity;
    }
    if (n > 0) {
        std::memcpy(m_buffer.GetData(), data, n);
        m_dwFill = n;
    }
}

void CBufferedFilterNS::finish()
{
    process(1, nullptr, 0);
    m_dwFill = 0;
}

void CFileFilterNS::process(int, const unsigned char* data, unsigned long length)
{
    unsigned long n = blockLength(data, length);
    if (n)
        m_file.Write(blockData(data), (UINT)n);
}

void CEncodingFilterNS::process(int, const unsigned char* data, unsigned long length)
{
    unsigned long n = blockLength(data, length);
    if (n)
        m_encoding.Write(blockData(data), n);
}

void CArchiveFilterNS::process(int, const unsigned char* data, unsigned long length)
{
    unsigned long n = blockLength(data, length);
    if (n)
        m_archive.Write(blockData(data), (UINT)n);
}

void CStageFilterNS::process(int, const unsigned char* data, unsigned long length)
{
    unsigned long n = blockLength(data, length);
    if (n)
        m_next.write(blockData(data), n);
}

CTerminateCompareException* CTerminateCompareException::shared()
{
    static CTerminateCompareException instance;
    return &instance;
}

CTerminateValidationException* CTerminateValidationException::shared()
{
    static CTerminateValidationException instance;
    return &instance;
}

CCompareFilterNS::CCompareFilterNS(CFile& reference, unsigned long capacity)
    : CBufferedFilterNS(capacity), m_reference(reference)
{
    m_refBlock.SetSize((int)m_dwCapacity);
}

void CCompareFilterNS::process(int final, const unsigned char* data, unsigned long length)
{
    const unsigned char* block = blockData(data);
    unsigned long n = blockLength(data, length);
    while (n > 0) {
        UINT chunk = (UINT)(n < m_dwCapacity ? n : m_dwCapacity);
        UINT got = m_reference.Read(m_refBlock.GetData(), chunk);
        for (UINT i = 0; i < got; ++i) {
            if (block[i] != m_refBlock[i]) {
                m_result = block[i] < m_refBlock[i] ? -1 : 1;
                throw CTerminateCompareException::shared();
            }
        }
        if (got < chunk) {  // the reference ran out first
            m_result = 1;
            throw CTerminateCompareException::shared();
        }
        block += chunk;
        n -= chunk;
    }
    if (final) {
        unsigned char extra;
        m_result = m_reference.Read(&extra, 1) == 1 ? -1 : 0;
        throw CTerminateCompareException::shared();
    }
}

void CCheckFilterNS::process(int final, const unsigned char* data, unsigned long length)
{
    const unsigned char* block = blockData(data);
    unsigned long n = blockLength(data, length);
    for (unsigned long i = 0; i < n; ++i) {
        if (!m_test(block[i])) {
            m_valid = false;
            throw CTerminateValidationException::shared();
        }
    }
    if (final)
        throw CTerminateValidationException::shared();
}
