#pragma once
// The registry records behind the object-class functions.
#include <deque>
#include <string>

#include "platform/afx.h"

// One registered object class. The lists are null-terminated; their entries
// are attribute OIDs from the attribute-type table.
struct OBJECT_CLASS_INFO {
    const char* oid;
    const char* name;
    OBJECT_CLASS_INFO* superclass1;
    OBJECT_CLASS_INFO* superclass2;
    const char** may;
    const char** must;
    int index;
};

class CObjectClassRegistry {
public:
    // The process-wide registry, built from the object-class table the first
    // time it is asked for (at the latest while the library loads).
    static const CObjectClassRegistry& Get();

    ~CObjectClassRegistry();
    CObjectClassRegistry(const CObjectClassRegistry&) = delete;
    CObjectClassRegistry& operator=(const CObjectClassRegistry&) = delete;

    int GetSize() const { return m_records.GetSize(); }
    // The record at `index`, or null outside the registry.
    const OBJECT_CLASS_INFO* At(int index) const;

private:
    CObjectClassRegistry();
    void Register(const char* name, const char* oid, const char* superclass1, const char* superclass2,
                  const char* must, const char* may);
    OBJECT_CLASS_INFO* Find(const char* name) const;
    const char** BuildList(const char* names);

    CTypedPtrArray<CPtrArray, OBJECT_CLASS_INFO*> m_records;
    std::deque<std::string> m_unresolvedNames;  // list entries the attribute table does not hold
};
