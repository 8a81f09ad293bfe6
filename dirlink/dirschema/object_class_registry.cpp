#include "dirlink/dirschema/object_class_registry.h"

#include <strings.h>

#include <vector>

#include "dirlink/dirschema/attribute_types.h"
#include "dirlink/dirschema/object_class_tab.h"

namespace {
// Builds the registry while the library loads, so that later calls from any
// thread only read it.
struct BuildAtLoad {
    BuildAtLoad() { CObjectClassRegistry::Get(); }
} buildAtLoad;
}  // namespace

const CObjectClassRegistry& CObjectClassRegistry::Get()
{
    static const CObjectClassRegistry registry;
    return registry;
}

CObjectClassRegistry::CObjectClassRegistry()
{
    for (const OBJECT_CLASS_ROW& row : g_objectClasses)
        Register(row.name, row.oid, row.superclass1, row.superclass2, row.must, row.may);
}

CObjectClassRegistry::~CObjectClassRegistry()
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        OBJECT_CLASS_INFO* record = m_records[i];
        delete[] record->may;
        delete[] record->must;
        delete record;
    }
    m_records.RemoveAll();
}

const OBJECT_CLASS_INFO* CObjectClassRegistry::At(int index) const
{
    return index >= 0 && index < m_records.GetSize() ? m_records[index] : nullptr;
}

OBJECT_CLASS_INFO* CObjectClassRegistry::Find(const char* name) const
{
    if (!name)
        return nullptr;
    for (int i = 0; i < m_records.GetSize(); ++i)
        if (strcasecmp(m_records[i]->name, name) == 0)
            return m_records[i];
    return nullptr;
}

void CObjectClassRegistry::Register(const char* name, const char* oid, const char* superclass1,
                                    const char* superclass2, const char* must, const char* may)
{
    OBJECT_CLASS_INFO* record = new OBJECT_CLASS_INFO{oid, name, Find(superclass1), Find(superclass2),
                                                      nullptr, nullptr, m_records.GetSize()};
    record->may = BuildList(may);
    record->must = BuildList(must);
    m_records.Add(record);
}

// Turns blank-separated attribute names into a null-terminated list of their
// OIDs (the first table row with each name). Resolution stops at the first
// name the table does not hold; that and later entries keep their names.
const char** CObjectClassRegistry::BuildList(const char* names)
{
    std::vector<std::string> words;
    for (const char* p = names; p && *p;) {
        while (*p == ' ')
            ++p;
        const char* start = p;
        while (*p && *p != ' ')
            ++p;
        if (p > start)
            words.emplace_back(start, p);
    }
    if (words.empty())
        return nullptr;
    const char** list = new const char*[words.size() + 1];
    bool resolving = true;
    for (size_t i = 0; i < words.size(); ++i) {
        const char* oid = resolving ? TextualAttrTypeToDecimal(words[i].c_str()) : nullptr;
        if (oid) {
            list[i] = oid;
        } else {
            resolving = false;
            m_unresolvedNames.push_back(words[i]);
            list[i] = m_unresolvedNames.back().c_str();
        }
    }
    list[words.size()] = nullptr;
    return list;
}
