#pragma once
// Element hooks for arrays that own the objects their pointers name
// (CArray<T*, T*>): dropping an element deletes its object, copying an
// array copies the objects, and the archive form is the element count (the
// array's) followed by each object's own Serialize, objects being created
// when loading.
//
// VC_OWNED_POINTER_ELEMENTS(T) right after T's declaration gives every
// CArray<T*, T*> these hooks. T needs a default constructor, a copy
// constructor and Serialize.
#include "platform/afx.h"

template <class T>
struct COwnedPointerElements {
    static void destruct(T** elements, int count)
    {
        for (int i = 0; i < count; ++i) {
            delete elements[i];
            elements[i] = nullptr;
        }
    }
    // The old objects of dest are replaced by copies of src's.
    static void copy(T** dest, T* const* src, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (dest[i] == src[i])
                continue;
            T* fresh = src[i] ? new T(*src[i]) : nullptr;
            delete dest[i];
            dest[i] = fresh;
        }
    }
    static void serialize(CArchive& ar, T** elements, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (ar.IsStoring()) {
                if (elements[i]) {
                    elements[i]->Serialize(ar);
                } else {
                    T empty;  // keeps the count honest for a slot left empty
                    empty.Serialize(ar);
                }
            } else {
                if (!elements[i])
                    elements[i] = new T;
                elements[i]->Serialize(ar);
            }
        }
    }
};

#define VC_OWNED_POINTER_ELEMENTS(T)                                                            \
    template <>                                                                                 \
    inline void DestructElements<T*>(T * *elements, int count)                                  \
    {                                                                                           \
        COwnedPointerElements<T>::destruct(elements, count);                                    \
    }                                                                                           \
    template <>                                                                                 \
    inline void CopyElements<T*>(T * *dest, T* const* src, int count)                           \
    {                                                                                           \
        COwnedPointerElements<T>::copy(dest, src, count);                                       \
    }                                                                                           \
    template <>                                                                                 \
    inline void SerializeElements<T*>(CArchive & ar, T * *elements, int count)                  \
    {                                                                                           \
        COwnedPointerElements<T>::serialize(ar, elements, count);                               \
    }

// Arrays of objects held by value whose archive form is each object's own
// Serialize.
#define VC_SERIALIZED_VALUE_ELEMENTS(T)                                                         \
    template <>                                                                                 \
    inline void SerializeElements<T>(CArchive & ar, T * elements, int count)                    \
    {                                                                                           \
        for (int i = 0; i < count; ++i)                                                         \
            elements[i].Serialize(ar);                                                          \
    }
