#pragma once
// Optional values and texts held by pointer in filter data (internal): deep
// copies and their archive form behind a presence flag.
#include "dirlink/dirclient/archive_layout.h"
#include "dirlink/dirclient/uni_data_holder.h"

namespace dirclient {

inline void releaseValue(CUniDataHolder*& value)
{
    if (value)
        value->Release();
    value = nullptr;
}

// Makes `target` a copy of `source` in a holder of its own (made with
// Create(256) when none is held); a null source releases the target.
inline void copyValue(CUniDataHolder*& target, const CUniDataHolder* source)
{
    if (!source) {
        releaseValue(target);
        return;
    }
    if (target == source)
        return;
    if (!target)
        target = CUniDataHolder::Create(256);
    target->Put(*source, source->GetSize());
}

inline void copyText(CString*& target, const CString* source)
{
    if (!source) {
        delete target;
        target = nullptr;
    } else if (!target) {
        target = new CString(*source);
    } else {
        *target = *source;
    }
}

// u8 flag, then when 1 the value's form; loading 0 releases a held value.
inline void serializeOptionalValue(CArchive& ar, CUniDataHolder*& value)
{
    if (ar.IsStoring()) {
        writeFlag(ar, value != nullptr);
        if (value)
            value->Serialize(ar);
    } else if (readFlag(ar)) {
        if (!value)
            value = CUniDataHolder::Create(256);
        value->Serialize(ar);
    } else {
        releaseValue(value);
    }
}

// u8 flag, then when 1 the text; loading 0 frees a held text.
inline void serializeOptionalText(CArchive& ar, CString*& text)
{
    if (ar.IsStoring()) {
        writeFlag(ar, text != nullptr);
        if (text)
            ar << *text;
    } else if (readFlag(ar)) {
        if (!text)
            text = new CString;
        ar >> *text;
    } else {
        delete text;
        text = nullptr;
    }
}

inline void serializeVersion(CArchive& ar)
{
    if (ar.IsStoring())
        writeVersion(ar);
    else
        readVersion(ar);
}

}  // namespace dirclient
