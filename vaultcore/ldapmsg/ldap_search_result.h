#pragma once
// Search results: entries, the closing result, and the whole result in one message.
#include "vaultcore/ldapmsg/ldap_attributes.h"
#include "vaultcore/ldapmsg/ldap_result.h"

// SearchResultEntry ::= [APPLICATION 4] SEQUENCE { objectName, attributes }
class VAULTCORE_API CASN1_SearchResultEntry : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_SearchResultEntry, CASN1_TAGGED)
    ASN1_MEMBER(CASN1_OCTET_STRING, objectName)
    ASN1_MEMBER(CASN1_PartialAttributeList, attributes)
};

// SearchResultDone ::= [APPLICATION 5] SEQUENCE { LDAPResult members, totalCount [8] OPTIONAL }
class VAULTCORE_API CASN1_SearchResultDone : public CASN1_TAGGED {
    ASN1_SCHEMA_CLASS(CASN1_SearchResultDone, CASN1_TAGGED)
    ASN1_LDAP_RESULT_MEMBERS
    ASN1_OPTIONAL_MEMBER(CASN1_TAGGED, totalCount)
};

// One element of a whole search result: CHOICE { entry, reference, resultCode }
class VAULTCORE_API CASN1_SearchResultChoice : public CASN1ChoiceView {
    ASN1_CHOICE_CLASS(CASN1_SearchResultChoice)
    ASN1_ALTERNATIVE(entry)
    ASN1_ALTERNATIVE(reference)
    ASN1_ALTERNATIVE(resultCode)
};

// SearchResultFull ::= SEQUENCE OF SearchResultChoice
class VAULTCORE_API CASN1_SearchResultFull : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_SearchResultFull, CASN1_SEQUENCE)
    ASN1_CHOICE_ELEMENTS(CASN1_SearchResultChoice)
};
