#pragma once
// CCertificateRevocationList: the library's certificate revocation list, a
// record of the issuer, the last and next update times and the revoked
// certificates (CCRLEntry: serial number and revocation date), signed and
// verified like a certificate (CSignedRecord). CASN1_CertificateRevocationList
// (crl_asn1.h) carries it in DER. The record has no version field and no
// extensions: it stands for X.509 version 1 lists.
#include "vaultcore/pki/distinguished_name.h"
#include "vaultcore/pki/owned_elements.h"
#include "vaultcore/pki/serial_number.h"
#include "vaultcore/pki/signed_record.h"
#include "vaultcore/pki/utc_time_value.h"

class CCertificate;

class VAULTCORE_API CCRLEntry : public CObject {
    DECLARE_SERIAL(CCRLEntry)
public:
    // An empty serial number revoked now.
    CCRLEntry();
    CCRLEntry(const CSerialNumber& serialNumber, const CUTCTime& revocationDate);
    CCRLEntry(const CCRLEntry& other);
    CCRLEntry& operator=(const CCRLEntry& other);

    // "Serial Number: <hex> Revocation Date: <date with seconds>".
    operator CString() const;

    // Format byte 0, the serial number, the revocation date. Loading refuses
    // another format byte with the generic archive exception, leaving the
    // entry as it was.
    void Serialize(CArchive& ar) override;

    CSerialNumber m_serialNumber;
    CUTCTime m_revocationDate;
};

// Arrays of entry pointers own their entries: dropped entries are deleted,
// copies are deep, loading creates the entries.
VC_OWNED_POINTER_ELEMENTS(CCRLEntry)
typedef CArray<CCRLEntry*, CCRLEntry*> CCRLEntryArray;

class VAULTCORE_API CCertificateRevocationList : public CObject, public CSignedRecord {
    DECLARE_SERIAL(CCertificateRevocationList)
public:
    // No entries, both times now, an empty issuer, no cached digest.
    CCertificateRevocationList();
    // Deep copies of the entries; the cached digests only where their flags
    // are set.
    CCertificateRevocationList(const CCertificateRevocationList& other);
    CCertificateRevocationList& operator=(const CCertificateRevocationList& other);
    ~CCertificateRevocationList() override;

    // Deletes every entry and empties the issuer.
    void Done();

    // Signing and verification with a key: CSignedRecord. With the issuer's
    // certificate: its key verifies this list's signature.
    using CSignedRecord::IsSignatureOKFor;
    BOOL IsSignatureOKFor(const CCertificate& issuer) const;

    // "CRL issued by:", the issuer, the two update times, then the entries
    // from the last to the first, or "No CRL Entries"; lines end in "\r\n".
    operator CString() const;

    // Format byte 1 (0 and 1 load), the signature field, the algorithm (16
    // bits), the signature bits (16 bits), the cached digests (the SHA-1 one
    // absent in format 0), the entries (count, then each entry), last
    // update, next update and issuer. Loading refuses another format byte,
    // an unknown algorithm or signature bits beyond the field with the
    // generic archive exception, leaving the list as it was.
    void Serialize(CArchive& ar) override;

    // The to-be-signed part built from the record (a
    // CASN1_CertificateRevocationListData); the caller owns it.
    CASN1Type* NewToBeSigned() const override;

    CCRLEntryArray m_entries;  // in DER order
    CUTCTime m_lastUpdate;     // thisUpdate
    CUTCTime m_nextUpdate;
    CDistinguishedName m_issuer;
};

// Lists held by value in arrays: each element dropped runs Done; archived
// list by list.
template <>
inline void DestructElements<CCertificateRevocationList>(CCertificateRevocationList* elements, int count)
{
    for (int i = 0; i < count; ++i) {
        elements[i].Done();
        elements[i].~CCertificateRevocationList();
    }
}
VC_SERIALIZED_VALUE_ELEMENTS(CCertificateRevocationList)
