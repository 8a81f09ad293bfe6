#pragma once
// CDistinguishedName: a name as an owning array of relative names, from
// the root (index 0, e.g. the country) to the most specific (last), with
// the searches, tests and labels the certificate classes and the host use.
#include "vaultcore/pki/relative_dn.h"

class VAULTCORE_API CDistinguishedName : public CArray<CRelativeDN*, CRelativeDN*> {
public:
    // No text: the empty name. A text: the two-part e-mail name form
    // { Locality name = "Internet" } { E-mail address = the text in lower
    // case }.
    explicit CDistinguishedName(const char* email = nullptr);
    // Deep copies: every relative name and attribute value is duplicated.
    CDistinguishedName(const CDistinguishedName& other);
    CDistinguishedName& operator=(const CDistinguishedName& other);

    // The value of that type in the most specific relative name holding
    // one; FALSE (value untouched) when no relative name does.
    BOOL Find(DNAttrNameEnum type, CString& value) const;
    // From the most specific relative name to the root, each tried with the
    // types in list order: the first hit's value and its index in types;
    // -1 when nothing is found.
    int FindOneOf(DNAttrNameEnum* types, int count, CString& value) const;
    // This name starts with every relative name of parent, in order (and so
    // has at least as many); every name is subordinate to the empty name.
    BOOL IsSubordinateTo(const CDistinguishedName& parent) const;
    // Subordinate, with strictly more relative names than parent.
    BOOL IsStronglySubordinateTo(const CDistinguishedName& parent) const;
    // No relative names, or none holding an attribute value.
    BOOL IsEmpty() const;
    // The first value of the first relative name holding one; "<Empty>".
    CString FirstAttribute() const;
    // Short display labels (common name first, organisation with its unit,
    // and so on); FirstAttribute() when no known type is present.
    CString GetLabel() const;
    CString GetLabel2() const;
    // The two-part e-mail name form of the text constructor, exactly.
    BOOL IsVeriSignImage() const;
    // The name holds an e-mail address somewhere.
    BOOL IsVeriSignRequestMatch() const;
    // This name starts with the e-mail name form for the request's address.
    BOOL IsVeriSignResponse(const CDistinguishedName& request) const;
    // One "name: value\r\n" line per attribute value, root first.
    operator CString() const;

    // The array's archive form: count, then each relative name's Serialize.
    // Loading replaces the whole name.
    void Serialize(CArchive& ar) override;
};

// Equal counts and pairwise equal relative names, in order.
VAULTCORE_API BOOL operator==(const CDistinguishedName& a, const CDistinguishedName& b);
VAULTCORE_API BOOL operator!=(const CDistinguishedName& a, const CDistinguishedName& b);

// The same names, or two names holding the same e-mail address (byte for
// byte).
VAULTCORE_API BOOL __isTheSameOwner(const CDistinguishedName& a, const CDistinguishedName& b);

// Arrays of names held by value (revocation lists, chains): constructed
// empty, destroyed with their relative names, archived name by name.
VC_SERIALIZED_VALUE_ELEMENTS(CDistinguishedName)
