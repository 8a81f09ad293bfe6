#pragma once
// Reference counting, the root of every shared object of the directory
// client (values, search results, notification sinks, directory managers).
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// IReferable: an object that lives until its last reference is released.
// Objects are made by static factories (CSearchResult::Create,
// CUniDataHolder::Create ...) that take the first reference, so a fresh
// object has a count of 1. Only Release destroys: the destructor is protected.
class DIRLINK_API IReferable {
protected:
    IReferable() : m_referenceCount(0) {}
    IReferable(const IReferable&) : m_referenceCount(0) {}
    IReferable& operator=(const IReferable&) { return *this; }
    virtual ~IReferable() = default;

public:
    // Frees what the object holds; Release calls it before destroying.
    virtual void Clear() = 0;
    // Adds a reference; returns the new count.
    virtual long AddRef();
    // Drops a reference; returns the new count. At 0 or below the object is
    // cleared and destroyed and must not be used again.
    virtual long Release();

protected:
    int32_t m_referenceCount;
};

// INotifable: the host's notification sink, handed to a directory manager.
// The objects passed in `param` belong to the manager and are valid only
// during the call; the sink copies them or takes a reference.
class DIRLINK_API INotifable : public IReferable {
public:
    virtual void OnNotify(unsigned long code, void* param) = 0;
};
