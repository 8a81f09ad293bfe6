#pragma once
// The class library's growable arrays. CArray<TYPE, ARG_TYPE> keeps its
// elements in one block and calls the element hooks ConstructElements,
// DestructElements, CopyElements and SerializeElements, which element types
// may overload. The named arrays (CByteArray, CStringArray ...) are
// instantiations with their own run-time class, and their archive form is the
// element count followed by the elements.
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/object.h"

// New elements are value-initialised: plain types become zero.
template <class TYPE>
inline void ConstructElements(TYPE* elements, int count)
{
    for (int i = 0; i < count; ++i)
        ::new ((void*)(elements + i)) TYPE();
}

template <class TYPE>
inline void DestructElements(TYPE* elements, int count)
{
    for (int i = 0; i < count; ++i)
        elements[i].~TYPE();
}

template <class TYPE>
inline void CopyElements(TYPE* dest, const TYPE* src, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = src[i];
}

// Fallback: the elements' own archive operators.
template <class TYPE>
inline void SerializeElements(CArchive& ar, TYPE* elements, int count)
{
    if (ar.IsStoring())
        for (int i = 0; i < count; ++i)
            ar << elements[i];
    else
        for (int i = 0; i < count; ++i)
            ar >> elements[i];
}

template <>
inline void SerializeElements<BYTE>(CArchive& ar, BYTE* elements, int count)
{
    if (ar.IsStoring())
        ar.Write(elements, (UINT)count);
    else if (ar.Read(elements, (UINT)count) != (UINT)count)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

template <>
inline void SerializeElements<void*>(CArchive&, void**, int count)
{
    if (count > 0)
        AfxThrowNotSupportedException();
}

template <>
inline void SerializeElements<CObject*>(CArchive& ar, CObject** elements, int count)
{
    for (int i = 0; i < count; ++i) {
        if (ar.IsStoring())
            ar.WriteObject(elements[i]);
        else
            elements[i] = ar.ReadObject(nullptr);
    }
}

template <class TYPE, class ARG_TYPE>
class CArray : public CObject {
public:
    CArray() = default;
    CArray(const CArray& other) : CObject() { Copy(other); }
    CArray& operator=(const CArray& other)
    {
        if (this != &other)
            Copy(other);
        return *this;
    }
    ~CArray() override { RemoveAll(); }

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    BOOL IsEmpty() const { return m_nSize == 0; }

    // Sets the number of elements; new ones are constructed by
    // ConstructElements (zero for plain types), dropped ones destructed.
    void SetSize(int newSize, int growBy = -1)
    {
        if (growBy >= 0)
            m_nGrowBy = growBy;
        if (newSize < 0)
            newSize = 0;
        if (newSize < m_nSize) {
            DestructElements<TYPE>(m_pData + newSize, m_nSize - newSize);
            m_nSize = newSize;
            if (newSize == 0)
                release();
            return;
        }
        if (newSize > m_nMaxSize)
            reserve(grownCapacity(newSize));
        ConstructElements<TYPE>(m_pData + m_nSize, newSize - m_nSize);
        m_nSize = newSize;
    }
    void FreeExtra()
    {
        if (m_nSize == 0)
            release();
        else if (m_nSize < m_nMaxSize)
            reserve(m_nSize);
    }
    void RemoveAll()
    {
        DestructElements<TYPE>(m_pData, m_nSize);
        m_nSize = 0;
        release();
    }

    TYPE GetAt(int index) const { return m_pData[index]; }
    void SetAt(int index, ARG_TYPE element) { m_pData[index] = element; }
    TYPE& ElementAt(int index) { return m_pData[index]; }
    const TYPE& ElementAt(int index) const { return m_pData[index]; }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }
    TYPE operator[](int index) const { return m_pData[index]; }
    TYPE& operator[](int index) { return m_pData[index]; }

    void SetAtGrow(int index, ARG_TYPE element)
    {
        if (index >= m_nSize) {
            TYPE copy(element);  // element may live in this array
            SetSize(index + 1);
            m_pData[index] = std::move(copy);
        } else {
            m_pData[index] = element;
        }
    }
    int Add(ARG_TYPE element)
    {
        int index = m_nSize;
        SetAtGrow(index, element);
        return index;
    }
    int Append(const CArray& src)
    {
        int old = m_nSize;
        if (&src == this) {
            CArray copy(src);
            return Append(copy);
        }
        SetSize(m_nSize + src.m_nSize);
        CopyElements<TYPE>(m_pData + old, src.m_pData, src.m_nSize);
        return old;
    }
    void Copy(const CArray& src)
    {
        if (&src == this)
            return;
        SetSize(src.m_nSize);
        CopyElements<TYPE>(m_pData, src.m_pData, src.m_nSize);
    }

    void InsertAt(int index, ARG_TYPE element, int count = 1)
    {
        if (count <= 0 || index < 0)
            return;
        TYPE copy(element);
        if (index >= m_nSize) {
            SetSize(index + count);
        } else {
            int old = m_nSize;
            SetSize(m_nSize + count);
            for (int i = old - 1; i >= index; --i)
                m_pData[i + count] = std::move(m_pData[i]);
        }
        for (int i = 0; i < count; ++i)
            m_pData[index + i] = copy;
    }
    void InsertAt(int startIndex, const CArray* other)
    {
        if (!other || other->m_nSize == 0)
            return;
        CArray copy(*other);
        InsertAt(startIndex, copy.m_pData[0], copy.m_nSize);
        for (int i = 0; i < copy.m_nSize; ++i)
            m_pData[startIndex + i] = copy.m_pData[i];
    }
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || count <= 0 || index >= m_nSize)
            return;
        if (count > m_nSize - index)
            count = m_nSize - index;
        for (int i = index; i + count < m_nSize; ++i)
            m_pData[i] = std::move(m_pData[i + count]);
        SetSize(m_nSize - count);
    }

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar.WriteCount((DWORD)m_nSize);
        } else {
            DWORD count = ar.ReadCount();
            // Every element takes at least one octet in the archive, so a
            // count beyond what is left cannot be genuine.
            ar.EnsureAvailable(count);
            SetSize((int)count);
        }
        SerializeElements<TYPE>(ar, m_pData, m_nSize);
    }

