#include "dirlink/dirclient/uni_data_holder.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "dirlink/dirclient/archive_layout.h"
#include "dirlink/dirclient/slot_ops.h"
#include "dirlink/dirschema/attribute_types.h"
#include "dirlink/dirschema/dn_text.h"

namespace {
// File and archive sources are read in pieces of this size, so the buffer
// follows the bytes that actually arrive.
const unsigned long kReadStep = 64 * 1024;
const unsigned long kMaxSize = 0xFFFFFFFFUL;

unsigned char* allocate(unsigned long n)
{
    auto* block = (unsigned char*)std::calloc(n ? n : 1, 1);
    if (!block)
        AfxThrowMemoryException();
    return block;
}

// Bytes a Get delivers: min(n, size - offset), 0 past the end.
unsigned long deliverable(unsigned long size, unsigned long n, unsigned long offset)
{
    if (offset >= size)
        return 0;
    return n < size - offset ? n : size - offset;
}
}  // namespace

CUniDataHolder::CUniDataHolder() : m_readOnly(0), m_size(0), m_capacity(0), m_data(nullptr) {}

CUniDataHolder::~CUniDataHolder()
{
    std::free(m_data);
}

CUniDataHolder* CUniDataHolder::Create(unsigned long n)
{
    if (n > kMaxSize)
        AfxThrowMemoryException();
    CUniDataHolder* holder = new CUniDataHolder;
    if (n) {
        try {
            holder->m_data = allocate(n);
        } catch (CException*) {
            delete holder;
            throw;
        }
        holder->m_size = holder->m_capacity = (uint32_t)n;
    }
    holder->AddRef();
    return holder;
}

CUniDataHolder* CUniDataHolder::Clone() const
{
    CUniDataHolder* copy = Create(m_size);
    if (m_size)
        std::memcpy(copy->m_data, m_data, m_size);
    return copy;
}

CUniDataHolder& CUniDataHolder::operator=(const CUniDataHolder& other)
{
    if (this != &other)
        Put(other, other.GetSize());
    return *this;
}

void CUniDataHolder::Clear()
{
    std::free(m_data);
    m_data = nullptr;
    m_size = m_capacity = 0;
}

const char* CUniDataHolder::GetName() const
{
    return "CUniDataHolder";
}

void CUniDataHolder::Attach(void* p, unsigned long n)
{
    if (n > kMaxSize)
        AfxThrowMemoryException();
    Clear();
    m_data = (unsigned char*)p;
    m_size = m_capacity = p ? (uint32_t)n : 0;
}

void* CUniDataHolder::Detach()
{
    void* buffer = m_data;
    m_data = nullptr;
    m_size = m_capacity = 0;
    return buffer;
}

int CUniDataHolder::SetReadOnly(int readOnly) const
{
    int previous = m_readOnly;
    m_readOnly = readOnly;
    return previous;
}

void CUniDataHolder::reserve(unsigned long needed, unsigned long keep)
{
    if (needed > kMaxSize)
        AfxThrowMemoryException();
    if (needed <= m_capacity && m_data)
        return;
    unsigned char* block = allocate(needed);
    if (keep)
        std::memcpy(block, m_data, keep);
    std::free(m_data);
    m_data = block;
    m_capacity = (uint32_t)needed;
}

unsigned long CUniDataHolder::Get(void* target, unsigned long n, unsigned long offset) const
{
    unsigned long count = m_data ? deliverable(m_size, n, offset) : 0;
    if (count)
        std::memcpy(target, m_data + offset, count);
    return count;
}

unsigned long CUniDataHolder::Get(CFile& file, unsigned long n, unsigned long offset) const
{
    unsigned long count = m_data ? deliverable(m_size, n, offset) : 0;
    if (count)
        file.Write(m_data + offset, (UINT)count);
    return count;
}

unsigned long CUniDataHolder::Get(CArchive& ar, unsigned long n, unsigned long offset) const
{
    unsigned long count = m_data ? deliverable(m_size, n, offset) : 0;
    if (count)
        ar.Write(m_data + offset, (UINT)count);
    return count;
}

unsigned long CUniDataHolder::Get(CString& text, unsigned long n, unsigned long offset) const
{
    unsigned long count = m_data ? deliverable(m_size, n, offset) : 0;
    text = CString((const char*)(m_data ? m_data + offset : nullptr), (int)count);
    return count;
}

unsigned long CUniDataHolder::Get(CUniDataHolder& target, unsigned long n, unsigned long offset) const
{
    unsigned long count = m_data ? deliverable(m_size, n, offset) : 0;
    target.Put(m_data ? m_data + offset : nullptr, count);
    return count;
}

unsigned long CUniDataHolder::Put(const void* source, unsigned long n)
{
    if (n == 0) {
        m_size = 0;
        return 0;
    }
    if (n > m_capacity || !m_data) {
        if (n > kMaxSize)
            AfxThrowMemoryException();
        unsigned char* block = allocate(n);
        std::memcpy(block, source, n);
        std::free(m_data);
        m_data = block;
        m_capacity = (uint32_t)n;
    } else {
        std::memmove(m_data, source, n);
    }
    m_size = (uint32_t)n;
    return m_size;
}

