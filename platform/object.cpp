#include "platform/object.h"

#include <atomic>
#include <cstring>

#include "platform/archive.h"
#include "platform/exceptions.h"

namespace {
// The registry is a list that only grows, at its head. Classes register from
// static constructors of several libraries, so the head must exist before
// any of them runs (it is constant-initialised), and a library loaded on one
// thread may register while another thread looks a name up: the head is
// atomic and a class is complete before it is published.
std::atomic<CRuntimeClass*> g_firstClass{nullptr};
}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT _init_CObject(&CObject::classCObject);

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* newClass)
{
    CRuntimeClass* first = g_firstClass.load(std::memory_order_acquire);
    do {
        newClass->m_pNextClass = first;
    } while (!g_firstClass.compare_exchange_weak(first, newClass, std::memory_order_acq_rel));
}

CObject* CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject)
        return nullptr;
    return vcTranslateStdExceptions([&] { return m_pfnCreateObject(); });
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
    for (CRuntimeClass* cls = g_firstClass.load(std::memory_order_acquire); cls; cls = cls->m_pNextClass)
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