protected:
    TYPE* m_pData = nullptr;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;

private:
    int grownCapacity(int needed) const
    {
        long grow = m_nGrowBy;
        if (grow <= 0) {
            grow = m_nSize / 8;
            grow = grow < 4 ? 4 : (grow > 1024 ? 1024 : grow);
        }
        long capacity = (long)m_nMaxSize + grow;
        if (capacity < needed)
            capacity = needed;
        if (capacity > 0x7FFFFFFF)
            capacity = 0x7FFFFFFF;
        return (int)capacity;
    }
    void reserve(int capacity)
    {
        if ((size_t)capacity > SIZE_MAX / sizeof(TYPE))
            AfxThrowMemoryException();
        size_t bytes = (size_t)capacity * sizeof(TYPE);
        TYPE* fresh;
        if (std::is_trivially_copyable<TYPE>::value) {
            fresh = (TYPE*)std::realloc((void*)m_pData, bytes ? bytes : 1);
            if (!fresh)
                AfxThrowMemoryException();
        } else {
            fresh = (TYPE*)std::malloc(bytes ? bytes : 1);
            if (!fresh)
                AfxThrowMemoryException();
            for (int i = 0; i < m_nSize; ++i) {
                ::new ((void*)(fresh + i)) TYPE(std::move(m_pData[i]));
                m_pData[i].~TYPE();
            }
            std::free((void*)m_pData);
        }
        m_pData = fresh;
        m_nMaxSize = capacity;
    }
    void release()
    {
        std::free((void*)m_pData);
        m_pData = nullptr;
        m_nMaxSize = 0;
    }
};

// Arrays of pointers to objects of one type over CPtrArray or CObArray.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS {
public:
    TYPE GetAt(int index) const { return (TYPE)BASE_CLASS::GetAt(index); }
    TYPE& ElementAt(int index) { return (TYPE&)BASE_CLASS::ElementAt(index); }
    void SetAt(int index, TYPE ptr) { BASE_CLASS::SetAt(index, ptr); }
    void SetAtGrow(int index, TYPE ptr) { BASE_CLASS::SetAtGrow(index, ptr); }
    int Add(TYPE ptr) { return BASE_CLASS::Add(ptr); }
    void InsertAt(int index, TYPE ptr, int count = 1) { BASE_CLASS::InsertAt(index, ptr, count); }
    TYPE* GetData() { return (TYPE*)BASE_CLASS::GetData(); }
    const TYPE* GetData() const { return (const TYPE*)BASE_CLASS::GetData(); }
    TYPE operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return ElementAt(index); }
};

class PLATFORM_API CByteArray : public CArray<BYTE, BYTE> {
    DECLARE_SERIAL(CByteArray)
};

class PLATFORM_API CWordArray : public CArray<WORD, WORD> {
    DECLARE_SERIAL(CWordArray)
};

class PLATFORM_API CDWordArray : public CArray<DWORD, DWORD> {
    DECLARE_SERIAL(CDWordArray)
};

class PLATFORM_API CUIntArray : public CArray<UINT, UINT> {
    DECLARE_DYNAMIC(CUIntArray)
};

class PLATFORM_API CStringArray : public CArray<CString, const CString&> {
    DECLARE_SERIAL(CStringArray)
};

// Pointer arrays hold plain pointers; they neither own nor archive them.
class PLATFORM_API CPtrArray : public CArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
public:
    void Serialize(CArchive&) override { AfxThrowNotSupportedException(); }
};

class PLATFORM_API CObArray : public CArray<CObject*, CObject*> {
    DECLARE_SERIAL(CObArray)
};
