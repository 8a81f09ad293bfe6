#pragma once
// Shared pieces of the directory client's archive layouts (internal): the
// version byte, presence flags, and owning pointer arrays whose slots carry
// a presence byte each.
#include <climits>

#include "platform/afx.h"

namespace dirclient {

// Every layout begins with this version byte.
const BYTE kLayoutVersion = 0;
// Owning arrays grow by at most this many slots before the slots' bytes
// have been read, so a hostile count costs no memory up front.
const int kSlotsPerStep = 4096;

[[noreturn]] inline void throwBadLayout(CArchive& ar)
{
    AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName);
}

inline void writeVersion(CArchive& ar)
{
    ar << kLayoutVersion;
}

// Reads the version byte; any value but 0 is a generic archive error.
inline void readVersion(CArchive& ar)
{
    BYTE version;
    ar >> version;
    if (version != kLayoutVersion)
        throwBadLayout(ar);
}

// Reads a presence flag: 1 or 0, anything else a generic archive error.
inline bool readFlag(CArchive& ar)
{
    BYTE flag;
    ar >> flag;
    if (flag > 1)
        throwBadLayout(ar);
    return flag == 1;
}

inline void writeFlag(CArchive& ar, bool present)
{
    ar << (BYTE)(present ? 1 : 0);
}

// The slots of an owning pointer array, without the version byte: per slot
// a presence byte, 1 followed by the element's layout, 0 for a null slot.
// Ops provides make() (a new element for an empty slot), drop(T*&) (destroy
// or release and null) and serialize(CArchive&, T&). A new element is put in
// its slot before it is read, so a failure leaves nothing unowned.
template <class T, class Ops>
void serializeSlots(CArchive& ar, T** slots, int count)
{
    for (int i = 0; i < count; ++i) {
        if (ar.IsStoring()) {
            writeFlag(ar, slots[i] != nullptr);
            if (slots[i])
                Ops::serialize(ar, *slots[i]);
        } else if (readFlag(ar)) {
            if (!slots[i])
                slots[i] = Ops::make();
            Ops::serialize(ar, *slots[i]);
        } else {
            Ops::drop(slots[i]);
        }
    }
}

// SerializeElements of an owning pointer array: version byte, then the slots.
template <class T, class Ops>
void serializeElementsWithVersion(CArchive& ar, T** slots, int count)
{
    if (ar.IsStoring())
        writeVersion(ar);
    else
        readVersion(ar);
    serializeSlots<T, Ops>(ar, slots, count);
}

// An owning array: its count, the version byte, the slots. Loading first
// drops the slots beyond the count, reads into the slots that exist and adds
// new slots step by step as their bytes arrive.
template <class T, class Ops>
void serializeOwnedArray(CArchive& ar, CArray<T*, T*>& array)
{
    if (ar.IsStoring()) {
        ar.WriteCount((DWORD)array.GetSize());
        serializeElementsWithVersion<T, Ops>(ar, array.GetData(), array.GetSize());
        return;
    }
    const DWORD count = ar.ReadCount();
    // The version byte and one presence byte per slot must follow.
    ar.EnsureAvailable((ULONGLONG)count + 1);
    if (count > (DWORD)INT_MAX)
        throwBadLayout(ar);
    const int total = (int)count;
    if (array.GetSize() > total)
        array.SetSize(total);
    readVersion(ar);
    for (int done = 0; done < total;) {
        const int step = total - done < kSlotsPerStep ? total - done : kSlotsPerStep;
        if (array.GetSize() < done + step)
            array.SetSize(done + step);
        serializeSlots<T, Ops>(ar, array.GetData() + done, step);
        done += step;
    }
}

}  // namespace dirclient
