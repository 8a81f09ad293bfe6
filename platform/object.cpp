#include "platform/object.h"

#include <cstring>
#include <mutex>

#include "platform/archive.h"

namespace {
// Classes register from static constructors of several libraries, so the
// registry head must exist before any of them runs: a function-local static.
struct ClassRegistry {
    std::mutex lock;
    CRuntimeClass* first = nullptr;
};
ClassRegistry& registry()
{
    static ClassRegistry instance;
    return instance;
}
}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(&CObject::classCObject);

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass)
{
    ClassRegistry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    newClass->m_pNextClass = r.first;
    r.first = newClass;
}

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* cls = this; cls; cls = cls->m_pBaseClass)
        if (cls == base)
            return TRUE;
    return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* className)
{
    if (!className)
        return nullptr;
    ClassRegistry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (CRuntimeClass* cls = r.first; cls; cls = cls->m_pNextClass)
        if (std::strcmp(cls->m_lpszClassName, className) == 0)
            return cls;
    return nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* className)
{
    CRuntimeClass* cls = FromName(className);
    return cls ? cls->CreateObject() : nullptr;
}

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return &CObject::classCObject;
}

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* cls) const
{
    return GetRuntimeClass()->IsDerivedFrom(cls);
}

BOOL CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != 0xFFFF;
}
