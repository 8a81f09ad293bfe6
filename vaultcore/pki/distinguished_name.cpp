#include "vaultcore/pki/distinguished_name.h"

namespace {
const char* const kEmptyLabel = "<Empty>";
const char* const kInternetLocality = "Internet";

// The label cascade: the most telling types first, the collective types
// last.
const DNAttrNameEnum kLabelCascade[] = {
    dnCommonName,
    dnSurname,
    dnEMailAddress,
    dnOrganizationName,
    dnOrganizationalUnitName,
    dnTitle,
    dnPhoneNumber,
    dnCountryName,
    dnStateOrProvinceName,
    dnLocalityName,
    dnStreetAddress,
    dnPostalAddress,
    dnPostOfficeBox,
    dnPostalCode,
    dnPhysicalDeliveryOfficeName,
    dnCollectiveOrganizationName,
    dnCollectiveOrganizationalUnitName,
    dnCollectivePhysicalDeliveryOfficeName,
    dnCollectiveStateOrProvinceName,
    dnCollectiveLocalityName,
    dnCollectiveStreetAddress,
    dnCollectivePostalAddress,
    dnCollectivePostOfficeBox,
    dnCollectivePostalCode,
};

bool sameRelativeName(const CRelativeDN* a, const CRelativeDN* b)
{
    return a && b ? *a == *b : a == b;
}

// The relative name holds exactly one attribute value, of that type (and,
// when value is given, with that value).
bool holdsOnly(const CRelativeDN* rdn, DNAttrNameEnum type, const CString* value)
{
    if (!rdn || rdn->m_values.GetSize() != 1 || !rdn->m_values[0])
        return false;
    const CAttributeValue& only = *rdn->m_values[0];
    return only.m_attributeName == CString(szDNAttrName[type]) && (!value || only.m_value == *value);
}
}  // namespace

CDistinguishedName::CDistinguishedName(const char* email)
{
    if (!email)
        return;
    CRelativeDN* locality = new CRelativeDN;
    Add(locality);
    locality->Add(new CAttributeValue(dnLocalityName, kInternetLocality));
    CRelativeDN* address = new CRelativeDN;
    Add(address);
    address->Add(new CAttributeValue(dnEMailAddress, email));
}

CDistinguishedName::CDistinguishedName(const CDistinguishedName& other) : CArray(other) {}

CDistinguishedName& CDistinguishedName::operator=(const CDistinguishedName& other)
{
    CArray::operator=(other);
    return *this;
}

BOOL CDistinguishedName::Find(DNAttrNameEnum type, CString& value) const
{
    for (int i = GetSize() - 1; i >= 0; --i)
        if (m_pData[i] && m_pData[i]->Find(type, value))
            return TRUE;
    return FALSE;
}

int CDistinguishedName::FindOneOf(DNAttrNameEnum* types, int count, CString& value) const
{
    if (!types)
        return -1;
    for (int i = GetSize() - 1; i >= 0; --i) {
        if (!m_pData[i])
            continue;
        for (int t = 0; t < count; ++t)
            if (m_pData[i]->Find(types[t], value))
                return t;
    }
    return -1;
}

BOOL CDistinguishedName::IsSubordinateTo(const CDistinguishedName& parent) const
{
    if (GetSize() < parent.GetSize())
        return FALSE;
    for (int i = 0; i < parent.GetSize(); ++i)
        if (!sameRelativeName(m_pData[i], parent.m_pData[i]))
            return FALSE;
    return TRUE;
}

BOOL CDistinguishedName::IsStronglySubordinateTo(const CDistinguishedName& parent) const
{
    return GetSize() > parent.GetSize() && IsSubordinateTo(parent);
}

BOOL CDistinguishedName::IsEmpty() const
{
    for (int i = 0; i < GetSize(); ++i)
        if (m_pData[i] && m_pData[i]->m_values.GetSize() > 0)
            return FALSE;
    return TRUE;
}

CString CDistinguishedName::FirstAttribute() const
{
    for (int i = 0; i < GetSize(); ++i) {
        const CRelativeDN* rdn = m_pData[i];
        if (!rdn)
            continue;
        for (int j = 0; j < rdn->m_values.GetSize(); ++j)
            if (rdn->m_values[j])
                return rdn->m_values[j]->m_value;
    }
    return kEmptyLabel;
}

CString CDistinguishedName::GetLabel() const
{
    CString value;
    for (DNAttrNameEnum type : kLabelCascade) {
        if (!Find(type, value))
            continue;
        CString unit;
        if (type == dnOrganizationName && Find(dnOrganizationalUnitName, unit))
            value += ", " + unit;
        return value;
    }
    return FirstAttribute();
}

CString CDistinguishedName::GetLabel2() const
{
    CString label, value;
    bool found = false;
    for (DNAttrNameEnum type : kLabelCascade) {
        if (!Find(type, value))
            continue;
        if (found)
            return label + ", " + value;
        label = value;
        found = true;
    }
    return found ? label : FirstAttribute();
}

BOOL CDistinguishedName::IsVeriSignImage() const
{
    const CString internet(kInternetLocality);
    return GetSize() == 2 && holdsOnly(m_pData[0], dnLocalityName, &internet) &&
           holdsOnly(m_pData[1], dnEMailAddress, nullptr);
}

BOOL CDistinguishedName::IsVeriSignRequestMatch() const
{
    CString address;
    return Find(dnEMailAddress, address);
}

BOOL CDistinguishedName::IsVeriSignResponse(const CDistinguishedName& request) const
{
    CString address;
    const CString internet(kInternetLocality);
    return request.Find(dnEMailAddress, address) && GetSize() >= 2 &&
           holdsOnly(m_pData[0], dnLocalityName, &internet) && holdsOnly(m_pData[1], dnEMailAddress, &address);
}

CDistinguishedName::operator CString() const
{
    CString text;
    for (int i = 0; i < GetSize(); ++i)
        if (m_pData[i])
            text += CString(*m_pData[i]);
    return text;
}

void CDistinguishedName::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        RemoveAll();
    CArray::Serialize(ar);
}

BOOL operator==(const CDistinguishedName& a, const CDistinguishedName& b)
{
    if (a.GetSize() != b.GetSize())
        return FALSE;
    for (int i = 0; i < a.GetSize(); ++i)
        if (!sameRelativeName(a[i], b[i]))
            return FALSE;
    return TRUE;
}

BOOL operator!=(const CDistinguishedName& a, const CDistinguishedName& b)
{
    return !(a == b);
}

BOOL __isTheSameOwner(const CDistinguishedName& a, const CDistinguishedName& b)
{
    if (a == b)
        return TRUE;
    CString first, second;
    return a.Find(dnEMailAddress, first) && b.Find(dnEMailAddress, second) && first == second;
}
