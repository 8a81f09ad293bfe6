#pragma once
// CObject and CRuntimeClass: run-time class information, creation of objects
// by class name (used when archives are read) and the registry of classes.
//
// Threads: each library registers its classes while it loads; lookups by
// name (FromName, CreateObject) are safe from any thread at any time, and
// the class records are read-only once registered.
#include "platform/platform_export.h"
#include "platform/types.h"

class CArchive;
class CObject;

struct PLATFORM_API CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                      // 0xFFFF for classes that cannot be archived
    CObject* (*m_pfnCreateObject)();     // null for classes that cannot be created by name
    CRuntimeClass* m_pBaseClass;
    CRuntimeClass* m_pNextClass;         // registry link

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;

    // The registered class with this name, or null.
    static CRuntimeClass* FromName(const char* className);
    // A new object of the named class, or null when the name is unknown or
    // the class cannot be created dynamically.
    static CObject* CreateObject(const char* className);
};

// Adds a class to the process-wide registry; used by IMPLEMENT_DYNAMIC and
// friends through a static object, so classes register when their library loads.
struct PLATFORM_API AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* newClass);
};

class PLATFORM_API CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    BOOL IsKindOf(const CRuntimeClass* cls) const;
    BOOL IsSerializable() const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)            \
public:                                        \
    static CRuntimeClass class##class_name;    \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)          \
    DECLARE_DYNAMIC(class_name)                \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name)             \
    DECLARE_DYNCREATE(class_name)              \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define VC_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                   \
    CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class_name), wSchema,  \
                                                   pfnNew, RUNTIME_CLASS(base_class_name), nullptr}; \
    static AFX_CLASSINIT _init_##class_name(&class_name::class##class_name);                      \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    VC_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                    \
    CObject* class_name::CreateObject() { return new class_name; }          \
    VC_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                   \
    CObject* class_name::CreateObject() { return new class_name; }                               \
    VC_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)    \
    CArchive& operator>>(CArchive& ar, class_name*& pOb)                                         \
    {                                                                                            \
        pOb = (class_name*)ar.ReadObject(RUNTIME_CLASS(class_name));                             \
        return ar;                                                                               \
    }