template <class Reader>
unsigned long CUniDataHolder::readAt(unsigned long start, unsigned long n, Reader read)
{
    if (n > kMaxSize - start)
        AfxThrowMemoryException();
    unsigned long got = 0;
    while (got < n) {
        const unsigned long want = n - got < kReadStep ? n - got : kReadStep;
        const unsigned long end = start + got + want;
        if (end > m_capacity || !m_data) {
            // Exactly the claimed size when it is one step away, else
            // doubling up to it.
            unsigned long grown = start + n;
            if (got + want < n) {
                unsigned long doubled = 2 * (unsigned long)m_capacity;
                grown = doubled > end ? (doubled < start + n ? doubled : start + n) : end;
            }
            reserve(grown, start + got);
        }
        const unsigned long arrived = read(m_data + start + got, want);
        got += arrived;
        m_size = (uint32_t)(start + got);
        if (arrived < want)
            break;
    }
    m_size = (uint32_t)(start + got);
    return got;
}

unsigned long CUniDataHolder::Put(CFile& file, unsigned long n)
{
    m_size = 0;
    readAt(0, n, [&](unsigned char* to, unsigned long count) { return (unsigned long)file.Read(to, (UINT)count); });
    return m_size;
}

unsigned long CUniDataHolder::Put(CArchive& ar, unsigned long n)
{
    m_size = 0;
    readAt(0, n, [&](unsigned char* to, unsigned long count) { return (unsigned long)ar.Read(to, (UINT)count); });
    return m_size;
}

unsigned long CUniDataHolder::Put(const char* text)
{
    return Put(text, text ? std::strlen(text) : 0);
}

unsigned long CUniDataHolder::Put(const CUniDataHolder& source, unsigned long n)
{
    source.Get(*this, n, 0);
    return m_size;
}

unsigned long CUniDataHolder::Append(const void* source, unsigned long n)
{
    if (n == 0)
        return m_size;
    if (n > kMaxSize - m_size)
        AfxThrowMemoryException();
    const unsigned long total = m_size + n;
    if (total > m_capacity || !m_data) {
        // Copy into the new block before the old one is freed: the source
        // may lie inside it.
        unsigned char* block = allocate(total);
        if (m_size)
            std::memcpy(block, m_data, m_size);
        std::memcpy(block + m_size, source, n);
        std::free(m_data);
        m_data = block;
        m_capacity = (uint32_t)total;
    } else {
        std::memmove(m_data + m_size, source, n);
    }
    m_size = (uint32_t)total;
    return m_size;
}

unsigned long CUniDataHolder::Append(CFile& file, unsigned long n)
{
    readAt(m_size, n, [&](unsigned char* to, unsigned long count) { return (unsigned long)file.Read(to, (UINT)count); });
    return m_size;
}

unsigned long CUniDataHolder::Append(CArchive& ar, unsigned long n)
{
    readAt(m_size, n, [&](unsigned char* to, unsigned long count) { return (unsigned long)ar.Read(to, (UINT)count); });
    return m_size;
}

unsigned long CUniDataHolder::Append(const char* text)
{
    return Append(text, text ? std::strlen(text) : 0);
}

unsigned long CUniDataHolder::Append(const CUniDataHolder& source, unsigned long n)
{
    unsigned long count = source.m_data ? deliverable(source.m_size, n, 0) : 0;
    return Append(source.m_data, count);
}

int CUniDataHolder::Cmp(unsigned long offset, const unsigned char* bytes, unsigned long n) const
{
    const unsigned long held = offset < m_size ? m_size - offset : 0;
    const unsigned long common = held < n ? held : n;
    if (common) {
        int order = std::memcmp(m_data + offset, bytes, common);
        if (order)
            return order < 0 ? -1 : 1;
    }
    if (held == n)
        return 0;
    return held > n ? 1 : -1;
}

int CUniDataHolder::HasInitial(const CUniDataHolder& p) const
{
    if (p.m_size == 0)
        return 1;
    if (p.m_size > m_size)
        return 0;
    return std::memcmp(m_data, p.m_data, p.m_size) == 0 ? 1 : 0;
}

int CUniDataHolder::HasFinal(const CUniDataHolder& p) const
{
    if (p.m_size == 0)
        return 1;
    if (p.m_size > m_size)
        return 0;
    return std::memcmp(m_data + (m_size - p.m_size), p.m_data, p.m_size) == 0 ? 1 : 0;
}

int CUniDataHolder::HasSubstring(int start, const CUniDataHolder& p) const
{
    if (p.m_size == 0)
        return 1;
    const long long size = m_size, pattern = p.m_size;
    if (start + size < pattern || start + pattern > size)
        return -1;
    for (long long q = start < 0 ? 0 : start; q + pattern <= size; ++q)
        if (std::memcmp(m_data + q, p.m_data, (size_t)pattern) == 0)
            return (int)q;
    return -1;
}

void CUniDataHolder::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        dirclient::writeVersion(ar);
        ar << (DWORD)m_size;
        Get(ar, m_size, 0);
        return;
    }
    dirclient::readVersion(ar);
    DWORD size;
    ar >> size;
    ar.EnsureAvailable(size);
    if (Put(ar, size) != size)
        AfxThrowArchiveException(CArchiveException::endOfFile, ar.m_strFileName);
}

int MatchEquality(const char* type, const CUniDataHolder& a, const CUniDataHolder& b)
{
    const char* syntax = GetAttributeSyntaxName(type);
    if (syntax && strcasecmp(syntax, "DN") == 0) {
        CString left, right;
        a.Get(left, a.GetSize(), 0);
        b.Get(right, b.GetSize(), 0);
        return AreEqualDn(left, right) == 1 ? 1 : 0;
    }
    return a.GetSize() == b.GetSize() && a.Cmp(0, b.GetData(), b.GetSize()) == 0 ? 1 : 0;
}

DIRCLIENT_ARRAY_HOOKS(CUniDataHolder, dirclient::ValueSlot)
