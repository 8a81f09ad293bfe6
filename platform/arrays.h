#pragma once
// The class library's growable arrays. CArray<TYPE, ARG_TYPE> keeps its
// elements in one block and calls the element hooks ConstructElements,
// DestructElements, CopyElements and SerializeElements, which element types
// may overload (a plain overload for the element type, or a specialisation of
// the template). The named arrays (CByteArray, CStringArray ...) are
// instantiations with their own run-time class, and their archive form is the
// element count followed by the elements.
//
// Element lifetime: every element is made by ConstructElements once and ended
// by DestructElements once, when it leaves the array (RemoveAt, SetSize to
// fewer, RemoveAll, Copy, a load, the destructor). Moving elements within the
// block (growing, inserting, removing) calls neither hook. So an array of
// pointers whose DestructElements overload deletes them owns its pointees:
// RemoveAt(i) deletes exactly element i. CopyElements(dest, src, n) fills n
// freshly constructed elements from src; an owning array overloads it to copy
// the pointees. SetAt and SetAtGrow on an existing element assign to it.
//
// Errors: an index must name an element (0 .. GetSize() - 1) for GetAt,
// SetAt, ElementAt and operator[], and be 0 or more for SetAtGrow and
// InsertAt; RemoveAt's range must lie inside the array; sizes and counts are
// 0 or more. Anything else throws CInvalidArgException, before the array
// changes. Running out of memory throws CMemoryException. A failed load
// leaves the array empty and frees what it read.
//
// Threads: an array belongs to one thread at a time; several threads may
// read one that no thread changes.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/object.h"

// New elements are value-initialised: plain types become zero. When one
// constructor throws, those made before it are ended again.
template <class TYPE>
inline void ConstructElements(TYPE* elements, int count)
{
    int made = 0;
    try {
        for (; made < count; ++made)
            ::new ((void*)(elements + made)) TYPE();
    } catch (...) {
        std::destroy_n(elements, made);
        throw;
    }
}

template <class TYPE>
inline void DestructElements(TYPE* elements, int count)
{
    std::destroy_n(elements, count);
}

template <class TYPE>
inline void CopyElements(TYPE* dest, const TYPE* src, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = src[i];
}

