#pragma once
// The 24 attribute types the name model knows. Inside the model an
// attribute is identified by its English display name (compared as bytes);
// in DER by its object identifier. Any other identifier decodes to
// "Unknown", which cannot be encoded again.
#include "platform/afx.h"
#include "vaultcore/vaultcore_export.h"

class CASN1_OBJECT_IDENTIFIER;

// The table: enumerator, display name, object-identifier class (X.520 2.5.4
// and PKCS #9 1.2.840.113549.1.9.1). The row order is the enumeration's and
// the order in which names and identifiers are matched.
#define VC_DN_ATTRIBUTE_TABLE(ROW)                                                                              \
    ROW(dnCountryName,                            "Country name",                            CASN1_CountryName) \
    ROW(dnStateOrProvinceName,                    "State or province name",                  CASN1_StateOrProvinceName) \
    ROW(dnLocalityName,                           "Locality name",                           CASN1_LocalityName) \
    ROW(dnCommonName,                             "Common name",                             CASN1_CommonName) \
    ROW(dnTitle,                                  "Title",                                   CASN1_Title) \
    ROW(dnOrganizationName,                       "Organization name",                       CASN1_OrganizationName) \
    ROW(dnOrganizationalUnitName,                 "Organizational unit name",                CASN1_OrganizationalUnitName) \
    ROW(dnStreetAddress,                          "Street address",                          CASN1_StreetAddress) \
    ROW(dnPostalCode,                             "Postal code",                             CASN1_PostalCode) \
    ROW(dnPhoneNumber,                            "Phone number",                            CASN1_PhoneNumber) \
    ROW(dnEMailAddress,                           "E-mail address",                          CASN1_E_mail_Address) \
    ROW(dnSurname,                                "Surname",                                 CASN1_Surname) \
    ROW(dnCollectiveLocalityName,                 "Collective locality name",                CASN1_CollectiveLocalityName) \
    ROW(dnCollectiveStateOrProvinceName,          "Collective state or province name",       CASN1_CollectiveStateOrProvinceName) \
    ROW(dnCollectiveStreetAddress,                "Collective street address",               CASN1_CollectiveStreetAddress) \
    ROW(dnCollectiveOrganizationName,             "Collective organization name",            CASN1_CollectiveOrganizationName) \
    ROW(dnCollectiveOrganizationalUnitName,       "Collective organizational unit name",     CASN1_CollectiveOrganizationalUnitName) \
    ROW(dnPostalAddress,                          "Postal address",                          CASN1_PostalAddress) \
    ROW(dnCollectivePostalAddress,                "Collective postal address",               CASN1_CollectivePostalAddress) \
    ROW(dnCollectivePostalCode,                   "Collective postal code",                  CASN1_CollectivePostalCode) \
    ROW(dnPostOfficeBox,                          "Post office box",                         CASN1_PostOfficeBox) \
    ROW(dnCollectivePostOfficeBox,                "Collective post office box",              CASN1_CollectivePostOfficeBox) \
    ROW(dnPhysicalDeliveryOfficeName,             "Physical delivery office name",           CASN1_PhysicalDeliveryOfficeName) \
    ROW(dnCollectivePhysicalDeliveryOfficeName,   "Collective physical delivery office name", CASN1_CollectivePhysicalDeliveryOfficeName)

#define VC_DN_ATTRIBUTE_ENUMERATOR(enumerator, text, oid) enumerator,
enum DNAttrNameEnum { VC_DN_ATTRIBUTE_TABLE(VC_DN_ATTRIBUTE_ENUMERATOR) };
#undef VC_DN_ATTRIBUTE_ENUMERATOR

// Display names, indexed by DNAttrNameEnum.
extern VAULTCORE_API const char* const szDNAttrName[];
// The number of display names: 24.
VAULTCORE_API int AfxGetLenArrayOfDNAttrName();

// The display name given to an attribute type that is not in the table.
extern VAULTCORE_API const char* const kUnknownDNAttrName;

// The row whose display name is name (exact bytes), or -1.
VAULTCORE_API int ___findDNAttrByName(const CString& name);
// The row whose identifier has the contents of oid, or -1.
VAULTCORE_API int ___findDNAttrByOID(const CASN1_OBJECT_IDENTIFIER& oid);
// A new identifier of the row's class; the caller owns it.
VAULTCORE_API CASN1_OBJECT_IDENTIFIER* ___newDNAttrOID(int row);
