#include "dirlink/dirclient/modification.h"

#include "dirlink/dirclient/archive_layout.h"
#include "dirlink/dirclient/slot_ops.h"

CModification::CModification() : m_operation(opAdd) {}

CModification::CModification(const CModification& other) = default;

CModification& CModification::operator=(const CModification& other) = default;

CModification::~CModification() = default;

void CModification::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // One byte holds the operation; anything else could not be read back.
        if (m_operation > opReplace)
            dirclient::throwBadLayout(ar);
        dirclient::writeVersion(ar);
        ar << (BYTE)m_operation;
    } else {
        dirclient::readVersion(ar);
        BYTE operation;
        ar >> operation;
        if (operation > opReplace) {
            m_operation = opAdd;
            dirclient::throwBadLayout(ar);
        }
        m_operation = operation;
    }
    m_attribute.Serialize(ar);
}

DIRCLIENT_ARRAY_HOOKS(CModification, dirclient::OwnedSlot<CModification>)
