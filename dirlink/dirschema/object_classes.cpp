#include "dirlink/dirschema/object_classes.h"

#include <cstring>
#include <strings.h>

#include <vector>

#include "dirlink/dirschema/attribute_description.h"
#include "dirlink/dirschema/object_class_registry.h"

namespace {
// Superclass chains are short; the bound only guards against a cycle.
constexpr int kMaxDepth = 64;

bool onList(const char* const* list, const char* type)
{
    for (; list && *list; ++list)
        if (strcasecmp(*list, type) == 0)
            return true;
    return false;
}

bool allows(const OBJECT_CLASS_INFO* record, const char* type, int depth)
{
    if (!record || depth > kMaxDepth)
        return false;
    return onList(record->must, type) || onList(record->may, type) ||
           allows(record->superclass1, type, depth + 1) || allows(record->superclass2, type, depth + 1);
}

bool isAncestor(const OBJECT_CLASS_INFO* candidate, const OBJECT_CLASS_INFO* record, int depth)
{
    if (!record || depth > kMaxDepth)
        return false;
    for (const OBJECT_CLASS_INFO* parent : {record->superclass1, record->superclass2})
        if (parent && (parent == candidate || isAncestor(candidate, parent, depth + 1)))
            return true;
    return false;
}

int indexOf(const OBJECT_CLASS_INFO* record)
{
    return record ? record->index : -1;
}
}  // namespace

int GetNextObjectClass(int index, const char* nameOrOid)
{
    if (!nameOrOid)
        return -1;
    const CObjectClassRegistry& registry = CObjectClassRegistry::Get();
    bool byOid = IsDottedDecimalAttrType(nameOrOid);
    if (index >= registry.GetSize())
        return -1;
    for (int i = index < 0 ? 0 : index + 1; i < registry.GetSize(); ++i) {
        const OBJECT_CLASS_INFO* record = registry.At(i);
        if (byOid ? std::strcmp(record->oid, nameOrOid) == 0 : strcasecmp(record->name, nameOrOid) == 0)
            return i;
    }
    return -1;
}

int GetObjectClassInfo(int index, const char** oid, const char** name, int* superclass1, int* superclass2,
                       const char*** may, const char*** must)
{
    const OBJECT_CLASS_INFO* record = CObjectClassRegistry::Get().At(index);
    if (oid)
        *oid = record ? record->oid : nullptr;
    if (name)
        *name = record ? record->name : nullptr;
    if (superclass1)
        *superclass1 = record ? indexOf(record->superclass1) : -1;
    if (superclass2)
        *superclass2 = record ? indexOf(record->superclass2) : -1;
    if (may)
        *may = record ? record->may : nullptr;
    if (must)
        *must = record ? record->must : nullptr;
    return record ? 1 : 0;
}

BOOL IsAttributeAllowed(int classIndex, const char* type)
{
    if (!type)
        return FALSE;
    return allows(CObjectClassRegistry::Get().At(classIndex), type, 0) ? TRUE : FALSE;
}

int VerifyAttributeSet(CStringArray& classes, CStringArray& /*attributes*/, CString& error)
{
    const CObjectClassRegistry& registry = CObjectClassRegistry::Get();
    std::vector<const OBJECT_CLASS_INFO*> records;
    for (int i = 0; i < classes.GetSize(); ++i) {
        int index = GetNextObjectClass(-1, classes[i]);
        if (index < 0) {
            error.Format("Object class \"%s\" is not known", (const char*)classes[i]);
            return 0;
        }
        records.push_back(registry.At(index));
    }
    for (size_t i = 0; i < records.size(); ++i)
        classes[(int)i] = records[i]->oid;

    // The first listed class is never the reference; each later one removes
    // the other entries it makes redundant (same OID, or an ancestor).
    for (size_t ref = 1; ref < records.size(); ++ref) {
        const OBJECT_CLASS_INFO* reference = records[ref];
        for (size_t j = 0; j < records.size();) {
            if (j != ref && (std::strcmp(records[j]->oid, reference->oid) == 0 ||
                             isAncestor(records[j], reference, 0))) {
                records.erase(records.begin() + (long)j);
                classes.RemoveAt((int)j);
                if (j < ref)
                    --ref;
            } else {
                ++j;
            }
        }
    }
    return 1;
}
