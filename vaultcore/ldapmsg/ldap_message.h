#pragma once
// The LDAP message envelope and the choice of protocol operation.
#include "vaultcore/ldapmsg/ldap_add.h"
#include "vaultcore/ldapmsg/ldap_bind.h"
#include "vaultcore/ldapmsg/ldap_compare.h"
#include "vaultcore/ldapmsg/ldap_extended.h"
#include "vaultcore/ldapmsg/ldap_modify.h"
#include "vaultcore/ldapmsg/ldap_modify_dn.h"
#include "vaultcore/ldapmsg/ldap_search.h"
#include "vaultcore/ldapmsg/ldap_search_result.h"
#include "vaultcore/ldapmsg/ldap_session.h"

// The operation a message carries, recognised by its identifier alone.
class VAULTCORE_API CASN1_ProtocolOpChoice : public CASN1ChoiceView {
    ASN1_CHOICE_CLASS(CASN1_ProtocolOpChoice)
    ASN1_ALTERNATIVE(bindRequest)
    ASN1_ALTERNATIVE(bindResponse)
    ASN1_ALTERNATIVE(unbindRequest)
    ASN1_ALTERNATIVE(searchRequest)
    ASN1_ALTERNATIVE(searchResEntry)
    ASN1_ALTERNATIVE(searchResDone)
    ASN1_ALTERNATIVE(searchResRef)
    ASN1_ALTERNATIVE(searchResFull)
    ASN1_ALTERNATIVE(modifyRequest)
    ASN1_ALTERNATIVE(modifyResponse)
    ASN1_ALTERNATIVE(addRequest)
    ASN1_ALTERNATIVE(addResponse)
    ASN1_ALTERNATIVE(delRequest)
    ASN1_ALTERNATIVE(delResponse)
    ASN1_ALTERNATIVE(modDNRequest)
    ASN1_ALTERNATIVE(modDNResponse)
    ASN1_ALTERNATIVE(compareRequest)
    ASN1_ALTERNATIVE(compareResponse)
    ASN1_ALTERNATIVE(abandonRequest)
    ASN1_ALTERNATIVE(sessionRequest)
    ASN1_ALTERNATIVE(sessionResponse)
    ASN1_ALTERNATIVE(resumeRequest)
    ASN1_ALTERNATIVE(resumeError)
    ASN1_ALTERNATIVE(extendedReq)
    ASN1_ALTERNATIVE(extendedResp)
};

// LDAPMessage ::= SEQUENCE { messageID, cldapUserName OCTET STRING OPTIONAL, protocolOp }
// There is no controls member: anything after the operation makes the
// message invalid.
class VAULTCORE_API CASN1_LDAPMessage : public CASN1_SEQUENCE {
    ASN1_SCHEMA_CLASS(CASN1_LDAPMessage, CASN1_SEQUENCE)
    ASN1_MEMBER(CASN1_INTEGER, messageID)
    ASN1_OPTIONAL_MEMBER(CASN1_OCTET_STRING, cldapUserName)
    ASN1_CHOICE_MEMBER(CASN1_ProtocolOpChoice, protocolOp)
};
