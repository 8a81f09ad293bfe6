// The message envelope and the operation choice. ASN.1 after RFC 2251
// section 4.1.1 and 4.1.2, with this system's cldapUserName, searchResFull,
// session and resume operations, and no controls.
#include "vaultcore/ldapmsg/ldap_message.h"

IMPLEMENT_ASN1_SCHEMA_CLASS(CASN1_LDAPMessage, CASN1_SEQUENCE, 0x10)

// LDAPMessage ::= SEQUENCE {
//         messageID       MessageID,                     -- INTEGER (0 .. maxInt)
//         cldapUserName   LDAPDN OPTIONAL,
//         protocolOp      CHOICE { ... } }
const ASN1_COMPONENT_INFO CASN1_LDAPMessage::m_compInfoList[] = {
    //                 end  name             resolver                                    tag   class tagging  validator                         opt rep any
    ASN1_COMPONENT_INFO(0, "messageID",      nullptr,                                    0x02, 0,    TM_NONE, nullptr,                          0,  0,  0),
    ASN1_COMPONENT_INFO(0, "cldapUserName",  nullptr,                                    0x04, 0,    TM_NONE, nullptr,                          1,  0,  0),
    ASN1_COMPONENT_INFO(0, "protocolOp",     CASN1_ProtocolOpChoice::resolveAlternative, 0xFF, 0,    TM_NONE, CASN1_ProtocolOpChoice::isValid,  0,  0,  0),
    ASN1_END_OF_TABLE,
};

// protocolOp CHOICE {
//         bindRequest     BindRequest,                   -- [APPLICATION 0]
//         bindResponse    BindResponse,                  -- [APPLICATION 1]
//         unbindRequest   UnbindRequest,                 -- [APPLICATION 2] NULL
//         searchRequest   SearchRequest,                 -- [APPLICATION 3]
//         searchResEntry  SearchResultEntry,             -- [APPLICATION 4]
//         searchResDone   SearchResultDone,              -- [APPLICATION 5]
//         searchResRef    SearchResultReference,         -- [APPLICATION 19] SEQUENCE OF LDAPURL
//         searchResFull   SearchResultFull,              -- untagged SEQUENCE OF
//         modifyRequest   ModifyRequest,                 -- [APPLICATION 6]
//         modifyResponse  ModifyResponse,                -- [APPLICATION 7] LDAPResult
//         addRequest      AddRequest,                    -- [APPLICATION 8]
//         addResponse     AddResponse,                   -- [APPLICATION 9] LDAPResult
//         delRequest      DelRequest,                    -- [APPLICATION 10] LDAPDN
//         delResponse     DelResponse,                   -- [APPLICATION 11] LDAPResult
//         modDNRequest    ModifyDNRequest,               -- [APPLICATION 12]
//         modDNResponse   ModifyDNResponse,              -- [APPLICATION 13] LDAPResult
//         compareRequest  CompareRequest,                -- [APPLICATION 14]
//         compareResponse CompareResponse,               -- [APPLICATION 15]
//         abandonRequest  AbandonRequest,                -- [APPLICATION 16] MessageID
//         sessionRequest  SessionRequest,                -- [APPLICATION 17] Controls
//         sessionResponse SessionResponse,               -- [APPLICATION 18]
//         resumeRequest   ResumeRequest,                 -- [APPLICATION 20]
//         resumeError     ResumeError,                   -- [APPLICATION 21] LDAPResult
//         extendedReq     ExtendedRequest,               -- [APPLICATION 23]
//         extendedResp    ExtendedResponse }             -- [APPLICATION 24]
const ASN1_COMPONENT_INFO CASN1_ProtocolOpChoice::m_alternativesList[] = {
    //                 end  name               resolver  tag   class tagging      validator                          opt rep any
    ASN1_COMPONENT_INFO(0, "bindRequest",      nullptr,  0x40, 1,    TM_IMPLICIT, CASN1_BindRequest::isValid,        0,  0,  0),
    ASN1_COMPONENT_INFO(0, "bindResponse",     nullptr,  0x41, 1,    TM_IMPLICIT, CASN1_BindResponse::isValid,       0,  0,  0),
    ASN1_COMPONENT_INFO(0, "unbindRequest",    nullptr,  0x42, 1,    TM_IMPLICIT, nullptr,                           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "searchRequest",    nullptr,  0x43, 1,    TM_IMPLICIT, CASN1_SearchRequest::isValid,      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "searchResEntry",   nullptr,  0x44, 1,    TM_IMPLICIT, CASN1_SearchResultEntry::isValid,  0,  0,  0),
    ASN1_COMPONENT_INFO(0, "searchResDone",    nullptr,  0x45, 1,    TM_IMPLICIT, CASN1_SearchResultDone::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "searchResRef",     nullptr,  0x53, 1,    TM_IMPLICIT, CASN1_Referral::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "searchResFull",    nullptr,  0x10, 0,    TM_NONE,     CASN1_SearchResultFull::isValid,   0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modifyRequest",    nullptr,  0x46, 1,    TM_IMPLICIT, CASN1_ModifyRequest::isValid,      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modifyResponse",   nullptr,  0x47, 1,    TM_IMPLICIT, CASN1_LDAPResult::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "addRequest",       nullptr,  0x48, 1,    TM_IMPLICIT, CASN1_AddRequest::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "addResponse",      nullptr,  0x49, 1,    TM_IMPLICIT, CASN1_LDAPResult::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "delRequest",       nullptr,  0x4A, 1,    TM_IMPLICIT, nullptr,                           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "delResponse",      nullptr,  0x4B, 1,    TM_IMPLICIT, CASN1_LDAPResult::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modDNRequest",     nullptr,  0x4C, 1,    TM_IMPLICIT, CASN1_ModifyDNRequest::isValid,    0,  0,  0),
    ASN1_COMPONENT_INFO(0, "modDNResponse",    nullptr,  0x4D, 1,    TM_IMPLICIT, CASN1_LDAPResult::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "compareRequest",   nullptr,  0x4E, 1,    TM_IMPLICIT, CASN1_CompareRequest::isValid,     0,  0,  0),
    ASN1_COMPONENT_INFO(0, "compareResponse",  nullptr,  0x4F, 1,    TM_IMPLICIT, CASN1_CompareResponse::isValid,    0,  0,  0),
    ASN1_COMPONENT_INFO(0, "abandonRequest",   nullptr,  0x50, 1,    TM_IMPLICIT, nullptr,                           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "sessionRequest",   nullptr,  0x51, 1,    TM_IMPLICIT, CASN1_Controls::isValid,           0,  0,  0),
    ASN1_COMPONENT_INFO(0, "sessionResponse",  nullptr,  0x52, 1,    TM_IMPLICIT, CASN1_SessionResponse::isValid,    0,  0,  0),
    ASN1_COMPONENT_INFO(0, "resumeRequest",    nullptr,  0x54, 1,    TM_IMPLICIT, CASN1_ResumeRequest::isValid,      0,  0,  0),
    ASN1_COMPONENT_INFO(0, "resumeError",      nullptr,  0x55, 1,    TM_IMPLICIT, CASN1_LDAPResult::isValid,         0,  0,  0),
    ASN1_COMPONENT_INFO(0, "extendedReq",      nullptr,  0x57, 1,    TM_IMPLICIT, CASN1_ExtendedRequest::isValid,    0,  0,  0),
    ASN1_COMPONENT_INFO(0, "extendedResp",     nullptr,  0x58, 1,    TM_IMPLICIT, CASN1_ExtendedResponse::isValid,   0,  0,  0),
    ASN1_END_OF_TABLE,
};
