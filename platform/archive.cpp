#include "platform/archive.h"

#include <algorithm>
#include <cstring>

#include "platform/exceptions.h"

namespace {
const WORD kNullTag = 0x0000;
const WORD kNewClassTag = 0xFFFF;
const WORD kClassTag = 0x8000;
const DWORD kBigObjectTag = 0x7FFF;
const size_t kMaxClassNameLength = 64;
const DWORD kStringStep = 64 * 1024;
}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufferSize, void*)
    : m_strFileName(file ? file->GetFilePath() : CString()), m_pFile(file), m_nMode(mode & 1)
{
    vcTranslateStdExceptions([&] {
        m_buffer.resize((size_t)std::max(bufferSize, 128));
        m_storedItems.push_back(nullptr);
        m_loadedItems.push_back(nullptr);
        m_loadedIsClass.push_back(false);
    });
}

CArchive::~CArchive()
{
    if (m_pFile) {
        try {
            Close();
        } catch (CException* e) {
            e->Delete();
        }
    }
}

void CArchive::requireLoading() const
{
    if (m_nMode != load)
        AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::requireStoring() const
{
    if (m_nMode != store)
        AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

void CArchive::fillBuffer(UINT wanted)
{
    // Keep unread octets at the front, then read ahead.
    size_t left = m_lim - m_cur;
    std::memmove(m_buffer.data(), m_buffer.data() + m_cur, left);
    m_cur = 0;
    m_lim = left;
    size_t room = m_buffer.size() - m_lim;
    if (room > 0 && wanted > left)
        m_lim += m_pFile->Read(m_buffer.data() + m_lim, (UINT)room);
}

UINT CArchive::Read(void* buffer, UINT count)
{
    requireLoading();
    BYTE* out = (BYTE*)buffer;
    UINT done = 0;
    while (done < count) {
        if (m_cur == m_lim) {
            UINT rest = count - done;
            if (rest >= m_buffer.size()) {  // large reads bypass the buffer
                UINT n = m_pFile->Read(out + done, rest);
                done += n;
                break;
            }
            fillBuffer(rest);
            if (m_cur == m_lim)
                break;
        }
        size_t n = std::min<size_t>(m_lim - m_cur, count - done);
        std::memcpy(out + done, m_buffer.data() + m_cur, n);
        m_cur += n;
        done += (UINT)n;
    }
    return done;
}

void CArchive::readExact(void* buffer, UINT count)
{
    if (Read(buffer, count) != count)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
}

void CArchive::Write(const void* buffer, UINT count)
{
    requireStoring();
    const BYTE* in = (const BYTE*)buffer;
    if (m_cur + count > m_buffer.size()) {
        Flush();
        if (count >= m_buffer.size()) {
            m_pFile->Write(in, count);
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_cur, in, count);
    m_cur += count;
}

void CArchive::Flush()
{
    if (!m_pFile)
        return;
    if (m_nMode == store) {
        if (m_cur > 0)
            m_pFile->Write(m_buffer.data(), (UINT)m_cur);
        m_cur = 0;
    } else if (m_lim > m_cur) {
        m_pFile->Seek(-(long)(m_lim - m_cur), CFile::current);
        m_cur = m_lim = 0;
    }
}

void CArchive::Close()
{
    CFile* file = m_pFile;
    if (!file)
        return;
    try {
        Flush();
    } catch (CException*) {
        m_pFile = nullptr;
        throw;
    }
    m_pFile = nullptr;
}

void CArchive::Abort()
{
    m_pFile = nullptr;
    m_cur = m_lim = 0;
}

void CArchive::EnsureAvailable(ULONGLONG count)
{
    requireLoading();
    if (count <= m_lim - m_cur)
        return;
    ULONGLONG left = m_lim - m_cur;
    try {
        unsigned long length = m_pFile->GetLength();
        unsigned long position = m_pFile->GetPosition();
        left += length > position ? length - position : 0;
    } catch (CException* e) {
        e->Delete();  // a stream without a length: the reads themselves will tell
        return;
    }
    if (count > left)
        AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
}

CArchive& CArchive::operator<<(BYTE v)
{
    Write(&v, 1);
    return *this;
}

CArchive& CArchive::operator<<(WORD v)
{
    BYTE b[2] = {(BYTE)v, (BYTE)(v >> 8)};
    Write(b, 2);
    return *this;
}

CArchive& CArchive::operator<<(DWORD v)
{
    BYTE b[4] = {(BYTE)v, (BYTE)(v >> 8), (BYTE)(v >> 16), (BYTE)(v >> 24)};
    Write(b, 4);
    return *this;
}

CArchive& CArchive::operator<<(float v)
{
    DWORD bits;
    std::memcpy(&bits, &v, 4);
    return *this << bits;
}

CArchive& CArchive::operator<<(double v)
{
    ULONGLONG bits;
    std::memcpy(&bits, &v, 8);
    *this << (DWORD)bits;
    return *this << (DWORD)(bits >> 32);
}

CArchive& CArchive::operator>>(BYTE& v)
{
    readExact(&v, 1);
    return *this;
}

CArchive& CArchive::operator>>(WORD& v)
{
    BYTE b[2];
    readExact(b, 2);
    v = (WORD)(b[0] | (b[1] << 8));
    return *this;
}

CArchive& CArchive::operator>>(DWORD& v)
{
    BYTE b[4];
    readExact(b, 4);
    v = (DWORD)b[0] | ((DWORD)b[1] << 8) | ((DWORD)b[2] << 16) | ((DWORD)b[3] << 24);
    return *this;
}

CArchive& CArchive::operator>>(float& v)
{
    DWORD bits;
    *this >> bits;
    std::memcpy(&v, &bits, 4);
    return *this;
}

CArchive& CArchive::operator>>(double& v)
{
    DWORD lo, hi;
    *this >> lo >> hi;
    ULONGLONG bits = ((ULONGLONG)hi << 32) | lo;
    std::memcpy(&v, &bits, 8);
    return *this;
}

void CArchive::WriteCount(DWORD count)
{
    if (count < 0xFFFF) {
        *this << (WORD)count;
    } else {
        *this << (WORD)0xFFFF;
        *this << count;
    }
}

DWORD CArchive::ReadCount()
{
    WORD small;
    *this >> small;
    if (small != 0xFFFF)
        return small;
    DWORD big;
    *this >> big;
    return big;
}

void CArchive::WriteString(const CString& text)
{
    DWORD length = (DWORD)text.GetLength();
    if (length < 255) {
        *this << (BYTE)length;
    } else if (length < 0xFFFE) {
        *this << (BYTE)0xFF;
        *this << (WORD)length;
    } else {
        *this << (BYTE)0xFF;
        *this << (WORD)0xFFFF;
        *this << length;
    }
    Write((const char*)text, length);
}

CString CArchive::ReadString()
{
    BYTE shortLength;
    *this >> shortLength;
    DWORD length = shortLength;
    if (shortLength == 0xFF) {
        WORD wordLength;
        *this >> wordLength;
        length = wordLength;
        if (wordLength == 0xFFFF)
            *this >> length;
    }
    if (length > 0x7FFFFFFF)
        AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
    EnsureAvailable(length);
    // Read in growing steps, so that a false length from a stream that cannot
    // tell its size costs no more memory than the octets that came.
    CString text;
    for (DWORD done = 0; done < length;) {
        DWORD step = std::min(length - done, std::max(done, kStringStep));
        char* buffer = text.GetBufferSetLength((int)(done + step));
        readExact(buffer + done, step);
        done += step;
    }
    return text;
}

void CArchive::WriteClass(const CRuntimeClass* cls)
{
    requireStoring();
    auto found = std::find(m_storedItems.begin(), m_storedItems.end(), (const void*)cls);
    if (found != m_storedItems.end()) {
        *this << (WORD)(kClassTag | (WORD)(found - m_storedItems.begin()));
        return;
    }
    WORD nameLength = (WORD)std::strlen(cls->m_lpszClassName);
    *this << kNewClassTag << (WORD)cls->m_wSchema << nameLength;
    Write(cls->m_lpszClassName, nameLength);
    vcTranslateStdExceptions([&] { m_storedItems.push_back(cls); });
}

void CArchive::WriteObject(const CObject* object)
{
    requireStoring();
    if (!object) {
        *this << kNullTag;
        return;
    }
    auto found = std::find(m_storedItems.begin(), m_storedItems.end(), (const void*)object);
    if (found != m_storedItems.end()) {
        DWORD index = (DWORD)(found - m_storedItems.begin());
        if (index < kBigObjectTag) {
            *this << (WORD)index;
        } else {
            *this << (WORD)kBigObjectTag << index;
        }
        return;
    }
    const CRuntimeClass* cls = object->GetRuntimeClass();
    if (cls->m_wSchema == 0xFFFF)
        AfxThrowNotSupportedException();
    WriteClass(cls);
    vcTranslateStdExceptions([&] { m_storedItems.push_back(object); });
    const_cast<CObject*>(object)->Serialize(*this);
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT* schema)
{
    requireLoading();
    WORD tag;
    *this >> tag;
    return readClassWithTag(tag, requested, schema);
}

CRuntimeClass* CArchive::readClassWithTag(WORD tag, const CRuntimeClass* requested, UINT* schema)
{
    CRuntimeClass* cls = nullptr;
    if (tag == kNewClassTag) {
        WORD storedSchema, nameLength;
        *this >> storedSchema >> nameLength;
        if (nameLength == 0 || nameLength > kMaxClassNameLength)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        char name[kMaxClassNameLength + 1] = {};
        readExact(name, nameLength);
        cls = CRuntimeClass::FromName(name);
        if (!cls)
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        if (cls->m_wSchema != storedSchema)
            AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
        vcTranslateStdExceptions([&] {
            m_loadedItems.push_back(cls);
            m_loadedIsClass.push_back(true);
        });
        if (schema)
            *schema = storedSchema;
    } else if (tag & kClassTag) {
        size_t index = tag & ~kClassTag;
        if (index == 0 || index >= m_loadedItems.size() || !m_loadedIsClass[index])
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        cls = (CRuntimeClass*)m_loadedItems[index];
        if (schema)
            *schema = cls->m_wSchema;
    } else {
        AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    }
    if (requested && !cls->IsDerivedFrom(requested))
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    return cls;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested, BOOL* created)
{
    requireLoading();
    if (created)
        *created = FALSE;
    WORD tag;
    *this >> tag;
    if (tag == kNullTag)
        return nullptr;
    if (!(tag & kClassTag)) {  // an object read before
        DWORD index = tag;
        if (tag == kBigObjectTag)
            *this >> index;
        if (index == 0 || index >= m_loadedItems.size() || m_loadedIsClass[index] || !m_loadedItems[index])
            AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
        CObject* object = (CObject*)m_loadedItems[index];
        if (requested && !object->IsKindOf(requested))
            AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
        return object;
    }
    CRuntimeClass* cls = readClassWithTag(tag, requested, nullptr);
    // Room for the map entry first, so that nothing can fail between creating
    // the object and recording it.
    vcTranslateStdExceptions([&] {
        m_loadedItems.reserve(m_loadedItems.size() + 1);
        m_loadedIsClass.reserve(m_loadedIsClass.size() + 1);
    });
    CObject* object = cls->CreateObject();
    if (!object)
        AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    size_t slot = m_loadedItems.size();
    m_loadedItems.push_back(object);
    m_loadedIsClass.push_back(false);
    try {
        object->Serialize(*this);
    } catch (CException*) {
        forgetObjectsFrom(slot);
        delete object;
        throw;
    }
    if (created)
        *created = TRUE;
    return object;
}

// The object at index failed to load and goes, with the objects it read
// (they were its own): later references to any of them are bad indexes.
void CArchive::forgetObjectsFrom(size_t index)
{
    for (size_t i = index; i < m_loadedItems.size(); ++i)
        if (!m_loadedIsClass[i])
            m_loadedItems[i] = nullptr;
}