// Fallback: the elements' own archive operators. Plain pointers have none:
// an array of them cannot be archived unless its element type says how.
template <class TYPE>
inline void SerializeElements(CArchive& ar, TYPE* elements, int count)
{
    if constexpr (std::is_pointer<TYPE>::value) {
        if (count > 0)
            AfxThrowNotSupportedException();
    } else if (ar.IsStoring())
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

// Reads count objects into elements; created[i] (zero on entry) becomes 1
// when reading element i created its object, and stays 0 for null and for a
// reference to an object read before, which belongs elsewhere.
inline void vcLoadObjects(CArchive& ar, CObject** elements, BYTE* created, int count)
{
    for (int i = 0; i < count; ++i) {
        BOOL made = FALSE;
        elements[i] = ar.ReadObject(nullptr, &made);
        created[i] = (BYTE)(made != FALSE);
    }
}

// After a failed load: deletes the objects the load created and nulls every
// element, so nothing is freed twice or left behind.
inline void vcFreeLoadedObjects(CObject** elements, const BYTE* created, int count)
{
    for (int i = 0; i < count; ++i) {
        if (created[i])
            delete elements[i];
        elements[i] = nullptr;
    }
}

// Objects are written with their class and created when loaded; a load that
// fails deletes the objects it created.
template <>
inline void SerializeElements<CObject*>(CArchive& ar, CObject** elements, int count)
{
    if (ar.IsStoring()) {
        for (int i = 0; i < count; ++i)
            ar.WriteObject(elements[i]);
        return;
    }
    std::unique_ptr<BYTE[]> created(new (std::nothrow) BYTE[count > 0 ? count : 1]());
    if (!created)
        AfxThrowMemoryException();
    try {
        vcLoadObjects(ar, elements, created.get(), count);
    } catch (CException*) {
        vcFreeLoadedObjects(elements, created.get(), count);
        throw;
    }
}

template <class TYPE, class ARG_TYPE>
class CArray : public CObject {
public:
    CArray() = default;
    CArray(const CArray& other) : CObject() { Copy(other); }
    CArray& operator=(const CArray& other)
    {
        Copy(other);
        return *this;
    }
    ~CArray() override { RemoveAll(); }

    int GetSize() const { return m_nSize; }
    int GetCount() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    BOOL IsEmpty() const { return m_nSize == 0; }

    // Sets the number of elements; new ones are made by ConstructElements
    // (zero for plain types), dropped ones ended by DestructElements.
    void SetSize(int newSize, int growBy = -1)
    {
        if (newSize < 0)
            AfxThrowInvalidArgException();
        if (growBy >= 0)
            m_nGrowBy = growBy;
        if (newSize <= m_nSize) {
            DestructElements(m_pData + newSize, m_nSize - newSize);
            m_nSize = newSize;
            if (newSize == 0)
                release();
            return;
        }
        if (newSize > m_nMaxSize)
            reserve(grownCapacity(newSize));
        ConstructElements(m_pData + m_nSize, newSize - m_nSize);
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
        DestructElements(m_pData, m_nSize);
        m_nSize = 0;
        release();
    }

    TYPE GetAt(int index) const { return m_pData[checked(index)]; }
    void SetAt(int index, ARG_TYPE element) { m_pData[checked(index)] = element; }
    TYPE& ElementAt(int index) { return m_pData[checked(index)]; }
    const TYPE& ElementAt(int index) const { return m_pData[checked(index)]; }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }
    TYPE operator[](int index) const { return GetAt(index); }
    TYPE& operator[](int index) { return ElementAt(index); }

    void SetAtGrow(int index, ARG_TYPE element)
    {
        if (index < 0)
            AfxThrowInvalidArgException();
        if (index < m_nSize) {
            m_pData[index] = element;
            return;
        }
        TYPE copy(element);  // element may live in this array
        SetSize(sizeFor(index, 1));
        m_pData[index] = std::move(copy);
    }
    int Add(ARG_TYPE element)
    {
        int index = m_nSize;
        SetAtGrow(index, element);
        return index;
    }
    // Appends copies of src's elements; returns the index of the first.
    int Append(const CArray& src)
    {
        if (&src == this) {
            CArray copy(src);
            return Append(copy);
        }
        int old = m_nSize;
        SetSize(sizeFor(old, src.m_nSize));
        CopyElements(m_pData + old, src.m_pData, src.m_nSize);
        return old;
    }
    // Makes this array a copy of src: every present element is ended and
    // src.GetSize() new ones are made and filled by CopyElements.
    void Copy(const CArray& src)
    {
        if (&src == this)
            return;
        DestructElements(m_pData, m_nSize);
        m_nSize = 0;
        SetSize(src.m_nSize);
        CopyElements(m_pData, src.m_pData, src.m_nSize);
    }

    // Inserts count copies of element before index; an index at or past the
    // end grows the array to index + count.
    void InsertAt(int index, ARG_TYPE element, int count = 1)
    {
        if (index < 0 || count < 0)
            AfxThrowInvalidArgException();
        if (count == 0)
            return;
        TYPE copy(element);  // element may live in this array
        openGap(index, count);
        for (int i = 0; i < count; ++i)
            m_pData[index + i] = copy;
    }
    // Inserts copies of other's elements before startIndex.
    void InsertAt(int startIndex, const CArray* other)
    {
        if (startIndex < 0)
            AfxThrowInvalidArgException();
        if (!other || other->m_nSize == 0)
            return;
        if (other == this) {
            CArray copy(*other);
            InsertAt(startIndex, &copy);
            return;
        }
        openGap(startIndex, other->m_nSize);
        CopyElements(m_pData + startIndex, other->m_pData, other->m_nSize);
    }
    // Ends the count elements from index and closes the gap.
    void RemoveAt(int index, int count = 1)
    {
        if (index < 0 || count < 0 || index > m_nSize || count > m_nSize - index)
            AfxThrowInvalidArgException();
        // The removed elements move to the end, in order, and end there.
        std::rotate(m_pData + index, m_pData + index + count, m_pData + m_nSize);
        SetSize(m_nSize - count);
    }

    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar.WriteCount((DWORD)m_nSize);
            SerializeElements(ar, m_pData, m_nSize);
            return;
        }
        DWORD count = ar.ReadCount();
        if (count > (DWORD)INT_MAX)
            AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
        // Every element takes at least one octet in the archive, so a count
        // beyond what is left cannot be genuine.
        ar.EnsureAvailable(count);
        RemoveAll();
        CArray<BYTE, BYTE> created;  // object elements: those this load created
        try {
            // A stream that cannot tell its length is read in growing steps,
            // so a false count costs no more memory than the octets that came.
            while (m_nSize < (int)count) {
                int first = m_nSize;
                SetSize(first + std::min((int)count - first, std::max(first, kLoadStep)));
                if constexpr (std::is_same<TYPE, CObject*>::value) {
                    created.SetSize(m_nSize);
                    vcLoadObjects(ar, m_pData + first, created.GetData() + first, m_nSize - first);
                } else {
                    SerializeElements(ar, m_pData + first, m_nSize - first);
                }
            }
        } catch (CException*) {
            if constexpr (std::is_same<TYPE, CObject*>::value)
                vcFreeLoadedObjects(m_pData, created.GetData(), created.GetSize());
            RemoveAll();
            throw;
        }
    }

protected:
    TYPE* m_pData = nullptr;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;

private:
    static constexpr int kLoadStep = 1024;

    int checked(int index) const
    {
        if (index < 0 || index >= m_nSize)
            AfxThrowInvalidArgException();
        return index;
    }
    // first + count as a size; more than an array can hold is out of memory.
    static int sizeFor(int first, int count)
    {
        if (count > INT_MAX - first)
            AfxThrowMemoryException();
        return first + count;
    }
    // Makes count new elements at index: past the end the array grows to
    // index + count; otherwise they are made at the end and rotated into place.
    void openGap(int index, int count)
    {
        if (index >= m_nSize) {
            SetSize(sizeFor(index, count));
            return;
        }
        int old = m_nSize;
        SetSize(sizeFor(old, count));
        std::rotate(m_pData + index, m_pData + old, m_pData + m_nSize);
    }
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
        if (capacity > INT_MAX)
            capacity = INT_MAX;
        return (int)capacity;
    }
    // Moves the elements into a block of the given capacity; neither hook
    // runs, as no element begins or ends. Elements that may throw while
    // moving are copied, so a failure leaves the array as it was.
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
            int moved = 0;
            try {
                for (; moved < m_nSize; ++moved)
                    ::new ((void*)(fresh + moved)) TYPE(std::move_if_noexcept(m_pData[moved]));
            } catch (...) {
                std::destroy_n(fresh, moved);
                std::free((void*)fresh);
                throw;
            }
            std::destroy_n(m_pData, m_nSize);
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
