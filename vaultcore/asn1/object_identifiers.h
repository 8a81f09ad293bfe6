#pragma once
// One class per object identifier the system knows. Each is a
// CASN1_OBJECT_IDENTIFIER whose default constructor gives its fixed value;
// recognising an identifier means comparing it with a constructed one:
//     if (decoded == CASN1_md5()) ...
// The table below is constant; each object built from it is a value of its
// own, so the classes may be used on any thread (a value itself belongs to
// one thread at a time).
#include "vaultcore/asn1/object_identifier.h"

// The table: class name, then the arcs. Rows are grouped by arc and each one
// can be checked against its registration.
#define VC_OBJECT_IDENTIFIER_TABLE(OID)                                              \
    /* RSA Data Security digest algorithms, 1.2.840.113549.2 (RFC 8018 B.1) */     \
    OID(CASN1_md2,                                  1, 2, 840, 113549, 2, 2)        \
    OID(CASN1_md5,                                  1, 2, 840, 113549, 2, 5)        \
    /* OIW security algorithms, 1.3.14.3.2 */                                       \
    OID(CASN1_sha1,                                 1, 3, 14, 3, 2, 26)             \
    OID(CASN1_DES_CBC,                              1, 3, 14, 3, 2, 7)              \
    /* X.500 algorithms, 2.5.8 (X.509 annex A) */                                   \
    OID(CASN1_rsa,                                  2, 5, 8, 1, 1)                  \
    /* PKCS #1, 1.2.840.113549.1.1 (RFC 8017 appendix C) */                         \
    OID(CASN1_pkcs_1,                               1, 2, 840, 113549, 1, 1)        \
    OID(CASN1_rsaEncryption,                        1, 2, 840, 113549, 1, 1, 1)     \
    OID(CASN1_md2WithRSAEncryption,                 1, 2, 840, 113549, 1, 1, 2)     \
    OID(CASN1_md5WithRSAEncryption,                 1, 2, 840, 113549, 1, 1, 4)     \
    OID(CASN1_sha1WithRSAEncryption,                1, 2, 840, 113549, 1, 1, 5)     \
    /* PKCS #5, 1.2.840.113549.1.5 (RFC 8018 appendix A.3) */                       \
    OID(CASN1_pkcs_5,                               1, 2, 840, 113549, 1, 5)        \
    OID(CASN1_pbeWithMD2AndDES_CBC,                 1, 2, 840, 113549, 1, 5, 1)     \
    OID(CASN1_pbeWithMD5AndDES_CBC,                 1, 2, 840, 113549, 1, 5, 3)     \
    /* PKCS #7, 1.2.840.113549.1.7 (RFC 2315 section 14) */                         \
    OID(CASN1_pkcs_7,                               1, 2, 840, 113549, 1, 7)        \
    OID(CASN1_data,                                 1, 2, 840, 113549, 1, 7, 1)     \
    OID(CASN1_signedData,                           1, 2, 840, 113549, 1, 7, 2)     \
    OID(CASN1_envelopedData,                        1, 2, 840, 113549, 1, 7, 3)     \
    OID(CASN1_signedAndEnvelopedData,               1, 2, 840, 113549, 1, 7, 4)     \
    OID(CASN1_digestedData,                         1, 2, 840, 113549, 1, 7, 5)     \
    OID(CASN1_encryptedData,                        1, 2, 840, 113549, 1, 7, 6)     \
    /* PKCS #9, 1.2.840.113549.1.9 (RFC 2985) */                                    \
    OID(CASN1_pkcs_9,                               1, 2, 840, 113549, 1, 9)        \
    OID(CASN1_E_mail_Address,                       1, 2, 840, 113549, 1, 9, 1)     \
    OID(CASN1_UnstructuredName,                     1, 2, 840, 113549, 1, 9, 2)     \
    OID(CASN1_contentType,                          1, 2, 840, 113549, 1, 9, 3)     \
    OID(CASN1_messageDigest,                        1, 2, 840, 113549, 1, 9, 4)     \
    OID(CASN1_signingTime,                          1, 2, 840, 113549, 1, 9, 5)     \
    OID(CASN1_ChallengePassword,                    1, 2, 840, 113549, 1, 9, 7)     \
    OID(CASN1_signingDescription,                   1, 2, 840, 113549, 1, 9, 13)    \
    /* RSA Data Security encryption algorithms, 1.2.840.113549.3 (RFC 8018 B.2) */  \
    OID(CASN1_RC2_CBC,                              1, 2, 840, 113549, 3, 2)        \
    OID(CASN1_DES_EDE3_CBC,                         1, 2, 840, 113549, 3, 7)        \
    OID(CASN1_RC5_CBC,                              1, 2, 840, 113549, 3, 8)        \
    OID(CASN1_RC5_CBC_Pad,                          1, 2, 840, 113549, 3, 9)        \
    /* X.520 attribute types, 2.5.4 */                                              \
    OID(CASN1_AttributeType,                        2, 5, 4)                        \
    OID(CASN1_CommonName,                           2, 5, 4, 3)                     \
    OID(CASN1_Surname,                              2, 5, 4, 4)                     \
    OID(CASN1_CountryName,                          2, 5, 4, 6)                     \
    OID(CASN1_LocalityName,                         2, 5, 4, 7)                     \
    OID(CASN1_CollectiveLocalityName,               2, 5, 4, 7, 1)                  \
    OID(CASN1_StateOrProvinceName,                  2, 5, 4, 8)                     \
    OID(CASN1_CollectiveStateOrProvinceName,        2, 5, 4, 8, 1)                  \
    OID(CASN1_StreetAddress,                        2, 5, 4, 9)                     \
    OID(CASN1_CollectiveStreetAddress,              2, 5, 4, 9, 1)                  \
    OID(CASN1_OrganizationName,                     2, 5, 4, 10)                    \
    OID(CASN1_CollectiveOrganizationName,           2, 5, 4, 10, 1)                 \
    OID(CASN1_OrganizationalUnitName,               2, 5, 4, 11)                    \
    OID(CASN1_CollectiveOrganizationalUnitName,     2, 5, 4, 11, 1)                 \
    OID(CASN1_Title,                                2, 5, 4, 12)                    \
    OID(CASN1_PostalAddress,                        2, 5, 4, 16)                    \
    OID(CASN1_CollectivePostalAddress,              2, 5, 4, 16, 1)                 \
    OID(CASN1_PostalCode,                           2, 5, 4, 17)                    \
    OID(CASN1_CollectivePostalCode,                 2, 5, 4, 17, 1)                 \
    OID(CASN1_PostOfficeBox,                        2, 5, 4, 18)                    \
    OID(CASN1_CollectivePostOfficeBox,              2, 5, 4, 18, 1)                 \
    OID(CASN1_PhysicalDeliveryOfficeName,           2, 5, 4, 19)                    \
    OID(CASN1_CollectivePhysicalDeliveryOfficeName, 2, 5, 4, 19, 1)                 \
    OID(CASN1_PhoneNumber,                          2, 5, 4, 20)

// Each class adds nothing to CASN1_OBJECT_IDENTIFIER but its value; clones
// are plain CASN1_OBJECT_IDENTIFIER objects with the same value.
#define VC_DECLARE_OBJECT_IDENTIFIER(name, ...)                   \
    class VAULTCORE_API name : public CASN1_OBJECT_IDENTIFIER {   \
    public:                                                       \
        name();                                                   \
        name(const name& other) = default;                        \
        name& operator=(const name& other) = default;             \
    };
VC_OBJECT_IDENTIFIER_TABLE(VC_DECLARE_OBJECT_IDENTIFIER)
#undef VC_DECLARE_OBJECT_IDENTIFIER
