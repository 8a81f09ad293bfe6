#pragma once
// The library's key container format: named RSA keys, each with its
// certificates and optionally the name of its owner.
//   RSAKeyWithCertsAndDistinguishedName ::= SEQUENCE {
//       version       INTEGER (0),
//       key           RSAPublicKey | RSAPrivateKey,     -- PKCS #1
//       name          OCTET STRING,                     -- text, not empty
//       certificates  SEQUENCE OF Certificate,
//       owner         RDNSequence OPTIONAL }
//   KCDNs ::= SEQUENCE OF RSAKeyWithCertsAndDistinguishedName
// A private key is kept as plain DER: protecting the container's octets
// (with CCryptoFile, say) is the host's concern.
#include "vaultcore/pki/certificate_asn1.h"
#include "vaultcore/pki/private_key_asn1.h"

// SEQUENCE OF Certificate: the certificates of a container; valid when
// every one is.
class VAULTCORE_API CASN1_CertificateSequence : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_CertificateSequence, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_Certificate)
};

// Valid with 4 or 5 components: version 0, a valid public or private key,
// a name of at least one octet, a sequence of valid certificates and, as a
// fifth, a valid name of the owner.
class VAULTCORE_API CASN1_RSAKeyWithCertsAndDistinguishedName : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_RSAKeyWithCertsAndDistinguishedName, CASN1_SEQUENCE)
    // Version 0, the key, the name as an OCTET STRING of its text, no
    // certificates, and the owner when it is not null.
    CASN1_RSAKeyWithCertsAndDistinguishedName(const CRSAPublicKey& key, const CString& name,
                                              const CDistinguishedName* owner);
    CASN1_RSAKeyWithCertsAndDistinguishedName(const CRSAPrivateKey& key, const CString& name,
                                              const CDistinguishedName* owner);

    // Appends the certificate, which the container adopts.
    void AddCertificate(CASN1_Certificate* certificate);
    int GetCertificateCount() const { return get_certificates().getComponentCount(); }
    // The certificate at index; throws CDERDecodingException for an index
    // out of range.
    const CASN1_Certificate& GetCertificate(int index) const { return get_certificates().getComponent(index); }

    // The key is a valid private key.
    BOOL IsPrivateKey() const;
    // The owner's name is there (5 components).
    BOOL IsDistinguishedName() const;
    // The public key (the public half of a private key). The accessors
    // expect a valid container; a missing component throws
    // CDERDecodingException, and so does GetPrivateKey on a container
    // without a private key.
    void GetPublicKey(CRSAPublicKey& key) const;
    void GetPrivateKey(CRSAPrivateKey& key) const;
    CString GetName() const;
    void GetDistinguishedName(CDistinguishedName& owner) const;

    ASN1_MEMBER(CASN1_INTEGER, version)
    ASN1_MEMBER(CASN1_SEQUENCE, key)
    ASN1_MEMBER(CASN1_OCTET_STRING, name)
    ASN1_MEMBER(CASN1_CertificateSequence, certificates)
    ASN1_OPTIONAL_MEMBER(CASN1_RDNSequence, owner)

private:
    void build(CASN1Type* key, const CString& name, const CDistinguishedName* owner);
};

// Valid when every entry is (an empty list is valid). The decoding
// constructor throws CDERDecodingException "CASN1_KCDNs contents is not
// valid" otherwise. Entries are added with AddObject.
class VAULTCORE_API CASN1_KCDNs : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_KCDNs, CASN1_SEQUENCE)
    ASN1_ELEMENTS(CASN1_RSAKeyWithCertsAndDistinguishedName)
    // The index of the first entry called name (compared exactly), or -1.
    int Find(const CString& name) const;
};
