#pragma once
// Helpers of the directory client tests: values from text, values as text,
// and holders that release themselves.
#include <initializer_list>
#include <memory>
#include <string>

#include "dirlink/dirlink.h"
#include "support/archive_helpers.h"
#include "support/der_helpers.h"

struct ReleaseHolder {
    void operator()(IReferable* object) const { object->Release(); }
};
using HolderPtr = std::unique_ptr<CUniDataHolder, ReleaseHolder>;

inline CUniDataHolder* newValue(const std::string& bytes)
{
    CUniDataHolder* holder = CUniDataHolder::Create(0);
    holder->Put(bytes.data(), (unsigned long)bytes.size());
    return holder;
}

inline HolderPtr value(const std::string& bytes)
{
    return HolderPtr(newValue(bytes));
}

inline std::string textOf(const CUniDataHolder* holder)
{
    if (!holder)
        return "<null>";
    return std::string((const char*)holder->GetData(), holder->GetSize());
}

inline std::string str(const CString& text)
{
    return std::string((const char*)text, (size_t)text.GetLength());
}

// A new attribute holding copies of the values.
inline CAttribute* attributeOf(const char* name, std::initializer_list<std::string> values)
{
    auto* attribute = new CAttribute;
    attribute->m_name = name;
    for (const std::string& v : values)
        attribute->AddValue(v.data(), (unsigned long)v.size());
    return attribute;
}

// The reference count of a holder, read without changing it.
inline long referenceCount(IReferable* object)
{
    object->AddRef();
    return object->Release();
}
