#pragma once
// How the owning pointer arrays of the data model make, drop and archive
// their elements (internal; used with archive_layout.h).
#include "dirlink/dirclient/entry_data.h"
#include "dirlink/dirclient/modification.h"

namespace dirclient {

struct ValueSlot {
    static CUniDataHolder* make() { return CUniDataHolder::Create(256); }
    static void drop(CUniDataHolder*& holder)
    {
        if (holder)
            holder->Release();
        holder = nullptr;
    }
    static void serialize(CArchive& ar, CUniDataHolder& holder) { holder.Serialize(ar); }
};

// Elements owned outright: made with new, destroyed with delete.
template <class T>
struct OwnedSlot {
    static T* make() { return new T; }
    static void drop(T*& element)
    {
        delete element;
        element = nullptr;
    }
    static void serialize(CArchive& ar, T& element) { element.Serialize(ar); }
};

}  // namespace dirclient

// The element hooks of an owning array of T built from its slot operations.
#define DIRCLIENT_ARRAY_HOOKS(T, Ops)                                                  \
    template <>                                                                        \
    void DestructElements<T*>(T * *elements, int count)                                \
    {                                                                                  \
        for (int i = 0; i < count; ++i)                                                \
            Ops::drop(elements[i]);                                                    \
    }                                                                                  \
    template <>                                                                        \
    void CopyElements<T*>(T**, T* const*, int)                                         \
    {                                                                                  \
    }                                                                                  \
    template <>                                                                        \
    void SerializeElements<T*>(CArchive & ar, T * *elements, int count)                \
    {                                                                                  \
        dirclient::serializeElementsWithVersion<T, Ops>(ar, elements, count);         \
    }
